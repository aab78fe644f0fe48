// The shipped programs as the loader sees them: headers and import table, read from the
// built files with a reader of just the PE fields that matter here; and their version
// resource as Windows shows it under the file's properties.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// The programs are built for the machine of this test: the product ships for i386, and the
// tests run a build for x86-64 where the machine cannot run 32-bit programs.
constexpr std::uint16_t kPe32Magic = 0x010B;
constexpr std::uint16_t kPe32PlusMagic = 0x020B;
#ifdef _WIN64
constexpr std::uint16_t kBuildMachine = 0x8664;  // x86-64
constexpr std::uint16_t kBuildMagic = kPe32PlusMagic;
#else
constexpr std::uint16_t kBuildMachine = 0x014C;  // i386
constexpr std::uint16_t kBuildMagic = kPe32Magic;
#endif
constexpr std::uint16_t kRelocationsStripped = 0x0001;
constexpr std::uint16_t kSubsystemWindowsGui = 2;
constexpr std::uint16_t kDynamicBase = 0x0040;
constexpr std::uint16_t kNxCompatible = 0x0100;
constexpr unsigned kImportDirectory = 1;
constexpr unsigned kRelocationDirectory = 5;
constexpr unsigned kDelayImportDirectory = 13;

// DLLs the system always takes from its own directory. Anything else is loaded at run time
// from the system directory, or not at all.
const std::set<std::string> kAllowedImports = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                               "msvcrt.dll",   "advapi32.dll", "setupapi.dll"};

struct DataDirectory {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;
};

struct ProgramImage {
  std::uint16_t machine = 0;
  std::uint16_t characteristics = 0;
  std::uint16_t magic = 0;
  std::uint16_t subsystem = 0;
  std::uint16_t dllCharacteristics = 0;
  std::vector<DataDirectory> directories;
  std::vector<std::string> imports;    // lower case
  std::vector<std::string> functions;  // imported by name, from any DLL, as spelt
  bool importsFunction(const std::string& name) const {
    return std::count(functions.begin(), functions.end(), name) != 0;
  }
};

