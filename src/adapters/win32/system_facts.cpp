#include "adapters/win32/system_facts.h"

#include <windows.h>

#include "adapters/win32/program_handles.h"
#include "adapters/win32/system_library.h"
#include "res/message_ids.h"

namespace win32 {

namespace {

using VersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
constexpr LONG kStatusSuccess = 0;

}  // namespace

// RtlGetVersion, unlike GetVersionEx, is not told to pretend an older system.
std::string windowsVersion() {
  VersionFunction getVersion = nullptr;
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!resolve(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion", getVersion) || getVersion(&version) != kStatusSuccess) {
    return "Windows";
  }
  return "Windows " + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
         std::to_string(version.dwBuildNumber);
}

std::wstring systemErrorText(std::uint32_t code) {
  LPWSTR buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = length != 0 ? std::wstring(buffer, length) : L"";
  if (buffer != nullptr) LocalFree(buffer);
  text.erase(text.find_last_not_of(L"\r\n ") + 1);
  return text;
}

// Strings are kept in tables of 16; every table of the catalogue exists in both languages.
bool showsGermanTexts() {
  LPCWSTR table = MAKEINTRESOURCEW(msg::kReady / 16 + 1);
  HRSRC shown = FindResourceW(moduleInstance, table, RT_STRING);
  return shown != nullptr &&
         shown == FindResourceExW(moduleInstance, RT_STRING, table, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
}

}  // namespace win32
