// The registrar's RegistryPort over the system registry.
//
// Every key that the port opens stays owned by the port until CloseKey or the
// port's destruction, so a caller that stops half-way leaks nothing. Roots are
// the system's predefined keys and are never closed. Failures come back as
// HRESULT_FROM_WIN32 of the registry call's error.
#pragma once

#include <windows.h>

#include <map>

#include "registrar/registry_port.h"
#include "win32/unique_any.h"

namespace tarnwick {

class Win32Registry : public RegistryPort {
 public:
  Win32Registry() = default;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  HResult OpenRoot(RegistryRoot root, RegistryKey* key) override;
  HResult OpenKey(RegistryKey parent, const std::wstring& name, RegistryKey* key) override;
  HResult CreateKey(RegistryKey parent, const std::wstring& name, RegistryKey* key) override;
  void CloseKey(RegistryKey key) override;
  HResult KeyExists(RegistryKey parent, const std::wstring& name, bool* exists) override;
  HResult DeleteKey(RegistryKey parent, const std::wstring& name) override;
  HResult EnumSubKeys(RegistryKey key, std::vector<std::wstring>* names) override;
  HResult CountSubKeys(RegistryKey key, std::uint32_t* count) override;
  HResult CountValues(RegistryKey key, std::uint32_t* count) override;
  HResult SetStringValue(RegistryKey key, const std::wstring& name,
                         const std::wstring& value) override;
  HResult SetDwordValue(RegistryKey key, const std::wstring& name, std::uint32_t value) override;
  HResult DeleteValue(RegistryKey key, const std::wstring& name) override;

  // Keys opened and not yet closed (roots not counted).
  size_t OpenKeyCount() const { return openKeys.size(); }

 private:
  HResult Keep(UniqueHkey opened, RegistryKey* key);

  std::map<RegistryKey, UniqueHkey> openKeys;
};

}  // namespace tarnwick
