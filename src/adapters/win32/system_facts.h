#pragma once
// What a report tells of the system the program runs on, and the system's words for an error
// code: nothing of the user's (no user or computer name).
#include <cstdint>
#include <string>

namespace win32 {

// The system's name and true version, e.g. "Windows 10.0.19045", whatever the program's
// manifest claims to support; "Windows" where the version cannot be read.
std::string windowsVersion();

// What the system calls an error code in the user's language, line breaks at its end left out;
// empty for a code the system has no words for.
std::wstring systemErrorText(std::uint32_t code);

// Whether the texts the program shows are its German ones: the resource loader picks the
// string table of the user's language, or the English one.
bool showsGermanTexts();

}  // namespace win32
