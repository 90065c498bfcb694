#include "addin/server/win32_registry.h"

#include <algorithm>

#include "win32/hresult_error.h"

namespace tarnwick {
namespace {

// Rights for every key the registrar opens or creates: it reads subkeys and
// writes or deletes values and subkeys.
constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;

HResult FromStatus(LSTATUS status) {
  return HResultFromWin32(static_cast<std::uint32_t>(status));
}

HKEY AsHkey(RegistryKey key) {
  return reinterpret_cast<HKEY>(key);
}

HKEY RootHkey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
      return HKEY_USERS;
    case RegistryRoot::PerformanceData:
      return HKEY_PERFORMANCE_DATA;
    case RegistryRoot::DynData:
      return HKEY_DYN_DATA;
    case RegistryRoot::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

}  // namespace

HResult Win32Registry::Keep(UniqueHkey opened, RegistryKey* key) {
  const RegistryKey handle = reinterpret_cast<RegistryKey>(opened.get());
  // On failure `opened` closes the key.
  const HResult hr = Guarded([&] { openKeys.insert_or_assign(handle, std::move(opened)); });
  if (!Failed(hr)) {
    *key = handle;
  }
  return hr;
}

HResult Win32Registry::OpenRoot(RegistryRoot root, RegistryKey* key) {
  *key = 0;
  HKEY hkey = RootHkey(root);
  if (hkey == nullptr) {
    return kE_INVALIDARG;
  }
  *key = reinterpret_cast<RegistryKey>(hkey);
  return kS_OK;
}

HResult Win32Registry::OpenKey(RegistryKey parent, const std::wstring& name, RegistryKey* key) {
  *key = 0;
  UniqueHkey opened;
  const LSTATUS status = RegOpenKeyExW(AsHkey(parent), name.c_str(), 0, kAccess, opened.put());
  if (status != ERROR_SUCCESS) {
    return FromStatus(status);
  }
  return Keep(std::move(opened), key);
}

HResult Win32Registry::CreateKey(RegistryKey parent, const std::wstring& name, RegistryKey* key) {
  *key = 0;
  UniqueHkey created;
  const LSTATUS status =
      RegCreateKeyExW(AsHkey(parent), name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess,
                      nullptr, created.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    return FromStatus(status);
  }
  return Keep(std::move(created), key);
}

void Win32Registry::CloseKey(RegistryKey key) {
  openKeys.erase(key);  // roots are not in the map
}

HResult Win32Registry::KeyExists(RegistryKey parent, const std::wstring& name, bool* exists) {
  *exists = false;
  UniqueHkey probe;
  const LSTATUS status = RegOpenKeyExW(AsHkey(parent), name.c_str(), 0, KEY_READ, probe.put());
  if (status == ERROR_FILE_NOT_FOUND) {
    return kS_OK;
  }
  if (status != ERROR_SUCCESS) {
    return FromStatus(status);
  }
  *exists = true;
  return kS_OK;
}

HResult Win32Registry::DeleteKey(RegistryKey parent, const std::wstring& name) {
  // The system refuses a key with subkeys (access denied), as the port requires.
  return FromStatus(RegDeleteKeyW(AsHkey(parent), name.c_str()));
}

HResult Win32Registry::EnumSubKeys(RegistryKey key, std::vector<std::wstring>* names) {
  names->clear();
  DWORD count = 0;
  DWORD longest = 0;
  LSTATUS status = RegQueryInfoKeyW(AsHkey(key), nullptr, nullptr, nullptr, &count, &longest,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) {
    return FromStatus(status);
  }
  return Guarded([&]() -> HRESULT {
    // Key names have at most 255 characters; the buffer never needs more.
    std::wstring buffer(std::max<DWORD>(longest, 255) + 1, L'\0');
    std::vector<std::wstring> found;
    for (DWORD index = 0;; ++index) {
      DWORD length = static_cast<DWORD>(buffer.size());
      status = RegEnumKeyExW(AsHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                             nullptr);
      if (status == ERROR_NO_MORE_ITEMS) {
        break;
      }
      if (status != ERROR_SUCCESS) {
        return FromStatus(status);
      }
      found.emplace_back(buffer.data(), length);
    }
    *names = std::move(found);
    return S_OK;
  });
}

HResult Win32Registry::CountSubKeys(RegistryKey key, std::uint32_t* count) {
  *count = 0;
  DWORD subKeys = 0;
  const LSTATUS status = RegQueryInfoKeyW(AsHkey(key), nullptr, nullptr, nullptr, &subKeys, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) {
    return FromStatus(status);
  }
  *count = subKeys;
  return kS_OK;
}

HResult Win32Registry::CountValues(RegistryKey key, std::uint32_t* count) {
  *count = 0;
  DWORD values = 0;
  const LSTATUS status = RegQueryInfoKeyW(AsHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) {
    return FromStatus(status);
  }
  *count = values;
  return kS_OK;
}

HResult Win32Registry::SetStringValue(RegistryKey key, const std::wstring& name,
                                      const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return FromStatus(RegSetValueExW(AsHkey(key), name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()), bytes));
}

HResult Win32Registry::SetDwordValue(RegistryKey key, const std::wstring& name,
                                     std::uint32_t value) {
  const DWORD number = value;
  return FromStatus(RegSetValueExW(AsHkey(key), name.c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&number), sizeof number));
}

HResult Win32Registry::DeleteValue(RegistryKey key, const std::wstring& name) {
  return FromStatus(RegDeleteValueW(AsHkey(key), name.c_str()));
}

}  // namespace tarnwick
