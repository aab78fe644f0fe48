// The program's resources as Windows hands them out. The module is loaded as a data file
// and every lookup goes through the platform's language-dependent search, so running this
// under LANG=en_US.UTF-8 and LANG=de_DE.UTF-8 checks what an English and a German user see.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/sha256.h"
#include "seams/system.h"
#include "res/catalogue.h"
#include "res/controls.h"
#include "base/format_text.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL);
constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
constexpr LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

bool germanInterface() {
  const char* lang = std::getenv("LANG");
  return lang && std::strncmp(lang, "de", 2) == 0;
}

std::wstring inLanguage(const char* english, const char* german) {
  return utf8ToWide(germanInterface() ? german : english);
}

// The bytes of a resource found the way the updater finds it: by id, language left to the platform.
std::vector<BYTE> resourceBytes(HMODULE module, LPCWSTR type, WORD id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  return std::vector<BYTE>(bytes, bytes + SizeofResource(module, found));
}

class Resources : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* lang = std::getenv("LANG");
    ASSERT_TRUE(lang && (std::strncmp(lang, "en", 2) == 0 || std::strncmp(lang, "de", 2) == 0))
        << "run with LANG=en_US.UTF-8 or LANG=de_DE.UTF-8";
    wchar_t path[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    module_ = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr);
  }
  static void TearDownTestSuite() { FreeLibrary(module_); }

  static HMODULE module_;
};

HMODULE Resources::module_ = nullptr;

TEST_F(Resources, EveryCatalogueTextLoadsExactlyInTheInterfaceLanguage) {
  for (const catalogue::Entry& entry : catalogue::entries()) {
    wchar_t buffer[2048];
    int length = LoadStringW(module_, entry.id, buffer, 2048);
    EXPECT_EQ(std::wstring(buffer, length), inLanguage(entry.english, entry.german)) << "text " << entry.id;
  }
}

using ResourceKey = std::tuple<std::wstring, std::wstring, LANGID>;  // type, name, language

std::wstring idText(LPCWSTR id) { return IS_INTRESOURCE(id) ? std::to_wstring(LOWORD(id)) : std::wstring(id); }

std::set<ResourceKey> enumerateResources(HMODULE module) {
  struct Walk {
    static BOOL CALLBACK onLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD lang, LONG_PTR found) {
      reinterpret_cast<std::set<ResourceKey>*>(found)->emplace(idText(type), idText(name), lang);
      return TRUE;
    }
    static BOOL CALLBACK onName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
      return EnumResourceLanguagesW(module, type, name, onLanguage, found);
    }
    static BOOL CALLBACK onType(HMODULE module, LPWSTR type, LONG_PTR found) {
      return EnumResourceNamesW(module, type, onName, found);
    }
  };
  std::set<ResourceKey> found;
  EnumResourceTypesW(module, Walk::onType, reinterpret_cast<LONG_PTR>(&found));
  return found;
}

TEST_F(Resources, ModuleHoldsExactlyTheExpectedResourcesAndLanguages) {
  auto key = [](LPCWSTR type, unsigned name, LANGID lang) {
    return ResourceKey(idText(type), std::to_wstring(name), lang);
  };
  std::set<ResourceKey> expected;
  for (const catalogue::Entry& entry : catalogue::entries()) {
    for (LANGID lang : {kEnglish, kGerman}) expected.insert(key(RT_STRING, entry.id / 16 + 1, lang));
  }
  for (unsigned dialog : {110, 113}) {
    for (LANGID lang : {kEnglish, kGerman}) expected.insert(key(RT_DIALOG, dialog, lang));
  }
  for (unsigned image = 1; image <= 5; ++image) expected.insert(key(RT_ICON, image, kNeutral));
  expected.insert(key(RT_GROUP_ICON, 123, kNeutral));
  expected.insert(key(RT_BITMAP, 121, kNeutral));
  expected.insert(key(RT_RCDATA, 140, kNeutral));
  expected.insert(key(RT_MANIFEST, 1, kEnglishUs));

  EXPECT_EQ(enumerateResources(module_), expected);
}

