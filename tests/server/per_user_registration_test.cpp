// DllInstall with "user": registration for the current user only, under
// HKCU\Software\Classes, against the registry of the test prefix. These tests
// write the add-in's fixed keys and run one at a time (RESOURCE_LOCK).
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dll_test_support.h"
#include "registration_table.h"
#include "win32/unique_any.h"

namespace tarnwick {
namespace {

using Microsoft::WRL::ComPtr;
using namespace server_test;

// Wine's RegisterTypeLibForUser registers the library machine-wide, and its
// UnRegisterTypeLibForUser unregisters it there. On Windows both work below
// HKCU\Software\Classes.
bool TypeLibForUserIsMachineWide() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::vector<std::wstring> UserClassKeys() {
  return ClassKeys(HKEY_CURRENT_USER, kUserClasses);
}
std::vector<std::wstring> MachineClassKeys() {
  return ClassKeys(HKEY_LOCAL_MACHINE, kMachineClasses);
}
std::vector<std::wstring> AddinKey() {
  return ReadTree(HKEY_CURRENT_USER, kAddinKey);
}

std::vector<std::wstring> Concatenated(std::vector<std::wstring> a,
                                       const std::vector<std::wstring>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// What the machine-wide table expects of the class keys alone.
std::vector<std::wstring> ExpectedClassKeys(const std::wstring& modulePath) {
  std::vector<std::wstring> lines = ExpectedKeys(modulePath);
  lines.resize(lines.size() - ExpectedAddinKey().size());
  return lines;
}

// Wine's type library registration for the user lands machine-wide and is not
// undone by a per-user unregistration (which removes only what it finds below
// the user's classes). Removes it there, as Windows would never have written it.
void RemoveWinesMachineWideTypeLib() {
  if (!TypeLibForUserIsMachineWide() || RegisteredTypeLibPath() == L"(missing)") {
    return;
  }
  EXPECT_EQ(UnRegisterTypeLib(GuidOf(kLIBID_TarnwickLib), 1, 0, 0x0409, test::kTypeLibSysKind),
            S_OK);
}

// The library's help string as the system decodes it from the library, which
// is what registering it writes.
std::wstring HelpStringOf(const std::wstring& modulePath) {
  ComPtr<ITypeLib> library;
  UniqueBstr doc;
  if (FAILED(LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.GetAddressOf())) ||
      FAILED(library->GetDocumentation(-1, nullptr, doc.put(), nullptr, nullptr))) {
    return L"(no library)";
  }
  return doc.get();
}

class PerUserRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_TRUE(server.Ready());
    modulePath = ModulePathOf(server.module);
    // Whatever earlier programs of the prefix left of either registration
    // (the parent keys that a registration creates and keeps, say) goes first,
    // so that a snapshot taken now is the registry as a fresh user has it.
    ASSERT_EQ(server.registerServer(), S_OK);
    ASSERT_EQ(server.unregisterServer(), S_OK);
    ASSERT_EQ(server.install(TRUE, L"user"), S_OK);
    ASSERT_EQ(server.install(FALSE, L"user"), S_OK);
    RemoveWinesMachineWideTypeLib();
    before = Snapshot();
  }
  void TearDown() override { CoUninitialize(); }

  LoadedServer server;
  std::wstring modulePath;
  std::vector<std::wstring> before;
};

TEST_F(PerUserRegistrationTest, WritesTheClassesBelowTheUsersKeysAndUnregistersWithoutATrace) {
  const LCID callers = GetThreadLocale();
  const LCID japanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);
  ASSERT_TRUE(SetThreadLocale(japanese));
  ASSERT_EQ(server.install(TRUE, L"user"), S_OK);
  EXPECT_EQ(GetThreadLocale(), japanese);

  EXPECT_EQ(Concatenated(UserClassKeys(), AddinKey()), ExpectedKeys(modulePath));
  EXPECT_EQ(MachineClassKeys(), std::vector<std::wstring>{});
  // The type library's keys, below the user's classes (Wine: the machine's).
  const HKEY typeLibRoot = TypeLibForUserIsMachineWide() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  EXPECT_EQ(TypeLibKeys(typeLibRoot, kUserClasses),
            ExpectedTypeLibKeys(modulePath, modulePath.substr(0, modulePath.rfind(L'\\')),
                                HelpStringOf(modulePath)));
  if (!TypeLibForUserIsMachineWide()) {
    EXPECT_EQ(RegisteredTypeLibPath(HKEY_LOCAL_MACHINE, kMachineClasses), L"(missing)");
  }
  // Registering again over an existing registration gives the same content.
  ASSERT_EQ(server.install(TRUE, L"USER"), S_OK);
  EXPECT_EQ(Concatenated(UserClassKeys(), AddinKey()), ExpectedKeys(modulePath));

  ASSERT_EQ(server.install(FALSE, L"user"), S_OK);
  EXPECT_EQ(GetThreadLocale(), japanese);
  SetThreadLocale(callers);
  EXPECT_EQ(UserClassKeys(), std::vector<std::wstring>{});
  EXPECT_EQ(AddinKey(), std::vector<std::wstring>{});
  EXPECT_EQ(RegisteredTypeLibPath(HKEY_CURRENT_USER, kUserClasses), L"(missing)");
  // Nothing left to remove is no error.
  EXPECT_EQ(server.install(FALSE, L"User"), S_OK);

  RemoveWinesMachineWideTypeLib();
  const std::string changed = Difference(before, Snapshot());
  EXPECT_TRUE(changed.empty()) << changed;
}

