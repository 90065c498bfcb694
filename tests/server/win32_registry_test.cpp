// The registrar over the system registry: scripts applied through Win32Registry
// to a private key (the script's HKCR redirected there), and the port's error
// codes, which the registrar's decisions depend on.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registrar/registrar.h"
#include "addin/server/win32_registry.h"
#include "server_test_support.h"

namespace tarnwick {
namespace {

using server_test::ReadTree;
using server_test::Widen;

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    caseName = Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
    base = L"Software\\TarnwickTest\\server_parts_tests\\" + caseName;
    RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
    mapping[RegistryRoot::ClassesRoot] = {
        RegistryRoot::CurrentUser, {L"Software", L"TarnwickTest", L"server_parts_tests", caseName}};
  }
  void TearDown() override {
    EXPECT_EQ(registry.OpenKeyCount(), 0u) << "keys left open";
    RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
  }

  HResult Run(const std::wstring& script, RegistrarMode mode) {
    return RunRegistryScript(script, Replacements(), registry, mode, mapping);
  }
  std::vector<std::wstring> Tree() { return ReadTree(HKEY_CURRENT_USER, base); }

  // Opens the private key through the port.
  RegistryKey OpenBase() {
    RegistryKey root = 0;
    EXPECT_EQ(registry.OpenRoot(RegistryRoot::CurrentUser, &root), kS_OK);
    RegistryKey key = 0;
    EXPECT_EQ(registry.CreateKey(root, base, &key), kS_OK);
    return key;
  }

  std::wstring caseName;
  std::wstring base;
  RootMapping mapping;
  Win32Registry registry;
};

TEST_F(Win32RegistryTest, RegistersNestedKeysAndTypedValuesThenRemovesThem) {
  const std::wstring script =
      L"HKCR\r\n{\r\n"
      L"\tDemo.Thing = s 'Thing Class'\r\n\t{\r\n"
      L"\t\tInner = s 'It''s'\r\n"
      L"\t\tval Two = s 'first\r\nsecond'\r\n"
      L"\t\tval Count = d '00000003'\r\n"
      L"\t\tval Zero = d '0'\r\n"
      L"\t\tEmpty\r\n"
      L"\t}\r\n}\r\n";
  ASSERT_EQ(Run(script, RegistrarMode::Register), kS_OK);
  const std::wstring thing = base + L"\\Demo.Thing";
  EXPECT_EQ(Tree(), (std::vector<std::wstring>{
                        base,
                        thing,
                        thing + L" | @ | sz | Thing Class",
                        thing + L" | Count | dword | 3",
                        thing + L" | Two | sz | first\\r\\nsecond",
                        thing + L" | Zero | dword | 0",
                        thing + L"\\Empty",
                        thing + L"\\Inner",
                        thing + L"\\Inner | @ | sz | It's",
                    }));

  ASSERT_EQ(Run(script, RegistrarMode::Unregister), kS_OK);
  EXPECT_EQ(Tree(), std::vector<std::wstring>{base});
  // Unregistering what is not there is no error.
  EXPECT_EQ(Run(script, RegistrarMode::Unregister), kS_OK);
}

TEST_F(Win32RegistryTest, ForceRemoveReplacesAWholeExistingTree) {
  const std::wstring old = base + L"\\Target\\a\\b\\c";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, old.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(
      RegSetKeyValueW(HKEY_CURRENT_USER, (base + L"\\Target").c_str(), L"Stale", REG_SZ, L"x", 4),
      ERROR_SUCCESS);

  ASSERT_EQ(Run(L"HKCR { ForceRemove Target = s 'new' { Fresh } }", RegistrarMode::Register),
            kS_OK);
  EXPECT_EQ(Tree(),
            (std::vector<std::wstring>{base, base + L"\\Target", base + L"\\Target | @ | sz | new",
                                       base + L"\\Target\\Fresh"}));
}

TEST_F(Win32RegistryTest, PortReportsMissingKeysAndValuesAsNotFound) {
  const RegistryKey key = OpenBase();
  RegistryKey missing = 123;
  EXPECT_EQ(registry.OpenKey(key, L"Nowhere", &missing), kNotFound);
  EXPECT_EQ(missing, 0u);
  EXPECT_EQ(registry.DeleteKey(key, L"Nowhere"), kNotFound);
  EXPECT_EQ(registry.DeleteValue(key, L"Nothing"), kNotFound);
  bool exists = true;
  EXPECT_EQ(registry.KeyExists(key, L"Nowhere", &exists), kS_OK);
  EXPECT_FALSE(exists);
  registry.CloseKey(key);
}

TEST_F(Win32RegistryTest, PortRefusesToDeleteAKeyWithSubkeysAndListsThem) {
  const RegistryKey key = OpenBase();
  RegistryKey child = 0;
  RegistryKey grandChild = 0;
  ASSERT_EQ(registry.CreateKey(key, L"Parent", &child), kS_OK);
  ASSERT_EQ(registry.CreateKey(child, L"Kid1", &grandChild), kS_OK);
  registry.CloseKey(grandChild);
  ASSERT_EQ(registry.CreateKey(child, L"Kid2", &grandChild), kS_OK);
  registry.CloseKey(grandChild);

  EXPECT_EQ(registry.DeleteKey(key, L"Parent"), HResultFromWin32(kErrorAccessDenied));
  std::uint32_t count = 0;
  EXPECT_EQ(registry.CountSubKeys(child, &count), kS_OK);
  EXPECT_EQ(count, 2u);
  std::vector<std::wstring> names{L"stale"};
  EXPECT_EQ(registry.EnumSubKeys(child, &names), kS_OK);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Kid1", L"Kid2"}));

  EXPECT_EQ(registry.DeleteKey(child, L"Kid1"), kS_OK);
  EXPECT_EQ(registry.DeleteKey(child, L"Kid2"), kS_OK);
  registry.CloseKey(child);
  EXPECT_EQ(registry.DeleteKey(key, L"Parent"), kS_OK);
  registry.CloseKey(key);
}

}  // namespace
}  // namespace tarnwick