// Reads a DLGTEMPLATEEX resource field by field.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}

  WORD word() {
    WORD value = 0;
    if (take(sizeof value)) std::memcpy(&value, &bytes_[offset_ - sizeof value], sizeof value);
    return value;
  }
  DWORD dword() {
    DWORD low = word();
    return low | (static_cast<DWORD>(word()) << 16);
  }
  short coordinate() { return static_cast<short>(word()); }
  BYTE byte() { return take(1) ? bytes_[offset_ - 1] : 0; }
  std::wstring text() {
    std::wstring value;
    for (WORD c = word(); c != 0 && !exhausted(); c = word()) value += static_cast<wchar_t>(c);
    return value;
  }
  // A name or an ordinal; an ordinal reads as "#<number>".
  std::wstring nameOrOrdinal() {
    std::size_t start = offset_;
    if (word() == 0xFFFF) return L"#" + std::to_wstring(word());
    offset_ = start;
    return text();
  }
  void alignToDword() { offset_ = (offset_ + 3) & ~std::size_t{3}; }
  bool exhausted() const { return overrun_; }
  bool atEnd() const { return offset_ == bytes_.size(); }

 private:
  bool take(std::size_t count) {
    if (offset_ + count > bytes_.size()) {
      overrun_ = true;
      offset_ = bytes_.size();
      return false;
    }
    offset_ += count;
    return true;
  }

  const std::vector<BYTE>& bytes_;
  std::size_t offset_ = 0;
  bool overrun_ = false;
};

struct ControlTemplate {
  DWORD helpId, exStyle, style;
  short x, y, cx, cy;
  DWORD id;
  std::wstring className, text;

  bool operator==(const ControlTemplate& o) const {
    return std::tie(helpId, exStyle, style, x, y, cx, cy, id, className, text) ==
           std::tie(o.helpId, o.exStyle, o.style, o.x, o.y, o.cx, o.cy, o.id, o.className, o.text);
  }
};

void PrintTo(const ControlTemplate& c, std::ostream* out) {
  *out << "{id " << static_cast<int>(c.id) << ", class " << wideToUtf8(c.className) << ", style 0x" << std::hex
       << c.style << ", ex 0x" << c.exStyle << std::dec << ", help " << c.helpId << ", " << c.x << "," << c.y << ","
       << c.cx << "," << c.cy << ", \"" << wideToUtf8(c.text) << "\"}";
}

struct DialogTemplate {
  WORD version, signature;
  DWORD helpId, exStyle, style;
  short x, y, cx, cy;
  std::wstring menu, windowClass, title;
  WORD pointSize, weight;
  BYTE italic, charset;
  std::wstring typeface;
  std::vector<ControlTemplate> controls;
};

DialogTemplate parseDialog(const std::vector<BYTE>& bytes) {
  TemplateReader in(bytes);
  DialogTemplate d{};
  d.version = in.word();
  d.signature = in.word();
  d.helpId = in.dword();
  d.exStyle = in.dword();
  d.style = in.dword();
  WORD count = in.word();
  d.x = in.coordinate();
  d.y = in.coordinate();
  d.cx = in.coordinate();
  d.cy = in.coordinate();
  d.menu = in.nameOrOrdinal();
  d.windowClass = in.nameOrOrdinal();
  d.title = in.text();
  d.pointSize = in.word();
  d.weight = in.word();
  d.italic = in.byte();
  d.charset = in.byte();
  d.typeface = in.text();
  for (WORD i = 0; i < count && !in.exhausted(); ++i) {
    in.alignToDword();
    ControlTemplate c{};
    c.helpId = in.dword();
    c.exStyle = in.dword();
    c.style = in.dword();
    c.x = in.coordinate();
    c.y = in.coordinate();
    c.cx = in.coordinate();
    c.cy = in.coordinate();
    c.id = in.dword();
    c.className = in.nameOrOrdinal();
    c.text = in.nameOrOrdinal();
    WORD creationData = in.word();
    for (WORD skip = 0; skip < creationData; ++skip) in.byte();
    d.controls.push_back(c);
  }
  EXPECT_FALSE(in.exhausted()) << "template shorter than its header says";
  EXPECT_TRUE(in.atEnd()) << "bytes after the last control";
  return d;
}

