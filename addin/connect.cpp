#include "addin/connect.h"

#include <new>

#include "addin/com_ids.h"
#include "addin/com_object.h"
#include "addin/server/module.h"
#include "win32/hresult_error.h"

namespace tarnwick {

using Microsoft::WRL::ComPtr;

constinit TypeInfoHolder connectTypeInfo(&LIBID_TarnwickLib, &IID_IConnect, 1, 0);
constinit TypeInfoHolder extensibilityTypeInfo(&LIBID_AddInDesignerObjects, &IID__IDTExtensibility2,
                                               1, 0);

CConnect* activeConnect = nullptr;

CConnect::CConnect() noexcept : refCount(0) {
  activeConnect = this;
  tarnwickModule.Lock();
}

CConnect::~CConnect() {
  // Destroyed without OnDisconnection: nothing may stay routed to a freed
  // object, nor may the hook procedure reach it.
  Teardown();
  if (activeConnect == this) {
    activeConnect = nullptr;
  }
  tarnwickModule.Unlock();
}

HRESULT CConnect::InternalQueryInterface(REFIID iid, void** object) noexcept {
  if (!object) {
    return E_POINTER;
  }
  IUnknown* answer = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnect)) {
    answer = static_cast<IConnect*>(this);
  } else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID__IDTExtensibility2)) {
    answer = static_cast<_IDTExtensibility2*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  answer->AddRef();
  *object = answer;
  return S_OK;
}

HRESULT CConnect::OnConnection(IDispatch* Application, ext_ConnectMode /*ConnectMode*/,
                               IDispatch* /*AddInInst*/, SAFEARRAY** /*custom*/) {
  if (!Application) {
    return E_POINTER;
  }
  // Connected again without a disconnection in between: start from nothing.
  Teardown();

  HRESULT result = E_FAIL;
  ComPtr<IDispatch> editor;
  if (SUCCEEDED(
          Application->QueryInterface(IID_VBE, reinterpret_cast<void**>(editor.GetAddressOf()))) &&
      editor) {
    if (editor != vbe) {
      vbe = editor;
    }
    result = Guarded([&] {
      codeWindows = std::make_unique<CodeWindowMap>();
      DiscoverCodeWindows(*this);
      return InstallCreationHook(*this) ? S_OK : E_FAIL;
    });
  }
  if (FAILED(result)) {
    Teardown();
  }
  return result;
}

HRESULT CConnect::OnDisconnection(ext_DisconnectMode /*RemoveMode*/, SAFEARRAY** /*custom*/) {
  Teardown();
  return S_OK;
}

HRESULT CConnect::OnAddInsUpdate(SAFEARRAY** /*custom*/) {
  return E_NOTIMPL;
}

HRESULT CConnect::OnStartupComplete(SAFEARRAY** /*custom*/) {
  return E_NOTIMPL;
}

HRESULT CConnect::OnBeginShutdown(SAFEARRAY** /*custom*/) {
  return E_NOTIMPL;
}

HRESULT CreateConnect(IUnknown* outer, REFIID riid, void** object) noexcept {
  if (!object) {
    return E_POINTER;
  }
  *object = nullptr;
  return Guarded([&] {
    if (!outer) {
      auto* created = new CComObject<CConnect>();
      HRESULT hr = created->QueryInterface(riid, object);
      if (FAILED(hr)) {
        delete created;
      }
      return hr;
    }
    // Inside an aggregate only the inner unknown may be handed out: any other
    // interface would count on the outer object, and nothing would own ours.
    if (!IsEqualIID(riid, IID_IUnknown)) {
      return CLASS_E_NOAGGREGATION;
    }
    auto* created = new CComAggObject<CConnect>(outer);
    HRESULT hr = created->QueryInterface(riid, object);
    if (FAILED(hr)) {
      delete created;
    }
    return hr;
  });
}

}  // namespace tarnwick
