// The pieces of registration that need no registry: the script resources read
// back from the built DLL, the type library's file and help paths, and the
// thread locale kept across a registration.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "addin/server/module_resources.h"
#include "addin/server/registration.h"
#include "addin/server/typelib_registration.h"
#include "server_test_support.h"

namespace tarnwick {
namespace {

std::wstring FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return server_test::Widen(bytes);
}

TEST(RegistryScriptResource, HoldsTheScriptFilesByteForByte) {
  const std::string dir = TARNWICK_RESOURCES_DIR;
  const struct {
    int id;
    std::string file;
  } scripts[] = {{101, "/appid.rgs"}, {102, "/connect.rgs"}};
  for (const auto& script : scripts) {
    std::wstring text = L"stale";
    ASSERT_EQ(LoadRegistryScript(server_test::BuiltDllPath(), script.id, &text), kS_OK);
    const std::wstring expected = FileText(dir + script.file);
    EXPECT_EQ(text, expected) << "script " << script.id;
    EXPECT_NE(text.find(L"\r\n"), std::wstring::npos) << "line ends lost in " << script.id;
  }
}

TEST(RegistryScriptResource, MissingScriptOrFileFailsAndLeavesTheOutputAlone) {
  std::wstring text = L"untouched";
  EXPECT_EQ(LoadRegistryScript(server_test::BuiltDllPath(), 999, &text),
            HResultFromWin32(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_TRUE(Failed(LoadRegistryScript(L"Z:\\no\\such\\Tarnwick.dll", 101, &text)));
  EXPECT_EQ(text, L"untouched");
}

TEST(TypeLibPaths, TheTlbFileReplacesOnlyTheLastComponentsExtension) {
  const struct {
    const wchar_t* path;
    const wchar_t* expected;
  } cases[] = {
      {L"C:\\a\\Tarnwick.dll", L"C:\\a\\Tarnwick.tlb"},
      {L"C:\\a.b\\Tarnwick", L"C:\\a.b\\Tarnwick.tlb"},
      {L"C:\\a\\x.y.dll", L"C:\\a\\x.y.tlb"},
      {L"Tarnwick", L"Tarnwick.tlb"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypeLibFileBeside(c.path), c.expected);
  }
}

TEST(TypeLibPaths, HelpDirectoryEndsAtTheLastSeparator) {
  EXPECT_EQ(HelpDirectoryOf(L"C:\\help\\lib.chm"), L"C:\\help\\");
  EXPECT_EQ(HelpDirectoryOf(L"C:/help/lib.chm"), L"C:/help/");
  EXPECT_EQ(HelpDirectoryOf(L"C:lib.chm"), L"C:");
  EXPECT_EQ(HelpDirectoryOf(L"lib.chm"), L"");
}

TEST(ThreadLocale, IsTheSystemDefaultDuringRegistrationAndRestoredAfter) {
  const LCID before = GetThreadLocale();
  const LCID japanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);
  ASSERT_TRUE(SetThreadLocale(japanese));
  {
    ThreadLocaleScope scope;
    EXPECT_EQ(GetThreadLocale(), ConvertDefaultLocale(LOCALE_SYSTEM_DEFAULT));
  }
  EXPECT_EQ(GetThreadLocale(), japanese);
  SetThreadLocale(before);
}

}  // namespace
}  // namespace tarnwick