class PeReader {
 public:
  explicit PeReader(const char* path) {
    std::ifstream file(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  bool read(ProgramImage& image) {
    if (u16(0) != 0x5A4D) return false;  // "MZ"
    const std::uint32_t pe = u32(0x3C);
    if (u32(pe) != 0x00004550) return false;  // "PE\0\0"
    image.machine = u16(pe + 4);
    const std::uint16_t sectionCount = u16(pe + 6);
    const std::uint16_t optionalSize = u16(pe + 20);
    image.characteristics = u16(pe + 22);
    const std::uint32_t optional = pe + 24;
    image.magic = u16(optional);
    image.subsystem = u16(optional + 68);
    image.dllCharacteristics = u16(optional + 70);
    // PE32+ widens the image base and the stack and heap sizes: its directories start later
    // and its import entries are 64-bit.
    const bool pe32Plus = image.magic == kPe32PlusMagic;
    importEntrySize_ = pe32Plus ? 8 : 4;
    const std::uint32_t directories = optional + (pe32Plus ? 112 : 96);
    const std::uint32_t directoryCount = std::min<std::uint32_t>(u32(directories - 4), 16);
    for (std::uint32_t i = 0; i < directoryCount; ++i) {
      image.directories.push_back({u32(directories + 8 * i), u32(directories + 4 + 8 * i)});
    }
    for (std::uint32_t i = 0, section = optional + optionalSize; i < sectionCount; ++i, section += 40) {
      sections_.push_back({u32(section + 12), std::max(u32(section + 8), u32(section + 16)), u32(section + 20)});
    }
    return ok_ && readImports(image);
  }

 private:
  struct Section {
    std::uint32_t rva, size, fileOffset;
  };

  // Import descriptors of 20 bytes, the name's address at 12, ended by an empty one.
  bool readImports(ProgramImage& image) {
    if (image.directories.size() <= kImportDirectory) return false;
    std::uint32_t descriptor = offsetOf(image.directories[kImportDirectory].rva);
    for (; ok_ && u32(descriptor + 12) != 0; descriptor += 20) {
      image.imports.push_back(lowerCase(text(offsetOf(u32(descriptor + 12)))));
      const std::uint32_t lookupTable = u32(descriptor) != 0 ? u32(descriptor) : u32(descriptor + 16);
      readFunctionNames(offsetOf(lookupTable), image.functions);
    }
    return ok_;
  }

  // Entries of 32 or 64 bits ended by 0; with the top bit an ordinal, otherwise the address
  // of a two-byte hint and the name.
  void readFunctionNames(std::uint32_t entry, std::vector<std::string>& functions) {
    const std::uint32_t top = importEntrySize_ - 4;  // the 32 bits that hold the top bit
    for (; ok_ && (u32(entry) != 0 || u32(entry + top) != 0); entry += importEntrySize_) {
      if (u32(entry + top) & 0x80000000u) continue;
      functions.push_back(text(offsetOf(u32(entry)) + 2));
    }
  }

  std::uint32_t offsetOf(std::uint32_t rva) {
    for (const Section& s : sections_) {
      if (rva >= s.rva && rva - s.rva < s.size) return s.fileOffset + (rva - s.rva);
    }
    ok_ = false;
    return 0;
  }

  std::uint8_t u8(std::uint32_t offset) {
    if (offset >= bytes_.size()) ok_ = false;
    return ok_ ? static_cast<std::uint8_t>(bytes_[offset]) : 0;
  }
  std::uint16_t u16(std::uint32_t offset) { return static_cast<std::uint16_t>(u8(offset) | u8(offset + 1) << 8); }
  std::uint32_t u32(std::uint32_t offset) { return u16(offset) | static_cast<std::uint32_t>(u16(offset + 2)) << 16; }

  std::string text(std::uint32_t offset) {
    std::string name;
    for (char c = static_cast<char>(u8(offset)); ok_ && c != '\0'; c = static_cast<char>(u8(++offset))) name += c;
    return name;
  }

  static std::string lowerCase(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }

  std::vector<char> bytes_;
  std::vector<Section> sections_;
  std::uint32_t importEntrySize_ = 4;
  bool ok_ = true;
};

class ProgramImageTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ProgramImageTest, IsAGuiProgramForTheBuildMachineWithAslrAndDep) {
  ProgramImage image;
  ASSERT_TRUE(PeReader(GetParam()).read(image));
  EXPECT_EQ(image.machine, kBuildMachine);
  EXPECT_EQ(image.magic, kBuildMagic);
  EXPECT_EQ(image.subsystem, kSubsystemWindowsGui);
  EXPECT_TRUE(image.dllCharacteristics & kDynamicBase) << "ASLR";
  EXPECT_TRUE(image.dllCharacteristics & kNxCompatible) << "DEP";
  // Without relocations the loader cannot move the image, whatever the flag says.
  EXPECT_FALSE(image.characteristics & kRelocationsStripped);
  ASSERT_GT(image.directories.size(), kRelocationDirectory);
  EXPECT_NE(image.directories[kRelocationDirectory].size, 0u);
}

TEST_P(ProgramImageTest, ImportsOnlyDllsTheSystemTakesFromItsOwnDirectory) {
  ProgramImage image;
  ASSERT_TRUE(PeReader(GetParam()).read(image));
  for (const std::string& dll : image.imports) {
    EXPECT_TRUE(kAllowedImports.count(dll)) << dll << " is imported";
    EXPECT_TRUE(dll.rfind("libstdc++", 0) && dll.rfind("libgcc", 0) && dll.rfind("libwinpthread", 0))
        << "the C and C++ runtimes are linked in, not imported: " << dll;
  }
  for (const char* dll : {"kernel32.dll", "user32.dll", "gdi32.dll"}) {
    EXPECT_TRUE(std::count(image.imports.begin(), image.imports.end(), dll)) << "the reader found " << dll;
  }
  ASSERT_GT(image.directories.size(), kDelayImportDirectory);
  EXPECT_EQ(image.directories[kDelayImportDirectory].size, 0u) << "no delay-loaded imports escape the check";
}

// Windows 7 SP1 as shipped lacks the DLL search-path functions (they came with a later
// update): a program importing any of them does not start there.
TEST_P(ProgramImageTest, StartsOnWindows7WithoutTheSearchPathUpdate) {
  ProgramImage image;
  ASSERT_TRUE(PeReader(GetParam()).read(image));
  ASSERT_TRUE(image.importsFunction("LoadLibraryExW")) << "the reader found the imported functions";
  for (const char* function : {"SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory"}) {
    EXPECT_FALSE(image.importsFunction(function)) << function;
  }
}

// An update keeps the dialog from its messages for most of a minute: Windows must neither
// offer to end the program meanwhile nor go to sleep.
TEST_P(ProgramImageTest, CallsWhatKeepsWindowsFromEndingOrSuspendingAnUpdate) {
  ProgramImage image;
  ASSERT_TRUE(PeReader(GetParam()).read(image));
  EXPECT_TRUE(image.importsFunction("DisableProcessWindowsGhosting"));
  EXPECT_TRUE(image.importsFunction("SetThreadExecutionState"));
}

// The version resource as the file's properties read it.
class VersionInfo {
 public:
  explicit VersionInfo(const wchar_t* path) {
    DWORD unused = 0;
    bytes_.resize(GetFileVersionInfoSizeW(path, &unused));
    found_ = !bytes_.empty() && GetFileVersionInfoW(path, 0, static_cast<DWORD>(bytes_.size()), bytes_.data());
  }
  bool found() const { return found_; }

