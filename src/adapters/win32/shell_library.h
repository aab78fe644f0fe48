#pragma once
// What the program takes from shell32: loaded at run time from the system directory, as every
// DLL but the few the loader always takes from there, and only by a program given arguments.
#include <string>
#include <vector>

namespace win32 {

// The arguments after the program's name (wWinMain's command line), split as every Windows
// program splits them (CommandLineToArgvW). None for a blank line; where shell32 cannot split
// it, the whole line as one argument.
std::vector<std::wstring> argumentsOf(const std::wstring& commandLine);

// The user's Documents folder; empty where the system names none.
std::wstring documentsFolder();

}  // namespace win32
