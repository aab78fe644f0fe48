#include "ui/version_panel.h"

#include "link/unit_device.h"
#include "seams/dialog.h"
#include "ui/main_view.h"
#include "res/controls.h"
#include "res/literals.h"
#include "base/format_text.h"

namespace {

constexpr std::size_t kVersionTextCapacity = 32;
constexpr int kValueControls[] = {ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText};
// Values first, then labels: the order in which the panel is greyed or brought back.
constexpr int kPanelControls[] = {ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText,
                                  ctl::kUnitLabel,       ctl::kEscLoaderLabel,       ctl::kEscLabel};

void enablePanel(bool enabled) {
  for (int id : kPanelControls) dlg::enableControl(id, enabled);
}

std::uint32_t byteOf(std::uint32_t value, unsigned index) { return (value >> (8 * index)) & 0xFF; }

// A unit version whose low byte is zero is held one byte higher.
std::uint32_t shownUnitVersion(std::uint32_t version) {
  return byteOf(version, 0) != 0 ? version : version >> 8;
}

std::wstring escFirmwareText(std::uint16_t version) {
  if (version == kEscReportsNoFirmware) return lit::kNoEscFirmware;
  return formatText(lit::kVersionFormat, {byteOf(version, 1), byteOf(version, 0)}, kVersionTextCapacity);
}

}  // namespace

std::wstring formatVersionText(std::uint32_t version) {
  std::wstring text;
  if (byteOf(version, 3) != 0) text = formatText(lit::kLeadingVersionFormat, {byteOf(version, 3)}, kVersionTextCapacity);
  text += formatText(lit::kVersionFormat, {byteOf(version, 1), byteOf(version, 0)}, kVersionTextCapacity);
  return text;
}

void refreshVersionPanel() {
  if (!unitDevice.isOpen()) {
    for (int id : kValueControls) showText(id, lit::kNoVersion);
    enablePanel(false);
    return;
  }
  enablePanel(true);
  showText(ctl::kUnitVersionText, formatVersionText(shownUnitVersion(unitDevice.unitFirmwareVersion)));
  showText(ctl::kEscLoaderVersionText, formatVersionText(unitDevice.escLoaderVersion()));
  showText(ctl::kEscVersionText, escFirmwareText(unitDevice.escFirmwareVersion()));
  showText(ctl::kUnitLabel,
                      unitDevice.productId == kRoundelProductId ? lit::kRoundelName : lit::kDockBoxName);
}
