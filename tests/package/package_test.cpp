// The installer packages of build/dist under Wine's msiexec, both bitnesses:
// what installing writes, that removing takes exactly that away again, the
// upgrade from an older package, and the two packages side by side. The x86
// package needs no 32-bit code to install, so it is tested here too.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tarnwick_version.h"
#include "tests/server/registration_table.h"
#include "tests/server/server_test_support.h"
#include "win32/unique_any.h"

namespace tarnwick {
namespace test {
// "x64" or "x86", for file names and the tests' names.
std::string PlatformName(const Bitness& bitness) {
  return std::string(bitness.platform, bitness.platform + wcslen(bitness.platform));
}
void PrintTo(const Bitness& bitness, std::ostream* out) {
  *out << PlatformName(bitness);
}
}  // namespace test
namespace {

using namespace server_test;
using test::Bitness;

constexpr wchar_t kHelpString[] = L"Tarnwick 1.0 \u30BF\u30A4\u30D7 \u30E9\u30A4\u30D6\u30E9\u30EA";
const std::wstring kVbeKey = L"Software\\Microsoft\\VBA\\VBE\\6.0";

std::wstring PackagePath(const Bitness& bitness, const char* directory = TARNWICK_DIST_DIR,
                         const std::string& version = TARNWICK_VERSION_TEXT) {
  return WindowsPath(std::string(directory) + "/Tarnwick-" + version + "-" +
                     test::PlatformName(bitness) + ".msi");
}
std::wstring OlderPackagePath(const Bitness& bitness) {
  return PackagePath(bitness, TARNWICK_DIST_OLDER_DIR, "0.0.1");
}

// %LOCALAPPDATA%\Programs\Tarnwick\, the type library's HELPDIR for both.
std::wstring SharedFolder() {
  wchar_t* local = nullptr;
  EXPECT_EQ(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local), S_OK);
  std::wstring folder = std::wstring(local ? local : L"") + L"\\Programs\\Tarnwick\\";
  CoTaskMemFree(local);
  return folder;
}
// %LOCALAPPDATA%\Programs\Tarnwick\<platform>, where the package installs.
std::wstring InstallFolder(const Bitness& bitness) {
  return SharedFolder() + bitness.platform;
}

// msiexec ACTION PACKAGE /qn: its exit code.
DWORD Msiexec(const wchar_t* action, const std::wstring& package) {
  std::wstring command = std::wstring(L"msiexec.exe ") + action + L" \"" + package + L"\" /qn";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return GetLastError();
  }
  UniqueHandle owner(process.hProcess), thread(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

// The installed products of a package's name, with their versions.
std::vector<std::wstring> InstalledVersionsOf(const std::wstring& productName) {
  std::vector<std::wstring> versions;
  wchar_t product[39];
  for (DWORD index = 0; MsiEnumProductsW(index, product) == ERROR_SUCCESS; ++index) {
    wchar_t name[256] = {}, version[64] = {};
    DWORD nameLength = 256, versionLength = 64;
    if (MsiGetProductInfoW(product, INSTALLPROPERTY_INSTALLEDPRODUCTNAME, name, &nameLength) ==
            ERROR_SUCCESS &&
        productName == name &&
        MsiGetProductInfoW(product, INSTALLPROPERTY_VERSIONSTRING, version, &versionLength) ==
            ERROR_SUCCESS) {
      versions.push_back(version);
    }
  }
  return versions;
}
std::wstring ProductName(const Bitness& bitness) {
  return std::wstring(L"Tarnwick for ") + (bitness.view == KEY_WOW64_64KEY ? L"64" : L"32") +
         L"-bit Office";
}

// Everything that a package writes for the bitness, as the per-user
// registration's tables give it.
std::vector<std::wstring> Installed(const Bitness& bitness) {
  std::vector<std::wstring> lines = ClassKeys(HKEY_CURRENT_USER, kUserClasses, bitness.view);
  const std::vector<std::wstring> addin = ReadTree(HKEY_CURRENT_USER, AddinKeyOf(bitness));
  lines.insert(lines.end(), addin.begin(), addin.end());
  return lines;
}
std::vector<std::wstring> InstalledTypeLib(const Bitness& bitness) {
  return TypeLibKeys(HKEY_CURRENT_USER, kUserClasses, bitness.view);
}

// Snapshot's values and the keys that hold them, without the installer's own
// bookkeeping of products. Keys with nothing in them are left out: Wine's
// msiexec deletes every parent key that a removal leaves empty (the user's
// Software\Classes itself, even), which loses no data.
std::vector<std::wstring> SnapshotOutsideTheInstaller() {
  const std::vector<std::wstring> all = Snapshot();
  std::vector<std::wstring> lines;
  for (size_t i = 0; i < all.size(); ++i) {
    const std::wstring& line = all[i];
    if (line.rfind(L"Software\\Microsoft\\Installer", 0) == 0) {
      continue;
    }
    const bool isKey = line.find(L" | ") == std::wstring::npos;
    // A key's values and subkeys follow it (ReadTree's order).
    bool holdsValues = !isKey;
    for (size_t j = i + 1; isKey && j < all.size() && all[j].rfind(line, 0) == 0; ++j) {
      holdsValues = holdsValues || all[j].find(L" | ") != std::wstring::npos;
    }
    if (holdsValues) {
      lines.push_back(line);
    }
  }
  return lines;
}

// Windows keeps a 32-bit view of HKCU\Software\Classes\CLSID of its own;
// Wine's views share it, so there the two packages' class keys are one.
bool ClassViewsAreSeparate() {
  const std::wstring probe = L"Software\\Classes\\CLSID\\{5E0B7A41-TARNWICK-VIEW-PROBE}";
  UniqueHkey key;
  RegCreateKeyExW(HKEY_CURRENT_USER, probe.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                  nullptr, key.put(), nullptr);
  UniqueHkey seen;
  const bool separate = RegOpenKeyExW(HKEY_CURRENT_USER, probe.c_str(), 0,
                                      KEY_READ | KEY_WOW64_32KEY, seen.put()) != ERROR_SUCCESS;
  RegDeleteKeyExW(HKEY_CURRENT_USER, probe.c_str(), KEY_WOW64_64KEY, 0);
  return separate;
}

// Entries of others below the editor's keys, which no package may touch: a
// value of the editor's own, and another add-in's key of each bitness.
class ForeignEntries {
 public:
  ForeignEntries() {
    Set(kVbeKey, L"TarnwickTestForeign", 1);
    for (const Bitness* bitness : {&test::kX64, &test::kX86}) {
      Set(kVbeKey + L"\\" + bitness->addinsKey + L"\\TarnwickTest.OtherAddIn", L"LoadBehavior", 3);
    }
  }
  ~ForeignEntries() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kVbeKey.c_str(), L"TarnwickTestForeign");
    for (const Bitness* bitness : {&test::kX64, &test::kX86}) {
      RegDeleteTreeW(HKEY_CURRENT_USER,
                     (kVbeKey + L"\\" + bitness->addinsKey + L"\\TarnwickTest.OtherAddIn").c_str());
    }
  }
  ForeignEntries(const ForeignEntries&) = delete;
  ForeignEntries& operator=(const ForeignEntries&) = delete;

