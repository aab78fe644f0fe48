#include "ui/main_window.h"

#include <cstdint>

#include "seams/dialog.h"
#include "ui/main_view.h"
#include "res/controls.h"
#include "res/literals.h"
#include "res/message_ids.h"
#include "base/format_text.h"
#include "update/update_sequence.h"

namespace {

constexpr std::size_t kTitleCapacity = 256;

}  // namespace

std::wstring mainWindowTitle() {
  const std::uint32_t major = kImageVersion >> 8;
  const std::uint32_t minor = kImageVersion & 0xFF;
  return formatText(lit::kTitleFormat, {lit::kTargetModel, major, minor, L""}, kTitleCapacity);
}

std::wstring mainWindowTitleWithoutVersion() {
  const std::wstring title = mainWindowTitle();
  return title.substr(0, title.rfind(imageVersionText()));
}

std::wstring imageVersionText() {
  return std::to_wstring(kImageVersion >> 8) + L"." + std::to_wstring(kImageVersion & 0xFF);
}

void setRowLabels() {
  showText(ctl::kUnitLabel, dlg::loadText(msg::kUnitLabel));
  showText(ctl::kEscLoaderLabel, dlg::loadText(msg::kEscLoaderLabel));
  showText(ctl::kEscLabel, dlg::loadText(msg::kEscLabel));
}

void tellUpdaterRunsElsewhere() {
  dlg::ask(dlg::BoxKind::RunningElsewhere, dlg::loadText(msg::kRunningElsewhere), mainWindowTitle());
}
