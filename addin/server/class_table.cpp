#include "addin/server/class_table.h"

#include "addin/com_ids.h"
#include "addin/connect.h"
#include "addin/ids.h"
#include "addin/module.h"
#include "addin/server/com_module.h"
#include "tarnwick_platform.h"
#include "tarnwick_version.h"

namespace tarnwick {
namespace {

// The class's script with this build's bitness (the editor's key of add-ins
// and the platform that the add-in's description names) and version.
HRESULT UpdateConnectRegistry(bool doRegister, RegistrationScope scope) {
  Replacements replacements;
  replacements.Add(L"ADDINS", L"" TARNWICK_ADDINS_KEY);
  replacements.Add(L"PLATFORM", L"" TARNWICK_PLATFORM);
  replacements.Add(L"VERSION", L"" TARNWICK_VERSION_TEXT);
  return tarnwickModule.UpdateRegistryFromResource(kConnectScriptId, doRegister, replacements,
                                                   scope);
}

const wchar_t* NoDescription() {
  return nullptr;
}

HRESULT NoCategories(bool /*doRegister*/) {
  return S_OK;
}

void ConnectObjectMain(bool /*starting*/) {}

ClassTableEntry classTable[] = {
    {&CLSID_Connect,
     UpdateConnectRegistry,
     CreateClassFactory,
     CreateConnect,
     {nullptr},
     NoDescription,
     NoCategories,
     ConnectObjectMain},
};

IUnknown* Decode(void* cached) noexcept {
  return static_cast<IUnknown*>(DecodePointer(cached));
}

}  // namespace

std::span<ClassTableEntry> ClassTable() noexcept {
  return classTable;
}

HRESULT GetClassObjectFromTable(REFCLSID clsid, REFIID riid, void** object) noexcept {
  if (!comModule.Initialized())
    return E_UNEXPECTED;
  HRESULT hr = S_OK;
  for (ClassTableEntry& entry : classTable) {
    if (!entry.getClassObject || !IsEqualCLSID(*entry.clsid, clsid))
      continue;
    if (void* cached = entry.factoryCache.load())
      return Decode(cached)->QueryInterface(riid, object);
    comModule.EnterSection();
    if (!entry.factoryCache.load()) {
      IUnknown* made = nullptr;
      hr = entry.getClassObject(reinterpret_cast<void*>(entry.createInstance), IID_IUnknown,
                                reinterpret_cast<void**>(&made));
      if (SUCCEEDED(hr))
        entry.factoryCache.store(EncodePointer(made));
    }
    comModule.LeaveSection();
    if (void* cached = entry.factoryCache.load())
      hr = Decode(cached)->QueryInterface(riid, object);
    break;
  }
  if (SUCCEEDED(hr) && *object == nullptr)
    return CLASS_E_CLASSNOTAVAILABLE;
  return hr;
}

void ReleaseCachedFactories() noexcept {
  for (ClassTableEntry& entry : classTable) {
    if (void* cached = entry.factoryCache.exchange(nullptr))
      Decode(cached)->Release();
  }
}

}  // namespace tarnwick
