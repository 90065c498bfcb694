// DllRegisterServer and DllUnregisterServer against the registry of the test
// prefix, and a COM client creating the registered class. These tests write
// the add-in's fixed keys and run one at a time (RESOURCE_LOCK).
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "addin/server/typelib_registration.h"
#include "dll_test_support.h"
#include "registration_table.h"

namespace tarnwick {
namespace {

using Microsoft::WRL::ComPtr;
using server_test::Difference;
using server_test::ExpectedKeys;
using server_test::GuidOf;
using server_test::KeyExists;
using server_test::kLibid;
using server_test::kTypeLibPathKey;
using server_test::LoadedServer;
using server_test::ModulePathOf;
using server_test::OurKeys;
using server_test::RegisteredTypeLibPath;
using server_test::Snapshot;

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(RegistrationTest, RegistersEveryKeyAndValueAndUnregistersThemAll) {
  LoadedServer server;
  ASSERT_TRUE(server.Ready());
  const std::wstring modulePath = ModulePathOf(server.module);
  // Whatever earlier programs of the prefix left of the class's registration
  // (a type library's interface keys, say) goes first.
  ASSERT_EQ(server.registerServer(), S_OK);
  ASSERT_EQ(server.unregisterServer(), S_OK);
  const std::vector<std::wstring> before = Snapshot();

  ASSERT_EQ(server.registerServer(), S_OK);
  EXPECT_EQ(OurKeys(), ExpectedKeys(modulePath));
  EXPECT_EQ(RegisteredTypeLibPath(), kTypeLibPathKey + L" | @ | sz | " + modulePath);
  // Registering again over an existing registration gives the same content.
  ASSERT_EQ(server.registerServer(), S_OK);
  EXPECT_EQ(OurKeys(), ExpectedKeys(modulePath));

  ASSERT_EQ(server.unregisterServer(), S_OK);
  EXPECT_EQ(OurKeys(), std::vector<std::wstring>{});
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kIID_IConnect));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"AppID"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
  const std::string changed = Difference(before, Snapshot());
  EXPECT_TRUE(changed.empty()) << changed;
}

// regsvr32 /i calls DllInstall with an empty command line after
// DllRegisterServer, /u /i before DllUnregisterServer, and /n /i alone: all of
// them are the machine-wide registration. Unregistering twice succeeds, and a
// value of the editor's own stays.
TEST_F(RegistrationTest, EmptyInstallCommandLineIsMachineWideAndUnregisteringKeepsOthersData) {
  LoadedServer server;
  ASSERT_TRUE(server.Ready());
  const std::wstring modulePath = ModulePathOf(server.module);
  const std::wstring editorKey = L"Software\\Microsoft\\VBA\\VBE\\6.0";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, editorKey.c_str(), L"TarnwickTestValue", REG_SZ,
                            L"kept", 10),
            ERROR_SUCCESS);

  ASSERT_EQ(server.registerServer(), S_OK);  // regsvr32 /i
  ASSERT_EQ(server.install(TRUE, L""), S_OK);
  EXPECT_EQ(OurKeys(), ExpectedKeys(modulePath));
  ASSERT_EQ(server.install(FALSE, L""), S_OK);  // regsvr32 /u /i
  ASSERT_EQ(server.unregisterServer(), S_OK);
  EXPECT_EQ(OurKeys(), std::vector<std::wstring>{});
  ASSERT_EQ(server.install(TRUE, nullptr), S_OK);  // regsvr32 /n /i
  EXPECT_EQ(OurKeys(), ExpectedKeys(modulePath));
  ASSERT_EQ(server.unregisterServer(), S_OK);
  ASSERT_EQ(server.unregisterServer(), S_OK);
  EXPECT_EQ(OurKeys(), std::vector<std::wstring>{});

  wchar_t kept[8] = {};
  DWORD size = sizeof kept;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, editorKey.c_str(), L"TarnwickTestValue", RRF_RT_REG_SZ,
                         nullptr, kept, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(kept, L"kept");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, editorKey.c_str(), L"TarnwickTestValue");
}

TEST_F(RegistrationTest, KeepsTheCallersThreadLocale) {
  LoadedServer server;
  ASSERT_TRUE(server.Ready());
  const LCID before = GetThreadLocale();
  const LCID japanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);
  ASSERT_TRUE(SetThreadLocale(japanese));
  EXPECT_EQ(server.registerServer(), S_OK);
  EXPECT_EQ(GetThreadLocale(), japanese);
  EXPECT_EQ(server.unregisterServer(), S_OK);
  EXPECT_EQ(GetThreadLocale(), japanese);
  SetThreadLocale(before);
}

