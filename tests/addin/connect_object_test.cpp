// The Connect object as COM sees it: its two forms, the interface table, the
// module lock, the host notifications, IDispatch through type information and
// the type library itself.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "addin/com_ids.h"
#include "addin/com_object.h"
#include "addin/connect.h"
#include "addin/server/ids.h"
#include "addin/server/module.h"
#include "tests/addin/stand_in_editor.h"
#include "tests/build_bitness.h"

namespace tarnwick::test {
namespace {

using Microsoft::WRL::ComPtr;

// The library is registered under its own locale, 0x0409, and found by that.
constexpr LCID kEnglish = 0x0409;

const IID kUnknownIid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

template <class I>
ComPtr<I> Query(IUnknown* object, REFIID iid) {
  ComPtr<I> result;
  EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(result.GetAddressOf())), S_OK);
  return result;
}

ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(ConnectObject, StandaloneInterfaceTableAndCounts) {
  ASSERT_EQ(tarnwickModule.GetLockCount(), 0);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(CreateConnect(nullptr, IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf())),
            S_OK);
  EXPECT_EQ(tarnwickModule.GetLockCount(), 1);
  EXPECT_EQ(CountOf(unknown.Get()), 1u);

  ComPtr<IConnect> connect = Query<IConnect>(unknown.Get(), IID_IConnect);
  ComPtr<IDispatch> dispatch = Query<IDispatch>(unknown.Get(), IID_IDispatch);
  ComPtr<_IDTExtensibility2> extensibility =
      Query<_IDTExtensibility2>(unknown.Get(), IID__IDTExtensibility2);
  EXPECT_EQ(static_cast<IUnknown*>(connect.Get()), unknown.Get());
  EXPECT_EQ(static_cast<IDispatch*>(extensibility.Get()), dispatch.Get());
  EXPECT_NE(static_cast<IUnknown*>(dispatch.Get()), unknown.Get());
  EXPECT_EQ(CountOf(unknown.Get()), 4u);
  // Calls through the second interface reach the same object.
  EXPECT_EQ(Query<IUnknown>(extensibility.Get(), IID_IUnknown).Get(), unknown.Get());

  void* none = &none;
  EXPECT_EQ(unknown->QueryInterface(kUnknownIid, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(unknown->QueryInterface(IID_IConnect, nullptr), E_POINTER);
  EXPECT_EQ(CountOf(unknown.Get()), 4u);

  connect.Reset();
  dispatch.Reset();
  extensibility.Reset();
  EXPECT_EQ(tarnwickModule.GetLockCount(), 1);
  unknown.Reset();
  EXPECT_EQ(tarnwickModule.GetLockCount(), 0);
  EXPECT_EQ(activeConnect, nullptr) << "activeConnect still points to a destroyed object";
}

// An outer object that aggregates a Connect object and hands out its
// interfaces, counting its own references.
class Outer final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return inner->QueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }

  ULONG references = 1;
  ComPtr<IUnknown> inner;
};

