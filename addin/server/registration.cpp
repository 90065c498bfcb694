#include "addin/server/registration.h"

#include <string>

#include "addin/registrar/registrar.h"
#include "addin/server/class_table.h"
#include "addin/server/module_resources.h"
#include "addin/server/typelib_registration.h"
#include "addin/server/win32_registry.h"

namespace tarnwick {

ThreadLocaleScope::ThreadLocaleScope() noexcept : saved(GetThreadLocale()) {
  SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
}

ThreadLocaleScope::~ThreadLocaleScope() {
  SetThreadLocale(saved);
}

HRESULT RunRegistryResource(HMODULE module, int id, bool doRegister,
                            const Replacements& collected) {
  std::wstring path;
  HResult hr = GetModulePath(module, &path);
  if (Failed(hr))
    return hr;
  // The module's common replacements already hold "APPID"; it is carried over.
  const std::wstring* appId = collected.Find(L"APPID");
  Replacements all;
  hr = MakeScriptReplacements(collected, appId ? *appId : std::wstring(), path, &all);
  if (Failed(hr))
    return hr;
  std::wstring script;
  hr = LoadRegistryScript(path, id, &script);
  if (Failed(hr))
    return hr;
  Win32Registry registry;
  return RunRegistryScript(script, all, registry,
                           doRegister ? RegistrarMode::Register : RegistrarMode::Unregister);
}

HRESULT RegisterClassTable() {
  for (ClassTableEntry& entry : ClassTable()) {
    HRESULT hr = entry.updateRegistry(true);
    if (FAILED(hr))
      return hr;
    hr = entry.updateCategories(true);
    if (FAILED(hr))
      return hr;
  }
  return S_OK;
}

HRESULT UnregisterClassTable() {
  for (ClassTableEntry& entry : ClassTable()) {
    HRESULT hr = entry.updateCategories(false);
    if (FAILED(hr))
      return hr;
    hr = entry.updateRegistry(false);
    if (FAILED(hr))
      return hr;
  }
  return S_OK;
}

HRESULT RegisterModuleTypeLib(HMODULE module) {
  std::wstring path;
  const HResult hr = GetModulePath(module, &path);
  return Failed(hr) ? hr : RegisterTypeLibOf(path);
}

HRESULT UnregisterModuleTypeLib(HMODULE module) {
  std::wstring path;
  const HResult hr = GetModulePath(module, &path);
  return Failed(hr) ? hr : UnregisterTypeLibOf(path);
}

}  // namespace tarnwick
