// The registry as the registrar sees it: a handful of key and value operations.
// The Windows build binds it to the system registry; the tests and fuzzers use
// an in-memory one (in_memory_registry.h). Names are UTF-16 text, one key level
// each (no backslashes).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "registrar/hresult.h"

namespace tarnwick {

enum class RegistryRoot {
  ClassesRoot,
  CurrentUser,
  LocalMachine,
  Users,
  PerformanceData,
  DynData,
  CurrentConfig,
};

// "HKCR", "HKCU", ...: the short name a script uses.
const wchar_t* RootShortName(RegistryRoot root);

// An open key. 0 is never a valid key.
using RegistryKey = std::uintptr_t;

// Every operation returns kS_OK or a failure code; registry errors come as
// HResultFromWin32 codes (kNotFound for a missing key or value). Out-parameters are
// cleared first and hold nothing useful on failure.
class RegistryPort {
 public:
  virtual ~RegistryPort() = default;

  // The root's own key. Close it like any other (closing a root does nothing).
  [[nodiscard]] virtual HResult OpenRoot(RegistryRoot root, RegistryKey* key) = 0;
  // Opens an existing subkey; kNotFound when there is none.
  [[nodiscard]] virtual HResult OpenKey(RegistryKey parent, const std::wstring& name,
                                        RegistryKey* key) = 0;
  // Opens the subkey, creating it first when it does not exist.
  [[nodiscard]] virtual HResult CreateKey(RegistryKey parent, const std::wstring& name,
                                          RegistryKey* key) = 0;
  virtual void CloseKey(RegistryKey key) = 0;
  [[nodiscard]] virtual HResult KeyExists(RegistryKey parent, const std::wstring& name,
                                          bool* exists) = 0;
  // Deletes one subkey with its values. A subkey that has subkeys of its own is not
  // deleted (access denied); kNotFound when there is none.
  [[nodiscard]] virtual HResult DeleteKey(RegistryKey parent, const std::wstring& name) = 0;
  [[nodiscard]] virtual HResult EnumSubKeys(RegistryKey key, std::vector<std::wstring>* names) = 0;
  [[nodiscard]] virtual HResult CountSubKeys(RegistryKey key, std::uint32_t* count) = 0;
  // Values of the key, its default value included when it is set.
  [[nodiscard]] virtual HResult CountValues(RegistryKey key, std::uint32_t* count) = 0;
  // An empty name is the key's default value.
  [[nodiscard]] virtual HResult SetStringValue(RegistryKey key, const std::wstring& name,
                                               const std::wstring& value) = 0;
  [[nodiscard]] virtual HResult SetDwordValue(RegistryKey key, const std::wstring& name,
                                              std::uint32_t value) = 0;
  // kNotFound when the value is not there.
  [[nodiscard]] virtual HResult DeleteValue(RegistryKey key, const std::wstring& name) = 0;
};

// Closes its key on destruction.
class ScopedRegistryKey {
 public:
  explicit ScopedRegistryKey(RegistryPort& port) : port_(port) {}
  ~ScopedRegistryKey() { Reset(); }
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

  RegistryKey get() const { return key_; }
  // For the port's out-parameter; closes the key held so far.
  RegistryKey* Receive() {
    Reset();
    return &key_;
  }
  void Swap(ScopedRegistryKey& other) { std::swap(key_, other.key_); }
  void Reset() {
    if (key_ != 0) {
      port_.CloseKey(key_);
    }
    key_ = 0;
  }

 private:
  RegistryPort& port_;
  RegistryKey key_ = 0;
};

}  // namespace tarnwick