using Area = std::tuple<short, short, short, short>;  // x, y, width, height in dialog units

constexpr DWORD kDialogStyle = 0x80C808C8;  // popup, caption, system menu, modal frame, centred, font, fixed-sys
const std::wstring kButton = L"#128", kEdit = L"#129", kStatic = L"#130";
constexpr DWORD kLabelStyle = 0x50020000;

struct ExpectedControl {
  int id;
  const std::wstring& className;
  DWORD style, exStyle;
  short x, y, cx, cy;
  const char* english;
  const char* german;
};

const ExpectedControl kMainControls[] = {
    {ctl::kCloseButton, kButton, 0x50030001, 0, 157, 199, 50, 14, "Close", "Beenden"},
    {ctl::kUpdateButton, kButton, 0x58010000, 0, 61, 199, 50, 14, "Update", "Update"},
    {ctl::kUnitLabel, kStatic, kLabelStyle, 0, 22, 24, 60, 8, "Firmware 1:", "Firmware 1:"},
    {ctl::kEscLoaderLabel, kStatic, kLabelStyle, 0, 22, 37, 60, 8, "Firmware 2:", "Firmware 2:"},
    {ctl::kUnitVersionText, kStatic, kLabelStyle, WS_EX_RIGHT, 90, 24, 50, 8, "0.00.00", "0.00.00"},
    {ctl::kEscLoaderVersionText, kStatic, kLabelStyle, WS_EX_RIGHT, 90, 37, 50, 8, "0.00.00", "0.00.00"},
    {ctl::kHintBox, kEdit, 0x50A00844, 0, 15, 89, 271, 101, "", ""},
    {-1, kStatic, kLabelStyle, 0, 15, 79, 49, 8, "Hint:", "Hinweisfenster:"},  // caption of the hint box
    {ctl::kVersionGroup, kButton, 0x50020007, 0, 15, 10, 135, 57, "Installed firmware version",
     "Installierte Firmware Versionen"},
    {ctl::kEscLabel, kStatic, kLabelStyle, 0, 22, 50, 60, 8, "Firmware 3:", "Firmware 3:"},
    {ctl::kEscVersionText, kStatic, kLabelStyle, WS_EX_RIGHT, 90, 50, 50, 8, "0.00.00", "0.00.00"},
};

void expectDialogFrame(const DialogTemplate& d, short cx, short cy, const char* english, const char* german) {
  EXPECT_EQ(d.version, 1);
  EXPECT_EQ(d.signature, 0xFFFF);
  EXPECT_EQ(d.helpId, 0u);
  EXPECT_EQ(d.exStyle, 0u);
  EXPECT_EQ(d.style, kDialogStyle);
  EXPECT_EQ(Area(d.x, d.y, d.cx, d.cy), Area(0, 0, cx, cy));
  EXPECT_EQ(d.menu, L"");
  EXPECT_EQ(d.windowClass, L"");
  EXPECT_EQ(d.title, inLanguage(english, german));
  EXPECT_EQ(d.pointSize, 8);
  EXPECT_EQ(d.weight, 0);
  EXPECT_EQ(d.italic, 0);
  EXPECT_EQ(d.charset, DEFAULT_CHARSET);
  EXPECT_EQ(d.typeface, L"MS Shell Dlg");
}

TEST_F(Resources, MainDialogTemplateIsExactInTheInterfaceLanguage) {
  DialogTemplate d = parseDialog(resourceBytes(module_, RT_DIALOG, 110));
  expectDialogFrame(d, 300, 228, "TELMARIX firmware updater", "TELMARIX Firmware Updater");
  std::vector<ControlTemplate> expected;
  for (const ExpectedControl& e : kMainControls) {
    expected.push_back({0, e.exStyle, e.style, e.x, e.y, e.cx, e.cy, static_cast<DWORD>(e.id), e.className,
                        inLanguage(e.english, e.german)});
  }
  EXPECT_EQ(d.controls, expected);
}