 private:
  static void Set(const std::wstring& key, const wchar_t* name, DWORD value) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value),
        ERROR_SUCCESS);
  }
};

class PackageTest : public ::testing::TestWithParam<Bitness> {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    for (const Bitness* bitness : {&test::kX64, &test::kX86}) {
      for (const std::wstring& package : {PackagePath(*bitness), OlderPackagePath(*bitness)}) {
        ASSERT_TRUE(std::filesystem::exists(package)) << "make package-test builds the packages";
      }
    }
    before = SnapshotOutsideTheInstaller();
  }
  void TearDown() override {
    // Whatever a failed case left installed goes, so that the next starts clean.
    for (const Bitness* bitness : {&test::kX64, &test::kX86}) {
      if (!InstalledVersionsOf(ProductName(*bitness)).empty()) {
        (void)Msiexec(L"/x", PackagePath(*bitness));
      }
    }
    const std::string changed = Difference(before, SnapshotOutsideTheInstaller());
    EXPECT_TRUE(changed.empty()) << "left in the registry:\n" << changed;
    CoUninitialize();
  }

  ForeignEntries foreign;
  std::vector<std::wstring> before;
};

// The summary's word count bit that tells Windows the package needs no
// elevation (msidbSumInfoSourceTypeLUAPackage); without it Windows asks for
// administrator rights, which Wine never does.
bool NeedsNoElevation(const std::wstring& package) {
  MSIHANDLE summary = 0;
  INT wordCount = 0;
  UINT type = 0;
  const bool read = MsiGetSummaryInformationW(0, package.c_str(), 0, &summary) == ERROR_SUCCESS &&
                    MsiSummaryInfoGetPropertyW(summary, PIDSI_WORDCOUNT, &type, &wordCount, nullptr,
                                               nullptr, nullptr) == ERROR_SUCCESS;
  MsiCloseHandle(summary);
  return read && (wordCount & 8) != 0;
}

