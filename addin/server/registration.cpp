#include "addin/server/registration.h"

#include <string>

#include "addin/server/ids.h"
#include "text/ascii.h"
#include "registrar/registrar.h"
#include "addin/server/class_table.h"
#include "addin/server/module_resources.h"
#include "addin/server/typelib_registration.h"
#include "addin/server/win32_registry.h"
#include "win32/unique_any.h"

namespace tarnwick {

RootMapping RootMappingFor(RegistrationScope scope) {
  return scope == RegistrationScope::Machine ? MachineClassesMapping() : UserClassesMapping();
}

bool IsPerUserCommandLine(const wchar_t* commandLine) noexcept {
  return commandLine != nullptr && EqualsIgnoringAsciiCase(commandLine, L"user");
}

ThreadLocaleScope::ThreadLocaleScope() noexcept : saved(GetThreadLocale()) {
  SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
}

ThreadLocaleScope::~ThreadLocaleScope() {
  SetThreadLocale(saved);
}

bool ClassRegisteredForAnotherModule(const std::wstring& modulePath, RegistrationScope scope) {
  const HKEY root = scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  const std::wstring server =
      std::wstring(L"Software\\Classes\\CLSID\\") + kCLSID_Connect + L"\\InprocServer32";
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    UniqueHkey key;
    if (RegOpenKeyExW(root, server.c_str(), 0, KEY_QUERY_VALUE | view, key.put()) !=
        ERROR_SUCCESS) {
      continue;
    }
    wchar_t registered[MAX_PATH] = {};
    DWORD bytes = sizeof registered;
    const LSTATUS status =
        RegGetValueW(key.get(), nullptr, nullptr, RRF_RT_REG_SZ, nullptr, registered, &bytes);
    // A path too long for the buffer is longer than any this module registers.
    if (status == ERROR_MORE_DATA ||
        (status == ERROR_SUCCESS &&
         CompareStringOrdinal(registered, -1, modulePath.c_str(), -1, TRUE) != CSTR_EQUAL)) {
      return true;
    }
  }
  return false;
}

bool ClassRegisteredIn(RegistrationScope scope) {
  const HKEY root = scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  const std::wstring server =
      std::wstring(L"Software\\Classes\\CLSID\\") + kCLSID_Connect + L"\\InprocServer32";
  UniqueHkey key;
  return RegOpenKeyExW(root, server.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

HRESULT RunRegistryResource(HMODULE module, int id, bool doRegister, const Replacements& collected,
                            RegistrationScope scope) {
  std::wstring path;
  HResult hr = GetModulePath(module, &path);
  if (Failed(hr)) {
    return hr;
  }
  // The module's common replacements already hold "APPID"; it is carried over.
  const std::wstring* appId = collected.Find(L"APPID");
  Replacements all;
  hr = MakeScriptReplacements(collected, appId ? *appId : std::wstring(), path, &all);
  if (Failed(hr)) {
    return hr;
  }
  std::wstring script;
  hr = LoadRegistryScript(path, id, &script);
  if (Failed(hr)) {
    return hr;
  }
  // The other bitness's registration shares the ProgIDs and the AppID with
  // this one, and the other scope's the add-in's key; while they stand,
  // unregistering (or undoing a failed registration) leaves those to them.
  const RegistrationScope other =
      scope == RegistrationScope::Machine ? RegistrationScope::User : RegistrationScope::Machine;
  KeysLeftToOthers left;
  left.sharedClassKeys = ClassRegisteredForAnotherModule(path, scope);
  left.otherRoots = ClassRegisteredIn(other);
  Win32Registry registry;
  return RunRegistryScript(script, all, registry,
                           doRegister ? RegistrarMode::Register : RegistrarMode::Unregister,
                           RootMappingFor(scope), ClassKeys::All, left);
}

HRESULT RegisterClassTable(RegistrationScope scope) {
  for (ClassTableEntry& entry : ClassTable()) {
    HRESULT hr = entry.updateRegistry(true, scope);
    if (FAILED(hr)) {
      return hr;
    }
    hr = entry.updateCategories(true);
    if (FAILED(hr)) {
      return hr;
    }
  }
  return S_OK;
}

HRESULT UnregisterClassTable(RegistrationScope scope) {
  HRESULT first = S_OK;
  for (ClassTableEntry& entry : ClassTable()) {
    for (const HRESULT hr : {entry.updateCategories(false), entry.updateRegistry(false, scope)}) {
      if (FAILED(hr) && SUCCEEDED(first)) {
        first = hr;
      }
    }
  }
  return first;
}

HRESULT RegisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
  std::wstring path;
  const HResult hr = GetModulePath(module, &path);
  if (Failed(hr)) {
    return hr;
  }
  return scope == RegistrationScope::User ? RegisterTypeLibForUserOf(path)
                                          : RegisterTypeLibOf(path);
}

HRESULT UnregisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
  std::wstring path;
  const HResult hr = GetModulePath(module, &path);
  if (Failed(hr)) {
    return hr;
  }
  return scope == RegistrationScope::User ? UnregisterTypeLibForUserOf(path)
                                          : UnregisterTypeLibOf(path);
}

}  // namespace tarnwick
