// The steps of registering and unregistering the server: running a registry
// script from the module's resources, the class table's registration and the
// type library's.
#pragma once

#include <windows.h>

#include "addin/registrar/replacements.h"

namespace tarnwick {

// Sets the thread locale to LOCALE_SYSTEM_DEFAULT for its lifetime and puts the
// previous one back, whatever happens in between.
class ThreadLocaleScope {
 public:
  ThreadLocaleScope() noexcept;
  ~ThreadLocaleScope();
  ThreadLocaleScope(const ThreadLocaleScope&) = delete;
  ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

 private:
  LCID saved;
};

// Runs the "REGISTRY" resource `id` of `module` against the system registry.
// `collected` holds the caller's and the module's common replacements (among
// them "APPID"); "Module" and "Module_Raw" are added from the module's path.
[[nodiscard]] HRESULT RunRegistryResource(HMODULE module, int id, bool doRegister,
                                          const Replacements& collected);

// Every class-table entry: its script, then its component categories; stops at
// the first failure.
[[nodiscard]] HRESULT RegisterClassTable();
// Every class-table entry: its component categories, then its script; stops at
// the first failure.
[[nodiscard]] HRESULT UnregisterClassTable();

// The type library that `module` carries (or the .tlb file beside it).
[[nodiscard]] HRESULT RegisterModuleTypeLib(HMODULE module);
[[nodiscard]] HRESULT UnregisterModuleTypeLib(HMODULE module);

}  // namespace tarnwick