TEST_F(Resources, ProgressDialogTemplateHoldsOneProgressBarFillingIt) {
  DialogTemplate d = parseDialog(resourceBytes(module_, RT_DIALOG, 113));
  expectDialogFrame(d, 289, 22, "Update progress", "Update Fortschritt");
  ASSERT_EQ(d.controls.size(), 1u);
  const ControlTemplate& bar = d.controls[0];
  EXPECT_EQ(lstrcmpiW(bar.className.c_str(), L"msctls_progress32"), 0) << wideToUtf8(bar.className);
  EXPECT_EQ(Area(bar.x, bar.y, bar.cx, bar.cy), Area(0, 0, 289, 22));
  EXPECT_EQ(bar.style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
}

INT_PTR CALLBACK inertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring windowText(HWND window) {
  wchar_t buffer[256];
  return std::wstring(buffer, GetWindowTextW(window, buffer, 256));
}

// What the dialog manager builds from the template: the controls in tab order, with the
// predefined classes, the texts of the interface language and the Update button disabled.
TEST_F(Resources, MainDialogCreatedFromTheTemplateShowsTheInterfaceLanguage) {
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(110), nullptr, inertDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(windowText(dialog), inLanguage("TELMARIX firmware updater", "TELMARIX Firmware Updater"));
  HWND control = GetWindow(dialog, GW_CHILD);
  for (const ExpectedControl& e : kMainControls) {
    ASSERT_NE(control, nullptr) << "missing control " << e.id;
    wchar_t className[64];
    GetClassNameW(control, className, 64);
    const wchar_t* expectedClass = e.className == kButton ? L"Button" : e.className == kEdit ? L"Edit" : L"Static";
    EXPECT_EQ(GetDlgCtrlID(control), e.id);
    EXPECT_EQ(lstrcmpiW(className, expectedClass), 0) << wideToUtf8(className) << " for control " << e.id;
    EXPECT_EQ(windowText(control), inLanguage(e.english, e.german)) << "control " << e.id;
    EXPECT_EQ(IsWindowEnabled(control) != FALSE, e.id != ctl::kUpdateButton) << "control " << e.id;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)) & WS_EX_RIGHT, e.exStyle) << "control " << e.id;
    control = GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(control, nullptr) << "more controls than the template lists";
  DestroyWindow(dialog);
}

TEST_F(Resources, IconGroupHoldsFiveOpaqueThirtyTwoBitImages) {
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  std::vector<BYTE> group = resourceBytes(module_, RT_GROUP_ICON, 123);
  ASSERT_EQ(group.size(), 6 + 5 * sizeof(GroupEntry));
  WORD header[3];
  std::memcpy(header, group.data(), sizeof header);
  EXPECT_EQ(header[1], 1) << "icon, not cursor";
  ASSERT_EQ(header[2], 5);
  const int sizes[] = {16, 32, 48, 64, 128};
  for (int i = 0; i < 5; ++i) {
    GroupEntry entry;
    std::memcpy(&entry, &group[6 + i * sizeof entry], sizeof entry);
    const int size = sizes[i];
    SCOPED_TRACE(testing::Message() << size << " px");
    EXPECT_EQ(entry.id, i + 1);
    EXPECT_EQ(entry.width, size);
    EXPECT_EQ(entry.height, size);
    EXPECT_EQ(entry.planes, 1);
    EXPECT_EQ(entry.bitCount, 32);

    std::vector<BYTE> image = resourceBytes(module_, RT_ICON, entry.id);
    const std::size_t colourBytes = size * size * 4, maskBytes = ((size + 31) / 32) * 4 * size;
    ASSERT_EQ(image.size(), sizeof(BITMAPINFOHEADER) + colourBytes + maskBytes);
    EXPECT_EQ(entry.bytes, image.size());
    BITMAPINFOHEADER info;
    std::memcpy(&info, image.data(), sizeof info);
    EXPECT_EQ(info.biSize, sizeof info);
    EXPECT_EQ(info.biWidth, size);
    EXPECT_EQ(info.biHeight, 2 * size) << "colour and mask";
    EXPECT_EQ(info.biBitCount, 32);
    EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
    const BYTE* pixels = image.data() + sizeof info;
    std::size_t translucent = 0;
    for (std::size_t p = 0; p < colourBytes / 4; ++p) translucent += pixels[4 * p + 3] != 255;
    EXPECT_EQ(translucent, 0u) << "pixels with alpha below 255";
    EXPECT_EQ(std::count(pixels + colourBytes, pixels + colourBytes + maskBytes, 0), static_cast<long>(maskBytes))
        << "mask must leave every pixel opaque";
    EXPECT_NE(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000, size, size,
                                       LR_DEFAULTCOLOR),
              nullptr);
  }
  EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(123)), nullptr);
}

