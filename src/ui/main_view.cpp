#include "ui/main_view.h"

#include <cstddef>

#include "res/controls.h"
#include "seams/dialog.h"

namespace {

MainView view;

constexpr struct {
  int label;
  int value;
} kRowControls[] = {{ctl::kUnitLabel, ctl::kUnitVersionText},
                    {ctl::kEscLoaderLabel, ctl::kEscLoaderVersionText},
                    {ctl::kEscLabel, ctl::kEscVersionText}};
static_assert(sizeof kRowControls / sizeof kRowControls[0] == std::tuple_size<decltype(view.rows)>::value);

std::wstring* shownTextOf(int controlId) {
  if (controlId == ctl::kHintBox) return &view.hint;
  for (std::size_t row = 0; row < view.rows.size(); ++row) {
    if (controlId == kRowControls[row].label) return &view.rows[row].label;
    if (controlId == kRowControls[row].value) return &view.rows[row].value;
  }
  return nullptr;
}

}  // namespace

const MainView& mainView() { return view; }

void showText(int controlId, const std::wstring& text) {
  dlg::setControlText(controlId, text);
  if (std::wstring* shown = shownTextOf(controlId)) *shown = text;
}

void showUpdateEnabled(bool enabled) {
  dlg::enableControl(ctl::kUpdateButton, enabled);
  view.updateEnabled = enabled;
}

void showReadiness(Readiness readiness) { view.readiness = readiness; }
