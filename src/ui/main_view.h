#pragma once
// What the main window shows, as a value. Every text and Update button state that ui/ gives
// the dialog is kept here as it is written, so that a front end without controls (the
// command line) prints what the window would show, when the window would show it.
#include <array>
#include <string>

#include "update/readiness.h"

struct PanelRow {
  std::wstring label;
  std::wstring value;
};

struct MainView {
  std::array<PanelRow, 3> rows;  // the unit, the ESC's bootloader, the ESC
  std::wstring hint;
  bool updateEnabled = false;
  Readiness readiness = Readiness::NoUnit;  // of the last assessment
};

const MainView& mainView();

// Writes a control of the panel or the hint box, and keeps the text in the view.
void showText(int controlId, const std::wstring& text);
// Enables or disables the Update button, and keeps its state in the view.
void showUpdateEnabled(bool enabled);
void showReadiness(Readiness readiness);