TEST_F(Resources, PictureIsBottomUpTwentyFourBitWithAboutTwoFifthsPureGreen) {
  constexpr int kWidth = 1772, kHeight = 263;
  std::vector<BYTE> bitmap = resourceBytes(module_, RT_BITMAP, 121);
  const std::size_t stride = ((kWidth * 24 + 31) / 32) * 4;
  ASSERT_EQ(bitmap.size(), sizeof(BITMAPINFOHEADER) + stride * kHeight);
  BITMAPINFOHEADER info;
  std::memcpy(&info, bitmap.data(), sizeof info);
  EXPECT_EQ(info.biWidth, kWidth);
  EXPECT_EQ(info.biHeight, kHeight) << "positive: stored bottom-up";
  EXPECT_EQ(info.biBitCount, 24);
  EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));

  // Pixels close to the transparent green without being it would be drawn as a green fringe.
  std::size_t green = 0, nearlyGreen = 0;
  for (int row = 0; row < kHeight; ++row) {
    const BYTE* pixel = bitmap.data() + sizeof info + row * stride;
    for (int x = 0; x < kWidth; ++x, pixel += 3) {
      const int blue = pixel[0], greenLevel = pixel[1], red = pixel[2];
      if (blue == 0 && greenLevel == 255 && red == 0) {
        ++green;
      } else if (blue + red + (255 - greenLevel) < 96) {
        ++nearlyGreen;
      }
    }
  }
  const double greenShare = static_cast<double>(green) / (kWidth * kHeight);
  EXPECT_GT(greenShare, 0.3);
  EXPECT_LT(greenShare, 0.5);
  EXPECT_EQ(nearlyGreen, 0u);

  HBITMAP loaded = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(121));
  ASSERT_NE(loaded, nullptr);
  BITMAP object;
  ASSERT_EQ(GetObjectW(loaded, sizeof object, &object), static_cast<int>(sizeof object));
  EXPECT_EQ(object.bmWidth, kWidth);
  EXPECT_EQ(object.bmHeight, kHeight);
  DeleteObject(loaded);
}

TEST_F(Resources, ManifestAsksForTheInvokersRightsAndNothingElse) {
  HRSRC found = FindResourceExW(module_, RT_MANIFEST, MAKEINTRESOURCEW(1), kEnglishUs);
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
  std::string manifest(bytes, SizeofResource(module_, found));
  EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"), std::string::npos);
  EXPECT_EQ(manifest.find("dependency"), std::string::npos);
  EXPECT_EQ(manifest.find("compatibility"), std::string::npos);
}

TEST_F(Resources, FirmwareImageIsTheBuildsImageByteForByte) {
  std::ifstream file(SPINDRA_EMBEDDED_IMAGE, std::ios::binary);
  ASSERT_TRUE(file) << "cannot read " << SPINDRA_EMBEDDED_IMAGE;
  std::vector<BYTE> expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<BYTE> embedded = resourceBytes(module_, RT_RCDATA, 140);
  EXPECT_EQ(embedded.size(), expected.size());
  EXPECT_TRUE(embedded == expected);
}

// The updater refuses an image its record does not describe: the two must come together.
TEST_F(Resources, RecordBuiltInDescribesTheEmbeddedImage) {
  const std::vector<BYTE> embedded = resourceBytes(module_, RT_RCDATA, 140);
  const sys::ImageRecord record = sys::recordedImage();
  EXPECT_EQ(record.size, embedded.size());
  EXPECT_TRUE(record.sha256 == sha256(embedded.data(), embedded.size()));
}

}  // namespace