TEST(ConnectObject, AggregatedFormDelegatesToTheOuterObject) {
  Outer outer;
  ASSERT_EQ(
      CreateConnect(&outer, IID_IUnknown, reinterpret_cast<void**>(outer.inner.GetAddressOf())),
      S_OK);
  EXPECT_EQ(tarnwickModule.GetLockCount(), 1);
  EXPECT_EQ(outer.references, 1u) << "creating the inner object counted on the outer one";
  EXPECT_EQ(CountOf(outer.inner.Get()), 1u);

  // The inner unknown answers IUnknown with itself; interfaces of the table
  // are counted on the outer object and lead back to it.
  EXPECT_EQ(Query<IUnknown>(outer.inner.Get(), IID_IUnknown).Get(), outer.inner.Get());
  ComPtr<IConnect> connect = Query<IConnect>(outer.inner.Get(), IID_IConnect);
  ComPtr<IDispatch> dispatch = Query<IDispatch>(outer.inner.Get(), IID_IDispatch);
  EXPECT_EQ(outer.references, 3u);
  EXPECT_EQ(CountOf(outer.inner.Get()), 1u);
  EXPECT_EQ(Query<IUnknown>(connect.Get(), IID_IUnknown).Get(), static_cast<IUnknown*>(&outer));
  EXPECT_EQ(Query<IUnknown>(dispatch.Get(), IID_IUnknown).Get(), static_cast<IUnknown*>(&outer));
  EXPECT_EQ(Query<_IDTExtensibility2>(connect.Get(), IID__IDTExtensibility2).Get(),
            static_cast<_IDTExtensibility2*>(static_cast<IDispatch*>(dispatch.Get())));
  void* none = &none;
  EXPECT_EQ(outer.inner->QueryInterface(kUnknownIid, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(outer.inner->QueryInterface(IID_IConnect, nullptr), E_POINTER);

  connect.Reset();
  dispatch.Reset();
  EXPECT_EQ(outer.references, 1u);
  outer.inner.Reset();
  EXPECT_EQ(tarnwickModule.GetLockCount(), 0);
}

TEST(ConnectObject, CreationFailuresLeaveNothingBehind) {
  void* object = &object;
  EXPECT_EQ(CreateConnect(nullptr, kUnknownIid, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(tarnwickModule.GetLockCount(), 0);
  EXPECT_EQ(activeConnect, nullptr);

  // An aggregated object can only be handed out as its inner unknown.
  Outer outer;
  object = &object;
  EXPECT_EQ(CreateConnect(&outer, IID_IConnect, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(outer.references, 1u);
  EXPECT_EQ(tarnwickModule.GetLockCount(), 0);

  EXPECT_EQ(CreateConnect(nullptr, IID_IUnknown, nullptr), E_POINTER);
}

TEST(ConnectObject, ActiveConnectFollowsTheLastConstructed) {
  auto* first = new CComObject<CConnect>();
  first->AddRef();
  auto* second = new CComObject<CConnect>();
  second->AddRef();
  EXPECT_EQ(activeConnect, second);
  EXPECT_EQ(tarnwickModule.GetLockCount(), 2);
  first->Release();
  EXPECT_EQ(activeConnect, second) << "destroying another object cleared activeConnect";
  second->Release();
  EXPECT_EQ(activeConnect, nullptr);
  EXPECT_EQ(tarnwickModule.GetLockCount(), 0);
}

TEST(ConnectObject, HostNotificationsAndConnectionFailures) {
  ComPtr<CComObject<CConnect>> connect(new CComObject<CConnect>());
  EXPECT_EQ(connect->OnAddInsUpdate(nullptr), E_NOTIMPL);
  EXPECT_EQ(connect->OnStartupComplete(nullptr), E_NOTIMPL);
  EXPECT_EQ(connect->OnBeginShutdown(nullptr), E_NOTIMPL);
  EXPECT_EQ(connect->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
  EXPECT_EQ(connect->codeWindows, nullptr);
  EXPECT_EQ(connect->creationHook, nullptr);

  EXPECT_EQ(connect->OnConnection(nullptr, ext_cm_Startup, nullptr, nullptr), E_POINTER);

  // An application object without the editor interface.
  Module module;
  Selection selection;
  SimulatedObjectModel model(module, selection);
  LONG paneReferences = model.Pane().References();
  EXPECT_EQ(connect->OnConnection(&model.Pane(), ext_cm_Startup, nullptr, nullptr), E_FAIL);
  EXPECT_EQ(connect->vbe, nullptr);
  EXPECT_EQ(connect->codeWindows, nullptr);
  EXPECT_EQ(connect->creationHook, nullptr);
  EXPECT_EQ(model.Pane().References(), paneReferences);
}

TEST(ConnectDispatch, TypeInformationIndexAndPointers) {
  ComPtr<CComObject<CConnect>> connect(new CComObject<CConnect>());
  IConnect* own = connect.Get();
  IDispatch* protocol = static_cast<_IDTExtensibility2*>(connect.Get());

  UINT count = 0;
  EXPECT_EQ(own->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(own->GetTypeInfoCount(nullptr), E_POINTER);

  ComPtr<ITypeInfo> info;
  EXPECT_EQ(own->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(own->GetTypeInfo(0, 0, nullptr), E_POINTER);

  // Each interface answers with its own description.
  for (auto [through, iid] :
       {std::pair<IDispatch*, const IID*>{own, &IID_IConnect},
        std::pair<IDispatch*, const IID*>{protocol, &IID__IDTExtensibility2}}) {
    ComPtr<ITypeInfo> described;
    ASSERT_EQ(through->GetTypeInfo(0, kEnglish, &described), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(described->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, *iid));
    described->ReleaseTypeAttr(attributes);
  }
}

TEST(ConnectDispatch, NamesAndInvokeGoThroughTheInterfaceTheCallCameThrough) {
  ComPtr<CComObject<CConnect>> connect(new CComObject<CConnect>());
  IDispatch* protocol = static_cast<_IDTExtensibility2*>(connect.Get());

  DISPID id = 0;
  wchar_t exact[] = L"OnDisconnection";
  LPOLESTR names[] = {exact};
  EXPECT_EQ(protocol->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 2);
  // A name that differs in case is not in the table; the type information,
  // which ignores case, answers it.
  wchar_t otherCase[] = L"onstartupcomplete";
  names[0] = otherCase;
  id = 0;
  EXPECT_EQ(protocol->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 4);
  wchar_t unknown[] = L"NoSuchMember";
  names[0] = unknown;
  EXPECT_EQ(protocol->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);

  // OnStartupComplete through Invoke reaches the object's own method.
  SAFEARRAY* custom = nullptr;
  VARIANTARG argument;
  VariantInit(&argument);
  argument.vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
  argument.pparray = &custom;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  EXCEPINFO exception{};
  UINT argumentError = 0;
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = protocol->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &exception,
                                &argumentError);
  if (hr == DISP_E_EXCEPTION) {
    EXPECT_EQ(exception.scode, E_NOTIMPL);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  } else {
    EXPECT_EQ(hr, E_NOTIMPL);
  }
  VariantClear(&result);

  // IConnect has no members at all.
  IConnect* own = connect.Get();
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(own->Invoke(4, IID_NULL, kEnglish, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
}

std::string Hex(BSTR text) {
  std::string out;
  for (UINT i = 0; text && i < SysStringLen(text); ++i) {
    char unit[8];
    std::snprintf(unit, sizeof unit, "%04x ", text[i]);
    out += unit;
  }
  return out;
}

TEST(TypeLibrary, DescribesTheConnectClassWithTheFixedIds) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadRegTypeLib(LIBID_TarnwickLib, 1, 0, kEnglish, &library), S_OK);
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
  EXPECT_EQ(libraryAttributes->wMajorVerNum, 1);
  EXPECT_EQ(libraryAttributes->wMinorVerNum, 0);
  EXPECT_EQ(libraryAttributes->syskind, test::kTypeLibSysKind);
  EXPECT_EQ(libraryAttributes->lcid, 0x0409u);
  library->ReleaseTLibAttr(libraryAttributes);

  // The binary ids agree with their registry forms.
  for (auto [text, id] :
       {std::pair{kCLSID_Connect, &CLSID_Connect}, std::pair{kIID_IConnect, &IID_IConnect},
        std::pair{kLIBID_TarnwickLib, &LIBID_TarnwickLib}}) {
    GUID parsed{};
    ASSERT_EQ(CLSIDFromString(const_cast<wchar_t*>(text), &parsed), S_OK);
    EXPECT_TRUE(IsEqualGUID(parsed, *id));
  }

  ComPtr<ITypeInfo> connectInterface;
  ASSERT_EQ(library->GetTypeInfoOfGuid(IID_IConnect, &connectInterface), S_OK);
  // The flags of the dual interface, over its dispatch and its vtable side.
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(connectInterface->GetTypeAttr(&attributes), S_OK);
  WORD flags = attributes->wTypeFlags;
  connectInterface->ReleaseTypeAttr(attributes);
  HREFTYPE vtableSide = 0;
  ComPtr<ITypeInfo> vtableInfo;
  ASSERT_EQ(connectInterface->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableSide), S_OK);
  ASSERT_EQ(connectInterface->GetRefTypeInfo(vtableSide, &vtableInfo), S_OK);
  ASSERT_EQ(vtableInfo->GetTypeAttr(&attributes), S_OK);
  flags |= attributes->wTypeFlags;
  EXPECT_EQ(attributes->cFuncs, 0) << "IConnect has members";
  vtableInfo->ReleaseTypeAttr(attributes);
  const WORD expectedFlags =
      TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
  EXPECT_EQ(flags & expectedFlags, expectedFlags);

  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_Connect, &coclass), S_OK);
  ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_NE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE, 0);
  coclass->ReleaseTypeAttr(attributes);
  BSTR help = nullptr;
  ASSERT_EQ(coclass->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr), S_OK);
  EXPECT_STREQ(help, L"Connect Class");
  SysFreeString(help);

  // The Japanese help strings are stored in code page 932; what a reader gets
  // depends on its code page. Shown for the record.
  BSTR name = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_STREQ(name, L"TarnwickLib");
  std::printf("library help string units: %s\n", Hex(help).c_str());
  SysFreeString(name);
  SysFreeString(help);
}

}  // namespace
}  // namespace tarnwick::test
