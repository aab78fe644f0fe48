#pragma once
// The few texts held in the code itself, the same in every language.

namespace lit {
constexpr const wchar_t* kTitleFormat = L"TELMARIX %s FW Updater %u.%u %s";
constexpr const wchar_t* kTargetModel = L"SPINDRA 60 LV";
constexpr const wchar_t* kNoVersion = L"0.0.0";
constexpr const wchar_t* kNoEscFirmware = L"----------";
constexpr const wchar_t* kRoundelName = L"ROUNDEL";
constexpr const wchar_t* kDockBoxName = L"DOCK-BOX";
constexpr const wchar_t* kLeadingVersionFormat = L"%u.";
constexpr const wchar_t* kVersionFormat = L"%u.%u";
constexpr const wchar_t* kParagraphBreak = L"\r\n\r\n";
constexpr const wchar_t* kLineBreak = L"\r\n";
constexpr const wchar_t* kProgressClass = L"msctls_progress32";
}  // namespace lit
