#include "addin/server/class_factory.h"

#include <new>

#include "addin/server/module.h"

namespace tarnwick {

CComClassFactory::~CComClassFactory() {
  if (sectionReady) {
    DeleteCriticalSection(&section);
  }
}

bool CComClassFactory::InitSection() noexcept {
  sectionReady = InitializeCriticalSectionEx(&section, 0, 0) != FALSE;
  return sectionReady;
}

HRESULT CComClassFactory::InternalQueryInterface(REFIID riid, void** object) noexcept {
  if (!object) {
    return E_POINTER;
  }
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT CComClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) {
    return E_POINTER;
  }
  *object = nullptr;
  if (outer && !IsEqualIID(riid, IID_IUnknown)) {
    return CLASS_E_NOAGGREGATION;
  }
  if (!instanceCreator) {
    return E_UNEXPECTED;
  }
  return instanceCreator(outer, riid, object);
}

HRESULT CComClassFactory::LockServer(BOOL lock) {
  if (lock) {
    tarnwickModule.Lock();
  } else {
    tarnwickModule.Unlock();
  }
  return S_OK;
}

template <class T>
ULONG CComObjectCached<T>::AddRef() {
  const LONG count = ++this->refCount;
  if (count == 2) {
    tarnwickModule.Lock();
  }
  return static_cast<ULONG>(count);
}

template <class T>
ULONG CComObjectCached<T>::Release() {
  const LONG count = --this->refCount;
  if (count == 0) {
    delete this;
  } else if (count == 1) {
    tarnwickModule.Unlock();
  }
  return static_cast<ULONG>(count);
}

template class CComObjectCached<CComClassFactory>;

HRESULT CreateClassFactory(void* creator, REFIID riid, void** object) noexcept {
  if (!object) {
    return E_POINTER;
  }
  *object = nullptr;
  auto* factory = new (std::nothrow) CComObjectCached<CComClassFactory>();
  if (!factory) {
    return E_OUTOFMEMORY;
  }
  if (!factory->InitSection()) {
    const DWORD error = GetLastError();
    delete factory;
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
  }
  factory->SetCreator(reinterpret_cast<InstanceCreator>(creator));
  const HRESULT hr = factory->QueryInterface(riid, object);
  if (FAILED(hr)) {
    delete factory;
  }
  return hr;
}

}  // namespace tarnwick
