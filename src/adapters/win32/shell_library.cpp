#include "adapters/win32/shell_library.h"

#include <windows.h>
#include <knownfolders.h>

#include "adapters/win32/system_library.h"

namespace win32 {

namespace {

using SplitFunction = LPWSTR*(WINAPI*)(LPCWSTR, int*);
using KnownFolderFunction = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
using FreeFunction = void(WINAPI*)(LPVOID);

// Kept loaded for the rest of the run: each is asked once.
template <typename Function>
Function systemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = loadSystemLibrary(dll);
  Function function = nullptr;
  if (module != nullptr) resolve(module, name, function);
  return function;
}

}  // namespace

std::vector<std::wstring> argumentsOf(const std::wstring& commandLine) {
  if (commandLine.find_first_not_of(L" \t") == std::wstring::npos) return {};
  const auto split = systemFunction<SplitFunction>(L"shell32.dll", "CommandLineToArgvW");
  // Split on its own, the line's first argument would be read as a program's name, whose
  // quotes and backslashes follow other rules: a stand-in name goes first.
  const std::wstring line = L"updater " + commandLine;
  int count = 0;
  LPWSTR* arguments = split != nullptr ? split(line.c_str(), &count) : nullptr;
  if (arguments == nullptr) return {commandLine};
  std::vector<std::wstring> parts(arguments + 1, arguments + count);
  LocalFree(arguments);
  return parts;
}

std::wstring documentsFolder() {
  const auto knownFolder = systemFunction<KnownFolderFunction>(L"shell32.dll", "SHGetKnownFolderPath");
  const auto freeText = systemFunction<FreeFunction>(L"ole32.dll", "CoTaskMemFree");
  if (knownFolder == nullptr || freeText == nullptr) return {};
  PWSTR path = nullptr;
  const bool found = SUCCEEDED(knownFolder(FOLDERID_Documents, 0, nullptr, &path));
  std::wstring folder = found ? path : L"";
  freeText(path);
  return folder;
}

}  // namespace win32
