#include "addin/server/class_table.h"

#include "addin/server/com_module.h"

namespace tarnwick {
namespace {

IUnknown* Decode(void* cached) noexcept {
  return static_cast<IUnknown*>(DecodePointer(cached));
}

}  // namespace

HRESULT GetClassObjectFromTable(REFCLSID clsid, REFIID riid, void** object) noexcept {
  if (!comModule.Initialized()) {
    return E_UNEXPECTED;
  }
  HRESULT hr = S_OK;
  for (ClassTableEntry& entry : ClassTable()) {
    if (!entry.getClassObject || !IsEqualCLSID(*entry.clsid, clsid)) {
      continue;
    }
    if (void* cached = entry.factoryCache.load()) {
      return Decode(cached)->QueryInterface(riid, object);
    }
    comModule.EnterSection();
    if (!entry.factoryCache.load()) {
      IUnknown* made = nullptr;
      hr = entry.getClassObject(reinterpret_cast<void*>(entry.createInstance), IID_IUnknown,
                                reinterpret_cast<void**>(&made));
      if (SUCCEEDED(hr)) {
        entry.factoryCache.store(EncodePointer(made));
      }
    }
    comModule.LeaveSection();
    if (void* cached = entry.factoryCache.load()) {
      hr = Decode(cached)->QueryInterface(riid, object);
    }
    break;
  }
  if (SUCCEEDED(hr) && *object == nullptr) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return hr;
}

void ReleaseCachedFactories() noexcept {
  for (ClassTableEntry& entry : ClassTable()) {
    if (void* cached = entry.factoryCache.exchange(nullptr)) {
      Decode(cached)->Release();
    }
  }
}

}  // namespace tarnwick
