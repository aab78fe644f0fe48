#include "program_driver.h"

#include <vector>

namespace driver {

namespace {

constexpr DWORD kPollMs = 1;
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr WPARAM kTextCapacity = 2048;  // room for any catalogue text

struct Search {
  DWORD processId;
  bool owned;  // a message box is owned by the main dialog; the main dialog by nobody
  HWND found;
};

bool isDialog(HWND window) {
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  return std::wstring(name) == L"#32770";
}

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const bool owned = GetWindow(window, GW_OWNER) != nullptr;
  if (processId == search->processId && IsWindowVisible(window) && isDialog(window) && owned == search->owned) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::wstring directoryOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace

Program::Program(const std::wstring& path, const std::wstring& arguments) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  const std::wstring line = L"\"" + path + L"\" " + arguments;
  std::vector<wchar_t> commandLine(line.c_str(), line.c_str() + line.size() + 1);
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directoryOf(path).c_str(), &startup, &process_)) {
    process_ = PROCESS_INFORMATION{};
  }
}

Program::~Program() {
  if (!started()) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, INFINITE);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND Program::waitForMainDialog(DWORD timeoutMs) const { return waitForDialog(false, timeoutMs); }

HWND Program::waitForMessageBox(DWORD timeoutMs) const { return waitForDialog(true, timeoutMs); }

// Found as the main dialog is: an unowned dialog-class window of the process.
HWND Program::waitForUnownedBox(DWORD timeoutMs) const { return waitForDialog(false, timeoutMs); }

HWND Program::waitForDialog(bool owned, DWORD timeoutMs) const {
  if (!started()) return nullptr;
  for (ULONGLONG end = GetTickCount64() + timeoutMs; GetTickCount64() < end; Sleep(kPollMs)) {
    Search search{process_.dwProcessId, owned, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

DWORD Program::waitForExit(DWORD timeoutMs) const {
  DWORD code = STILL_ACTIVE;
  if (started() && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.hProcess, &code);
  }
  return code;
}

void press(HWND dialog, int buttonId) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::wstring controlText(HWND dialog, int controlId) {
  wchar_t text[kTextCapacity] = L"";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(GetDlgItem(dialog, controlId), WM_GETTEXT, kTextCapacity, reinterpret_cast<LPARAM>(text),
                           SMTO_NORMAL, kAnswerTimeoutMs, &length)) {
    return L"";
  }
  return std::wstring(text, length);
}

std::wstring messageBoxText(HWND box) { return controlText(box, kMessageBoxTextId); }

}  // namespace driver