// A copy of the DLL in a folder whose name holds a single quote, removed again.
class QuotedFolderCopy {
 public:
  QuotedFolderCopy() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"Tarnwick's copy " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    path = folder + L"\\Tarnwick.dll";
    copied = CopyFileW(server_test::BuiltDllPath().c_str(), path.c_str(), FALSE) != FALSE;
  }
  ~QuotedFolderCopy() {
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
  }

  std::wstring folder;
  std::wstring path;
  bool copied = false;
};

TEST_F(RegistrationTest, PathWithASingleQuoteIsRegisteredAsItStands) {
  QuotedFolderCopy copy;
  ASSERT_TRUE(copy.copied);
  {
    LoadedServer server(copy.path);
    ASSERT_TRUE(server.Ready());
    const std::wstring modulePath = ModulePathOf(server.module);
    ASSERT_NE(modulePath.find(L"Tarnwick's copy"), std::wstring::npos);
    ASSERT_EQ(server.registerServer(), S_OK);
    EXPECT_EQ(OurKeys(), ExpectedKeys(modulePath));
    EXPECT_EQ(RegisteredTypeLibPath(), kTypeLibPathKey + L" | @ | sz | " + modulePath);
    EXPECT_EQ(server.unregisterServer(), S_OK);
    EXPECT_EQ(OurKeys(), std::vector<std::wstring>{});
  }
}

// A module without a type library of its own falls back to the .tlb file
// beside it; the registration must then point at that file, or loading the
// library through the registry would find nothing.
TEST_F(RegistrationTest, TypeLibraryFoundBesideTheModuleIsRegisteredWithItsOwnPath) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring stem =
      std::wstring(temp) + L"TarnwickFallback" + std::to_wstring(GetCurrentProcessId());
  const std::wstring tlb = stem + L".tlb";
  ASSERT_TRUE(CopyFileW(server_test::WindowsPath(TARNWICK_TLB_PATH).c_str(), tlb.c_str(), FALSE));

  EXPECT_EQ(RegisterTypeLibOf(stem + L".dll"), S_OK);
  EXPECT_EQ(RegisteredTypeLibPath(), kTypeLibPathKey + L" | @ | sz | " + tlb);
  EXPECT_EQ(UnregisterTypeLibOf(stem + L".dll"), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid));
  DeleteFileW(tlb.c_str());
}

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

TEST_F(RegistrationTest, ClientCreatesTheClassByProgIdInProcessAndTheDllUnloadsAfter) {
  {
    LoadedServer registrar;
    ASSERT_TRUE(registrar.Ready());
    ASSERT_EQ(registrar.registerServer(), S_OK);
  }
  ASSERT_EQ(GetModuleHandleW(L"Tarnwick.dll"), nullptr);

  for (const wchar_t* progId : {L"Tarnwick.Connect", L"Tarnwick.Connect.1"}) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, GuidOf(kCLSID_Connect)));
  }
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Tarnwick.Connect", &clsid), S_OK);
  {
    ComPtr<IUnknown> object;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    HMODULE loaded = GetModuleHandleW(L"Tarnwick.dll");
    ASSERT_NE(loaded, nullptr);
    // In process: the object's code is the DLL's own.
    HMODULE owner = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        *reinterpret_cast<LPCWSTR*>(object.Get()), &owner));
    EXPECT_EQ(owner, loaded);

    ComPtr<IUnknown> connect, extensibility;
    EXPECT_EQ(object->QueryInterface(GuidOf(kIID_IConnect),
                                     reinterpret_cast<void**>(connect.GetAddressOf())),
              S_OK);
    EXPECT_EQ(object->QueryInterface(GuidOf(server_test::kIID_IDTExtensibility2),
                                     reinterpret_cast<void**>(extensibility.GetAddressOf())),
              S_OK);

    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(loaded, "DllCanUnloadNow")));
    ASSERT_NE(canUnloadNow, nullptr);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    object.Reset();
    connect.Reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    extensibility.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
  }
  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(GetModuleHandleW(L"Tarnwick.dll"), nullptr) << "COM did not unload the DLL";

  LoadedServer registrar;
  ASSERT_TRUE(registrar.Ready());
  EXPECT_EQ(registrar.unregisterServer(), S_OK);
}

}  // namespace
}  // namespace tarnwick