TEST_P(PackageTest, InstallsThePerUserRegistrationAndRemovesExactlyIt) {
  const Bitness& bitness = GetParam();
  const std::wstring folder = InstallFolder(bitness);
  EXPECT_TRUE(NeedsNoElevation(PackagePath(bitness)));
  ASSERT_EQ(Msiexec(L"/i", PackagePath(bitness)), 0u);

  EXPECT_EQ(Installed(bitness), ExpectedKeys(folder + L"\\Tarnwick.dll", bitness));
  EXPECT_EQ(InstalledTypeLib(bitness),
            ExpectedTypeLibKeys(folder + L"\\Tarnwick.dll", SharedFolder(), kHelpString, bitness));
  EXPECT_TRUE(std::filesystem::exists(folder + L"\\tarnwick-doc.exe"));
  EXPECT_TRUE(std::filesystem::exists(folder + L"\\tarnwick-lsp.exe"));
  EXPECT_TRUE(std::filesystem::exists(folder + L"\\rules.md"));
  EXPECT_EQ(InstalledVersionsOf(ProductName(bitness)),
            std::vector<std::wstring>{L"" TARNWICK_VERSION_TEXT});

  ASSERT_EQ(Msiexec(L"/x", PackagePath(bitness)), 0u);
  EXPECT_EQ(Installed(bitness), std::vector<std::wstring>{});
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_EQ(InstalledVersionsOf(ProductName(bitness)), std::vector<std::wstring>{});
  // TearDown: nothing else changed; the foreign entries are still there.
}

TEST_P(PackageTest, ANewerPackageReplacesAnOlderOneInPlace) {
  const Bitness& bitness = GetParam();
  ASSERT_EQ(Msiexec(L"/i", OlderPackagePath(bitness)), 0u);
  ASSERT_EQ(InstalledVersionsOf(ProductName(bitness)), std::vector<std::wstring>{L"0.0.1"});

  ASSERT_EQ(Msiexec(L"/i", PackagePath(bitness)), 0u);
  EXPECT_EQ(InstalledVersionsOf(ProductName(bitness)),
            std::vector<std::wstring>{L"" TARNWICK_VERSION_TEXT});
  // The older package's "Version 0.0.1" description is gone with it.
  EXPECT_EQ(Installed(bitness), ExpectedKeys(InstallFolder(bitness) + L"\\Tarnwick.dll", bitness));

  // The same package once more leaves one product.
  ASSERT_EQ(Msiexec(L"/i", PackagePath(bitness)), 0u);
  EXPECT_EQ(InstalledVersionsOf(ProductName(bitness)).size(), 1u);
  ASSERT_EQ(Msiexec(L"/x", PackagePath(bitness)), 0u);
}

INSTANTIATE_TEST_SUITE_P(Bitnesses, PackageTest, ::testing::Values(test::kX64, test::kX86),
                         [](const auto& info) { return test::PlatformName(info.param); });

class SideBySideTest : public PackageTest {};

TEST_F(SideBySideTest, RemovingOneBitnessLeavesTheOtherRegistered) {
  const Bitness &x64 = test::kX64, &x86 = test::kX86;
  ASSERT_EQ(Msiexec(L"/i", PackagePath(x64)), 0u);
  ASSERT_EQ(Msiexec(L"/i", PackagePath(x86)), 0u);
  const std::wstring x86Module = InstallFolder(x86) + L"\\Tarnwick.dll";
  const bool separate = ClassViewsAreSeparate();
  if (separate) {
    EXPECT_EQ(Installed(x64), ExpectedKeys(InstallFolder(x64) + L"\\Tarnwick.dll", x64));
    EXPECT_EQ(Installed(x86), ExpectedKeys(x86Module, x86));
  }

  ASSERT_EQ(Msiexec(L"/x", PackagePath(x64)), 0u);
  EXPECT_FALSE(std::filesystem::exists(InstallFolder(x64)));
  EXPECT_TRUE(std::filesystem::exists(x86Module));
  EXPECT_EQ(ReadTree(HKEY_CURRENT_USER, AddinKeyOf(x64)), std::vector<std::wstring>{});
  EXPECT_EQ(ReadTree(HKEY_CURRENT_USER, AddinKeyOf(x86)), ExpectedAddinKey(x86));
  if (separate) {
    EXPECT_EQ(Installed(x86), ExpectedKeys(x86Module, x86));
    EXPECT_EQ(InstalledTypeLib(x86),
              ExpectedTypeLibKeys(x86Module, SharedFolder(), kHelpString, x86));
  } else {
    // One class key for both under Wine, and the x64 package took it away;
    // the keys that the packages share stay with the x86 one.
    std::vector<std::wstring> shared = ExpectedKeys(x86Module, x86);
    std::erase_if(shared, [](const std::wstring& line) {
      return line.rfind(L"CLSID", 0) == 0 || line.rfind(L"Software", 0) == 0;
    });
    std::vector<std::wstring> classes = ClassKeys(HKEY_CURRENT_USER, kUserClasses);
    EXPECT_EQ(classes, shared);
  }

  ASSERT_EQ(Msiexec(L"/x", PackagePath(x86)), 0u);
  EXPECT_FALSE(std::filesystem::exists(InstallFolder(x86)));
}

}  // namespace
}  // namespace tarnwick
