// Loading add-ins: which registry entries ask for loading, and the order of
// the add-in protocol's calls, with an add-in class served from this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simulator/host/addin_loader.h"
#include "simulator/host/host_object_model.h"

namespace tarnwick {
namespace {

constexpr wchar_t kTestRoot[] = L"Software\\TarnwickTest\\tarnwick_host_tests";

class TestKey {
 public:
  explicit TestKey(std::wstring path) : path(std::move(path)) {
    RegDeleteTreeW(HKEY_CURRENT_USER, this->path.c_str());
  }
  ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
  void SetDword(const std::wstring& subkey, const wchar_t* name, DWORD value) const {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (path + L"\\" + subkey).c_str(), name, REG_DWORD,
                              &value, sizeof value),
              ERROR_SUCCESS);
  }
  void SetString(const std::wstring& subkey, const wchar_t* name, const std::wstring& value) const {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, (path + L"\\" + subkey).c_str(), name, REG_SZ,
                        value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
  }
  const std::wstring path;
};

TEST(StartupAddIns, OnlyDwordLoadBehaviourWithBitZeroLoads) {
  const TestKey key(std::wstring(kTestRoot) + L"\\filter");
  key.SetDword(L"Loaded.Startup", L"LoadBehavior", 3);
  key.SetDword(L"Startup.Only", L"LoadBehavior", 1);
  key.SetDword(L"Loaded.NotStartup", L"LoadBehavior", 2);
  key.SetDword(L"Unloaded", L"LoadBehavior", 0);
  key.SetDword(L"CommandLine", L"LoadBehavior", 8);
  key.SetString(L"AsText", L"LoadBehavior", L"3");
  key.SetString(L"NoValue", L"FriendlyName", L"none");

  std::vector<std::wstring> names = StartupAddIns(HKEY_CURRENT_USER, key.path.c_str());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Loaded.Startup", L"Startup.Only"}));
}

TEST(StartupAddIns, MissingKeyGivesNone) {
  const TestKey key(std::wstring(kTestRoot) + L"\\missing");
  EXPECT_TRUE(StartupAddIns(HKEY_CURRENT_USER, key.path.c_str()).empty());
}

// An add-in that records the protocol's calls.
std::vector<std::string> protocolCalls;
HRESULT connectionAnswer = S_OK;

class FakeAddIn final : public _IDTExtensibility2 {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    static const IID kExtensibility = {
        0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, kExtensibility)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--references == 0) {
      protocolCalls.push_back("released");
      delete this;
      return 0;
    }
    return references;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode,
                                         IDispatch* instance, SAFEARRAY** custom) override {
    IUnknown* vbe = nullptr;
    const IID kIidVbe = {
        0x0002E166, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    const bool isVbe = application != nullptr && SUCCEEDED(application->QueryInterface(
                                                     kIidVbe, reinterpret_cast<void**>(&vbe)));
    if (vbe != nullptr) {
      vbe->Release();
    }
    protocolCalls.push_back(
        "OnConnection vbe=" + std::to_string(isVbe) + " mode=" + std::to_string(mode) +
        " instance=" + std::to_string(instance != nullptr) + " custom=" + Describe(custom));
    return connectionAnswer;
  }
  HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) override {
    protocolCalls.push_back("OnDisconnection mode=" + std::to_string(mode) +
                            " custom=" + Describe(custom));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override {
    protocolCalls.push_back("OnStartupComplete custom=" + Describe(custom));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override {
    protocolCalls.push_back("OnBeginShutdown custom=" + Describe(custom));
    return S_OK;
  }

 private:
  // "empty" for an empty array of VARIANT, the only custom array a host sends.
  static std::string Describe(SAFEARRAY** custom) {
    VARTYPE type = VT_EMPTY;
    if (custom == nullptr || *custom == nullptr || FAILED(SafeArrayGetVartype(*custom, &type))) {
      return "none";
    }
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(*custom, 1, &lower);
    SafeArrayGetUBound(*custom, 1, &upper);
    return type == VT_VARIANT && upper < lower ? "empty" : "other";
  }
  ULONG references = 0;
};

class FakeFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer != nullptr) {
      return CLASS_E_NOAGGREGATION;
    }
    auto* addIn = new FakeAddIn;
    addIn->AddRef();
    const HRESULT result = addIn->QueryInterface(iid, object);
    addIn->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// {6F1C2A3E-9B47-4E0B-8C1D-3A5E7F90B2C4}: a class only this test serves.
constexpr CLSID kFakeClsid = {
    0x6F1C2A3E, 0x9B47, 0x4E0B, {0x8C, 0x1D, 0x3A, 0x5E, 0x7F, 0x90, 0xB2, 0xC4}};
constexpr wchar_t kFakeProgId[] = L"TarnwickTest.HostFakeAddIn";

class AddInProtocol : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, (std::wstring(kFakeProgId) + L"\\CLSID").c_str(),
                              nullptr, REG_SZ, kClsidText, static_cast<DWORD>(sizeof kClsidText)),
              ERROR_SUCCESS);
    ASSERT_TRUE(SUCCEEDED(CoRegisterClassObject(kFakeClsid, &factory, CLSCTX_INPROC_SERVER,
                                                REGCLS_MULTIPLEUSE, &cookie)));
    protocolCalls.clear();
    connectionAnswer = S_OK;
  }
  void TearDown() override {
    CoRevokeClassObject(cookie);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kFakeProgId);
    OleUninitialize();
  }

  static constexpr wchar_t kClsidText[] = L"{6F1C2A3E-9B47-4E0B-8C1D-3A5E7F90B2C4}";
  FakeFactory factory;
  DWORD cookie = 0;
  HostObjectModel model;
  std::vector<std::wstring> reports;
};

TEST_F(AddInProtocol, ConnectsAtStartupAndShutsDownInTheEditorsOrder) {
  {
    AddInHost host([&](const std::wstring& message) { reports.push_back(message); });
    host.LoadAll(model.Vbe(), {kFakeProgId});
    EXPECT_EQ(host.Connected(), (std::vector<std::wstring>{kFakeProgId}));
    host.UnloadAll();
    EXPECT_TRUE(host.Connected().empty());
  }
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(protocolCalls, (std::vector<std::string>{
                               "OnConnection vbe=1 mode=1 instance=1 custom=empty",
                               "OnStartupComplete custom=empty",
                               "OnBeginShutdown custom=empty",
                               "OnDisconnection mode=0 custom=empty",
                               "released",
                           }));
}

TEST_F(AddInProtocol, FailuresAreReportedAndTheOthersStillLoad) {
  connectionAnswer = E_FAIL;
  AddInHost host([&](const std::wstring& message) { reports.push_back(message); });
  host.LoadAll(model.Vbe(), {L"TarnwickTest.NoSuchProgId", kFakeProgId});
  EXPECT_TRUE(host.Connected().empty());
  EXPECT_EQ(reports, (std::vector<std::wstring>{
                         L"'TarnwickTest.NoSuchProgId' could not be loaded.",
                         std::wstring(L"'") + kFakeProgId + L"' could not be loaded.",
                     }));
  // A refused connection is released at once and never told of shutdown.
  EXPECT_EQ(protocolCalls, (std::vector<std::string>{
                               "OnConnection vbe=1 mode=1 instance=1 custom=empty",
                               "released",
                           }));
}

}  // namespace
}  // namespace tarnwick