  const VS_FIXEDFILEINFO* fixed() { return static_cast<const VS_FIXEDFILEINFO*>(value(L"\\")); }
  // Language and code page pairs, as "040904b0".
  std::vector<std::wstring> translations() {
    std::vector<std::wstring> found;
    UINT size = 0;
    const WORD* pairs = static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation", &size));
    for (UINT i = 0; pairs && i + 1 < size / sizeof(WORD); i += 2) {
      wchar_t block[9];
      swprintf(block, 9, L"%04x%04x", pairs[i], pairs[i + 1]);
      found.emplace_back(block);
    }
    return found;
  }
  std::wstring text(const std::wstring& block, const std::wstring& name) {
    const void* found = value((L"\\StringFileInfo\\" + block + L"\\" + name).c_str());
    return found ? static_cast<const wchar_t*>(found) : L"<missing>";
  }

 private:
  const void* value(const wchar_t* path, UINT* size = nullptr) {
    void* found = nullptr;
    UINT length = 0;
    if (!found_ || !VerQueryValueW(bytes_.data(), path, &found, &length)) return nullptr;
    if (size) *size = length;
    return found;
  }

  std::vector<BYTE> bytes_;
  bool found_ = false;
};

std::wstring widePath(const char* path) { return std::wstring(path, path + std::strlen(path)); }

TEST_P(ProgramImageTest, CarriesVersion3Point5InItsFixedVersionInfo) {
  VersionInfo info(widePath(GetParam()).c_str());
  ASSERT_TRUE(info.found());
  const VS_FIXEDFILEINFO* fixed = info.fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00030005u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00030005u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(info.translations(), (std::vector<std::wstring>{L"040904b0", L"040704b0"}));
}

TEST(ProductVersionInfo, NamesProductMakerVersionAndFileInEnglishAndGerman) {
  VersionInfo info(widePath(SPINDRA_PRODUCT_EXE).c_str());
  ASSERT_TRUE(info.found());
  struct Expected {
    const wchar_t* name;
    const wchar_t* english;
    const wchar_t* german;
  };
  const Expected expected[] = {
      {L"ProductName", L"SPINDRA 60 LV Firmware Updater", L"SPINDRA 60 LV Firmware-Updater"},
      {L"FileDescription", L"SPINDRA 60 LV firmware updater", L"SPINDRA 60 LV Firmware-Updater"},
      {L"CompanyName", L"Telmarix", L"Telmarix"},
      {L"FileVersion", L"3.5", L"3.5"},
      {L"ProductVersion", L"3.5", L"3.5"},
      {L"OriginalFilename", L"spindra-updater.exe", L"spindra-updater.exe"},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(info.text(L"040904b0", e.name), e.english) << "English " << std::string(e.name, e.name + wcslen(e.name));
    EXPECT_EQ(info.text(L"040704b0", e.name), e.german) << "German " << std::string(e.name, e.name + wcslen(e.name));
  }
}

// The simulated-unit build is never taken for the product.
TEST(SimulatedUnitVersionInfo, NamesItsOwnFile) {
  VersionInfo info(widePath(SPINDRA_SIMULATED_EXE).c_str());
  ASSERT_TRUE(info.found());
  for (const wchar_t* block : {L"040904b0", L"040704b0"}) {
    EXPECT_EQ(info.text(block, L"OriginalFilename"), L"spindra-updater-sim.exe");
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedPrograms, ProgramImageTest,
                         ::testing::Values(SPINDRA_PRODUCT_EXE, SPINDRA_SIMULATED_EXE),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.index == 0 ? "Product" : "SimulatedUnitBuild");
                         });

}  // namespace
