// The main dialog: its start, its event dispatch, the picture and the red ESC row.
#include "programs/windows/main_dialog.h"

#include "link/unit_device.h"
#include "adapters/win32/device_broadcast.h"
#include "adapters/win32/program_handles.h"
#include "adapters/win32/single_instance.h"
#include "res/controls.h"
#include "ui/device_change.h"
#include "ui/main_window.h"
#include "ui/picture_layout.h"
#include "ui/session.h"

namespace {

constexpr WORD kMainDialogTemplate = 110;
constexpr WORD kClassIcon = 123;
constexpr WORD kPicture = 121;
constexpr COLORREF kPictureTransparent = RGB(0, 255, 0);
constexpr COLORREF kEscRowText = RGB(255, 0, 0);
constexpr INT_PTR kEndedAtStart = 1;
constexpr INT_PTR kEndedByClose = 2;
constexpr int kCaptionCapacity = 256;  // as the caption is made
// A copy started a moment ago holds the claim before its dialog exists: it is looked for
// this long before the claim is taken to be out of reach.
constexpr ULONGLONG kStartingCopyMs = 2000;
constexpr DWORD kSearchIntervalMs = 100;

void setTitle(HWND window) {
  const std::wstring title = mainWindowTitle();
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void closeMainDialog(HWND window) {
  unregisterDeviceNotifications();
  resetDevice();
  EndDialog(window, kEndedByClose);
}

INT_PTR onCommand(HWND window, WORD controlId) {
  switch (controlId) {
    case ctl::kCloseButton:
      session::pressClose();
      closeMainDialog(window);
      return TRUE;
    case ctl::kUpdateButton:
      session::pressUpdate();
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR colourStatic(HDC context, HWND control) {
  if (control != GetDlgItem(mainDialog, ctl::kEscLabel) && control != GetDlgItem(mainDialog, ctl::kEscVersionText)) {
    return FALSE;
  }
  SetTextColor(context, kEscRowText);
  SetBkMode(context, TRANSPARENT);
  // The system's own brush takes on a theme or High Contrast change; it is never deleted.
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR onDeviceChange(WPARAM wParam, LPARAM record) {
  const auto event = static_cast<std::uint32_t>(wParam);
  DeviceBroadcast broadcast;
  if (carriesBroadcastRecord(event)) broadcast = readDeviceBroadcast(record);
  return session::deviceChange(event, broadcast) != 0 ? TRUE : FALSE;
}

ScreenRect screenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

// The transparent blit cannot be left to shrink the picture: Wine shrinks it in a mode that
// mixes the transparent green into the artwork's edges, leaving a green outline. Shrunk
// first by dropping pixels, every pixel stays green or artwork, and the 1:1 transparent
// blit leaves out exactly the green.
void drawShrunkPicture(HDC context, HDC picture, const BITMAP& size, const PicturePlacement& placement) {
  HDC shrunk = CreateCompatibleDC(context);
  HBITMAP shrunkPicture = CreateCompatibleBitmap(context, placement.width, placement.height);
  if (shrunk != nullptr && shrunkPicture != nullptr) {
    HGDIOBJ previous = SelectObject(shrunk, shrunkPicture);
    SetStretchBltMode(shrunk, COLORONCOLOR);
    StretchBlt(shrunk, 0, 0, placement.width, placement.height, picture, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    GdiTransparentBlt(context, placement.x, placement.y, placement.width, placement.height, shrunk, 0, 0,
                      placement.width, placement.height, kPictureTransparent);
    SelectObject(shrunk, previous);
  }
  if (shrunkPicture != nullptr) DeleteObject(shrunkPicture);
  if (shrunk != nullptr) DeleteDC(shrunk);
}

void paintPicture(HWND window) {
  PAINTSTRUCT paint;
  HDC context = BeginPaint(window, &paint);
  HBITMAP picture = LoadBitmapW(moduleInstance, MAKEINTRESOURCEW(kPicture));
  BITMAP size{};
  GetObjectW(picture, sizeof(size), &size);
  HDC memory = CreateCompatibleDC(context);
  HGDIOBJ previous = SelectObject(memory, picture);

  const PicturePlacement placement =
      placePicture(size.bmWidth, size.bmHeight, screenRect(window), screenRect(GetDlgItem(window, ctl::kVersionGroup)),
                   GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYCAPTION));
  if (placement.drawn()) {
    drawShrunkPicture(context, memory, size, placement);
  }

  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(picture);
  EndPaint(window, &paint);
}

void initMainDialog(HWND window) {
  mainDialog = window;
  HICON icon = LoadIconW(moduleInstance, MAKEINTRESOURCEW(kClassIcon));
  SetClassLongPtrW(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
  setTitle(window);
  setRowLabels();
  if (!registerDeviceNotifications()) {
    // The user has been told; without hot-plug the program does not run.
    unregisterDeviceNotifications();
    resetDevice();
    EndDialog(window, kEndedAtStart);
    return;
  }
  session::start();
}

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      initMainDialog(window);
      return TRUE;
    case WM_PAINT:
      paintPicture(window);
      return FALSE;
    case WM_COMMAND:
      return onCommand(window, LOWORD(wParam));
    case WM_CTLCOLORSTATIC:
      return colourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DEVICECHANGE:
      return onDeviceChange(wParam, lParam);
    default:
      return FALSE;
  }
}

struct RunningDialogSearch {
  std::wstring titlePrefix;
  HWND found = nullptr;
};

// The one copy allowed may be of another version, so its caption is matched up to the
// version. Class and caption are what the window manager holds: nothing is sent to it.
BOOL CALLBACK matchRunningMainDialog(HWND window, LPARAM searchParameter) {
  auto* search = reinterpret_cast<RunningDialogSearch*>(searchParameter);
  wchar_t className[16] = L"";
  wchar_t title[kCaptionCapacity] = L"";
  GetClassNameW(window, className, 16);
  GetWindowTextW(window, title, kCaptionCapacity);
  if (std::wstring(className) != L"#32770" || std::wstring(title).rfind(search->titlePrefix, 0) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

bool bringRunningMainDialogForward() {
  RunningDialogSearch search{mainWindowTitleWithoutVersion()};
  const ULONGLONG end = GetTickCount64() + kStartingCopyMs;
  for (;;) {
    EnumWindows(matchRunningMainDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      win32::bringToFront(search.found);
      return true;
    }
    if (GetTickCount64() >= end) return false;
    Sleep(kSearchIntervalMs);
  }
}

void runMainDialog() {
  session::reset();
  DialogBoxParamW(moduleInstance, MAKEINTRESOURCEW(kMainDialogTemplate), nullptr, mainDialogProc, 0);
  mainDialog = nullptr;
}
