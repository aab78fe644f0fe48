#include "wine/updater_views.h"

#include <gtest/gtest.h>

#include "res/controls.h"

namespace drive {

namespace {

const std::wstring kCaption = L"TELMARIX SPINDRA 60 LV FW Updater 3.5 ";

// The texts of the dialog template, which the catalogue does not hold.
DialogView templateTexts() {
  DialogView view;
  view.closeButton = germanInterface() ? L"Beenden" : L"Close";
  view.updateButton = L"Update";
  view.versionGroup = germanInterface() ? L"Installierte Firmware Versionen" : L"Installed firmware version";
  return view;
}

}  // namespace

DialogView withoutUnit(const std::wstring& hint, const std::wstring& unitLabel) {
  DialogView view = templateTexts();
  view.caption = kCaption;
  view.closeEnabled = true;
  view.updateEnabled = false;
  view.hint = hint;
  view.unitLabel = unitLabel;
  view.escLoaderLabel = catalogueText(40040);
  view.escLabel = catalogueText(40041);
  view.unitVersion = view.escLoaderVersion = view.escVersion = L"0.0.0";
  view.panel = "disabled";
  return view;
}

DialogView withReadyUnit() {
  DialogView view = withoutUnit(catalogueText(40000), L"ROUNDEL");
  view.updateEnabled = true;
  view.unitVersion = L"2.3";
  view.escLoaderVersion = L"1.2";
  view.escVersion = L"3.4";
  view.panel = "enabled";
  return view;
}

DialogView afterSuccessfulUpdate() {
  DialogView view = withReadyUnit();
  view.hint = catalogueText(40032);
  view.escVersion = L"3.5";
  view.updateEnabled = false;
  return view;
}

void confirmUpdate(HWND dialog) {
  click(dialog, ctl::kUpdateButton);
  HWND confirmation = waitForMessageBox(dialog);
  ASSERT_NE(confirmation, nullptr) << "no confirmation box";
  EXPECT_EQ(readMessageBox(confirmation), (MessageBoxView{catalogueText(40037), catalogueText(40038), {IDOK, IDCANCEL}}));
  click(confirmation, IDOK);
  EXPECT_TRUE(waitUntilGone(confirmation));
}

}  // namespace drive
