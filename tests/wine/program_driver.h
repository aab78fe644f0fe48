#pragma once
// Runs one of the updater programs as its own process and works its windows from outside, as
// a user would: find the main dialog and its message boxes, press their buttons, close it.
#include <windows.h>

#include <string>

namespace driver {

class Program {
 public:
  // Starts the program with the current environment, working directory its own directory.
  explicit Program(const std::wstring& path, const std::wstring& arguments = L"");
  ~Program();  // ends a program still running
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return process_.hProcess != nullptr; }

  // The main dialog once it is shown; null after timeoutMs or once the program has ended.
  HWND waitForMainDialog(DWORD timeoutMs) const;
  // A message box the program shows over its main dialog; null as above.
  HWND waitForMessageBox(DWORD timeoutMs) const;
  // A message box the program shows with no main dialog to own it; null as above.
  HWND waitForUnownedBox(DWORD timeoutMs) const;
  // The exit code, or STILL_ACTIVE when the program has not ended within timeoutMs.
  DWORD waitForExit(DWORD timeoutMs) const;

 private:
  HWND waitForDialog(bool owned, DWORD timeoutMs) const;

  PROCESS_INFORMATION process_{};
};

// Presses a button of a dialog (or message box) by its id, as a click on it would.
void press(HWND dialog, int buttonId);
// A control's text, read with the window's own WM_GETTEXT; empty when it does not answer.
std::wstring controlText(HWND dialog, int controlId);
// The text of a message box.
std::wstring messageBoxText(HWND box);

}  // namespace driver