TEST_F(PerUserRegistrationTest, AnyOtherCommandLineIsAnInvalidArgumentAndWritesNothing) {
  for (const BOOL install : {TRUE, FALSE}) {
    for (const wchar_t* commandLine : {L"machine", L"users", L"use", L" user", L"user ", L"/user",
                                       L"\"user\"", L"user,machine"}) {
      EXPECT_EQ(server.install(install, commandLine), E_INVALIDARG)
          << "install " << install << ", command line "
          << (commandLine ? std::string(commandLine, commandLine + wcslen(commandLine))
                          : std::string("(null)"));
    }
  }
  const std::string changed = Difference(before, Snapshot());
  EXPECT_TRUE(changed.empty()) << changed;
}

TEST_F(PerUserRegistrationTest, UnregisteringForTheUserLeavesTheMachineWideClassesAlone) {
  ASSERT_EQ(server.registerServer(), S_OK);
  ASSERT_EQ(server.install(TRUE, L"user"), S_OK);
  ASSERT_EQ(server.install(FALSE, L"user"), S_OK);

  EXPECT_EQ(MachineClassKeys(), ExpectedClassKeys(modulePath));
  EXPECT_EQ(RegisteredTypeLibPath(HKEY_LOCAL_MACHINE, kMachineClasses),
            kTypeLibPathKey + L" | @ | sz | " + modulePath);
  EXPECT_EQ(UserClassKeys(), std::vector<std::wstring>{});
  // The add-in's key is one and the same for both: it stays while the
  // machine-wide registration does, and goes with it.
  EXPECT_EQ(AddinKey(), ExpectedAddinKey());

  ASSERT_EQ(server.unregisterServer(), S_OK);
  EXPECT_EQ(AddinKey(), std::vector<std::wstring>{});
  const std::string changed = Difference(before, Snapshot());
  EXPECT_TRUE(changed.empty()) << changed;
}

// The reverse: a machine-wide registration and its removal beside a per-user
// one leave the user's classes and the add-in's key, which the editor needs to
// load the per-user install.
TEST_F(PerUserRegistrationTest, UnregisteringMachineWideLeavesThePerUserAddinKeyAlone) {
  ASSERT_EQ(server.install(TRUE, L"user"), S_OK);
  ASSERT_EQ(server.registerServer(), S_OK);
  ASSERT_EQ(server.unregisterServer(), S_OK);

  EXPECT_EQ(MachineClassKeys(), std::vector<std::wstring>{});
  EXPECT_EQ(Concatenated(UserClassKeys(), AddinKey()), ExpectedKeys(modulePath));

  ASSERT_EQ(server.install(FALSE, L"user"), S_OK);
  RemoveWinesMachineWideTypeLib();
  const std::string changed = Difference(before, Snapshot());
  EXPECT_TRUE(changed.empty()) << changed;
}

// Windows merges HKCU\Software\Classes into the user's HKEY_CLASSES_ROOT, so
// that COM finds a per-user registration; Wine does not, and CLSIDFromProgID
// fails there after a correct one. This copies the per-user keys into the
// machine's classes for its lifetime, standing in for the merge, and removes
// exactly the copies it made.
class MergedClassesStandIn {
 public:
  MergedClassesStandIn() {
    for (const std::wstring& path :
         {std::wstring(L"Tarnwick.Connect"), std::wstring(L"Tarnwick.Connect.1"),
          L"CLSID\\" + kClsid, L"AppID\\" + kAppIdText, std::wstring(L"AppID\\Tarnwick.DLL"),
          L"TypeLib\\" + kLibid, std::wstring(L"Interface\\") + kIID_IConnect}) {
      Copy(path);
    }
  }
  ~MergedClassesStandIn() {
    for (const std::wstring& path : copies) {
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kMachineClasses + L"\\" + path).c_str());
    }
  }
  MergedClassesStandIn(const MergedClassesStandIn&) = delete;
  MergedClassesStandIn& operator=(const MergedClassesStandIn&) = delete;

 private:
  void Copy(const std::wstring& path) {
    const std::wstring target = kMachineClasses + L"\\" + path;
    if (!KeyExists(HKEY_CURRENT_USER, kUserClasses + L"\\" + path) ||
        KeyExists(HKEY_LOCAL_MACHINE, target)) {
      return;
    }
    HKEY source = nullptr, copy = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (kUserClasses + L"\\" + path).c_str(), 0, KEY_READ,
                            &source),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, target.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &copy, nullptr),
              ERROR_SUCCESS);
    copies.push_back(path);
    EXPECT_EQ(RegCopyTreeW(source, nullptr, copy), ERROR_SUCCESS);
    RegCloseKey(copy);
    RegCloseKey(source);
  }

  std::vector<std::wstring> copies;
};

TEST_F(PerUserRegistrationTest, ClientCreatesTheClassByProgIdFromThePerUserRegistration) {
  ASSERT_EQ(server.install(TRUE, L"user"), S_OK);
  {
    MergedClassesStandIn merged;
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"Tarnwick.Connect", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, GuidOf(kCLSID_Connect)));
    ComPtr<IUnknown> object, connect;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    EXPECT_EQ(object->QueryInterface(GuidOf(kIID_IConnect),
                                     reinterpret_cast<void**>(connect.GetAddressOf())),
              S_OK);
  }
  CoFreeUnusedLibrariesEx(0, 0);
  ASSERT_EQ(server.install(FALSE, L"user"), S_OK);
  RemoveWinesMachineWideTypeLib();
  const std::string changed = Difference(before, Snapshot());
  EXPECT_TRUE(changed.empty()) << changed;
}

}  // namespace
}  // namespace tarnwick
