// The server's class object as a client sees it through the DLL's exports:
// lookup by CLSID, the cached factory, its creation and aggregation rules, and
// how objects, factory references and LockServer keep the DLL loaded.
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "dll_test_support.h"

namespace tarnwick {
namespace {

using Microsoft::WRL::ComPtr;
using server_test::GuidOf;

class ClassObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_TRUE(server.Ready());
    clsid = GuidOf(kCLSID_Connect);
    iidConnect = GuidOf(kIID_IConnect);
    iidExtensibility = GuidOf(server_test::kIID_IDTExtensibility2);
  }
  void TearDown() override { CoUninitialize(); }

  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(server.getClassObject(clsid, IID_IClassFactory,
                                    reinterpret_cast<void**>(factory.GetAddressOf())),
              S_OK);
    return factory;
  }

  server_test::LoadedServer server;
  CLSID clsid{};
  IID iidConnect{};
  IID iidExtensibility{};
};

TEST_F(ClassObjectTest, UnknownClassOrNullOutPointerIsRefused) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(server.getClassObject(IID_IUnknown, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(server.getClassObject(clsid, IID_IClassFactory, nullptr), E_POINTER);
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(server.getClassObject(clsid, IID_IDispatch, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST_F(ClassObjectTest, EveryCallGivesTheSameFactory) {
  ComPtr<IClassFactory> first = Factory();
  ComPtr<IUnknown> second;
  ASSERT_EQ(
      server.getClassObject(clsid, IID_IUnknown, reinterpret_cast<void**>(second.GetAddressOf())),
      S_OK);
  ComPtr<IUnknown> firstUnknown;
  ASSERT_EQ(first.As(&firstUnknown), S_OK);
  EXPECT_EQ(firstUnknown.Get(), second.Get());
}

TEST_F(ClassObjectTest, CachedFactoryAloneLetsTheDllUnloadButClientReferencesDoNot) {
  EXPECT_EQ(server.canUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory = Factory();
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  ComPtr<IClassFactory> again = factory;  // a second client reference
  again.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  factory.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_OK);  // only the class table's cache is left
  // The cache's reference survives: the next call still finds the same factory.
  EXPECT_NE(Factory(), nullptr);
  EXPECT_EQ(server.canUnloadNow(), S_OK);
}

TEST_F(ClassObjectTest, LockServerAndLiveObjectsHoldTheDll) {
  ComPtr<IClassFactory> factory = Factory();
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  factory = Factory();
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);

  ComPtr<IUnknown> object;
  ASSERT_EQ(
      factory->CreateInstance(nullptr, iidConnect, reinterpret_cast<void**>(object.GetAddressOf())),
      S_OK);
  factory.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  object.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_OK);
}

TEST_F(ClassObjectTest, CreateInstanceChecksItsArguments) {
  ComPtr<IClassFactory> factory = Factory();
  EXPECT_EQ(factory->CreateInstance(nullptr, iidConnect, nullptr), E_POINTER);
  ComPtr<IUnknown> outer;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown,
                                    reinterpret_cast<void**>(outer.GetAddressOf())),
            S_OK);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer.Get(), iidConnect, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST_F(ClassObjectTest, StandaloneObjectAnswersBothInterfaces) {
  ComPtr<IClassFactory> factory = Factory();
  ComPtr<IUnknown> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown,
                                    reinterpret_cast<void**>(object.GetAddressOf())),
            S_OK);
  ComPtr<IUnknown> connect, extensibility, dispatch;
  EXPECT_EQ(object->QueryInterface(iidConnect, reinterpret_cast<void**>(connect.GetAddressOf())),
            S_OK);
  EXPECT_EQ(object->QueryInterface(iidExtensibility,
                                   reinterpret_cast<void**>(extensibility.GetAddressOf())),
            S_OK);
  EXPECT_EQ(
      object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf())),
      S_OK);
  EXPECT_EQ(connect.Get(), object.Get());
  EXPECT_EQ(dispatch.Get(), extensibility.Get());
}

// An outer object that answers IUnknown itself and counts what reaches it.
class RecordingOuter : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    ++queries;
    lastAsked = riid;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }

  ULONG references = 1;
  int queries = 0;
  IID lastAsked{};
};

TEST_F(ClassObjectTest, AggregatedObjectForwardsItsInterfacesToTheOuter) {
  RecordingOuter outer;
  ComPtr<IClassFactory> factory = Factory();
  IUnknown* inner = nullptr;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
  ASSERT_NE(inner, nullptr);
  EXPECT_NE(inner, static_cast<IUnknown*>(&outer));
  EXPECT_EQ(outer.references, 1u) << "the inner unknown must not count on the outer";

  // The inner unknown hands out the class's interfaces; they count on the outer.
  IUnknown* connect = nullptr;
  ASSERT_EQ(inner->QueryInterface(iidConnect, reinterpret_cast<void**>(&connect)), S_OK);
  EXPECT_EQ(outer.references, 2u);
  IUnknown* viaConnect = nullptr;
  EXPECT_EQ(connect->QueryInterface(iidExtensibility, reinterpret_cast<void**>(&viaConnect)),
            E_NOINTERFACE);  // our outer knows only IUnknown
  EXPECT_EQ(outer.queries, 1);
  EXPECT_TRUE(IsEqualIID(outer.lastAsked, iidExtensibility));
  EXPECT_EQ(connect->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaConnect)), S_OK);
  EXPECT_EQ(viaConnect, static_cast<IUnknown*>(&outer));
  viaConnect->Release();
  connect->Release();
  EXPECT_EQ(outer.references, 1u);

  factory.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  inner->Release();
  EXPECT_EQ(server.canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace tarnwick
