#include "addin/server/registration.h"

#include <string>

#include "addin/registrar/name_compare.h"
#include "addin/registrar/registrar.h"
#include "addin/server/class_table.h"
#include "addin/server/module_resources.h"
#include "addin/server/typelib_registration.h"
#include "addin/server/win32_registry.h"

namespace tarnwick {

RootMapping RootMappingFor(RegistrationScope scope) {
  if (scope == RegistrationScope::Machine)
    return {};
  return {{RegistryRoot::ClassesRoot,
           RootRedirect{RegistryRoot::CurrentUser, {L"Software", L"Classes"}}}};
}

bool IsPerUserCommandLine(const wchar_t* commandLine) noexcept {
  return commandLine != nullptr && EqualsIgnoreCase(commandLine, L"user");
}

ThreadLocaleScope::ThreadLocaleScope() noexcept : saved(GetThreadLocale()) {
  SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
}

ThreadLocaleScope::~ThreadLocaleScope() {
  SetThreadLocale(saved);
}

HRESULT RunRegistryResource(HMODULE module, int id, bool doRegister, const Replacements& collected,
                            RegistrationScope scope) {
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
                           doRegister ? RegistrarMode::Register : RegistrarMode::Unregister,
                           RootMappingFor(scope));
}

HRESULT RegisterClassTable(RegistrationScope scope) {
  for (ClassTableEntry& entry : ClassTable()) {
    HRESULT hr = entry.updateRegistry(true, scope);
    if (FAILED(hr))
      return hr;
    hr = entry.updateCategories(true);
    if (FAILED(hr))
      return hr;
  }
  return S_OK;
}

HRESULT UnregisterClassTable(RegistrationScope scope) {
  HRESULT first = S_OK;
  for (ClassTableEntry& entry : ClassTable()) {
    for (const HRESULT hr : {entry.updateCategories(false), entry.updateRegistry(false, scope)}) {
      if (FAILED(hr) && SUCCEEDED(first))
        first = hr;
    }
  }
  return first;
}

HRESULT RegisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
  std::wstring path;
  const HResult hr = GetModulePath(module, &path);
  if (Failed(hr))
    return hr;
  return scope == RegistrationScope::User ? RegisterTypeLibForUserOf(path)
                                          : RegisterTypeLibOf(path);
}

HRESULT UnregisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
  std::wstring path;
  const HResult hr = GetModulePath(module, &path);
  if (Failed(hr))
    return hr;
  return scope == RegistrationScope::User ? UnregisterTypeLibForUserOf(path)
                                          : UnregisterTypeLibOf(path);
}

}  // namespace tarnwick
