// The steps of registering and unregistering the server: running a registry
// script from the module's resources, the class table's registration and the
// type library's.
#pragma once

#include <windows.h>

#include <string>

#include "registrar/replacements.h"
#include "registrar/script_applier.h"

namespace tarnwick {

// Who a registration is for. Machine: the classes under
// HKEY_LOCAL_MACHINE\Software\Classes and the type library through the
// system's RegisterTypeLib, which needs administrator rights. User: the same keys
// under HKEY_CURRENT_USER\Software\Classes, which Windows merges into the
// user's view of HKEY_CLASSES_ROOT, and the type library registered for the
// user. The add-in's own key under HKEY_CURRENT_USER is the same in both.
enum class RegistrationScope { Machine, User };

// The root mapping the registry scripts run with: HKCR to
// HKLM\Software\Classes for Machine, to HKCU\Software\Classes for User.
// Neither goes through the merged HKEY_CLASSES_ROOT.
RootMapping RootMappingFor(RegistrationScope scope);

// DllInstall's command line: true for "user" in any letter case (the
// registration tool passes the text after /i: as it stands), false for
// anything else, a null pointer included.
[[nodiscard]] bool IsPerUserCommandLine(const wchar_t* commandLine) noexcept;

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

// True when the class is registered in either registry view, below the
// scope's classes key, for a module other than `modulePath`: on 64-bit Windows,
// the other bitness's Tarnwick.dll. (On 32-bit Windows both views are the one.)
[[nodiscard]] bool ClassRegisteredForAnotherModule(const std::wstring& modulePath,
                                                   RegistrationScope scope);

// True when the class is registered in this bitness's registry view below the
// classes key of `scope`, for any module.
[[nodiscard]] bool ClassRegisteredIn(RegistrationScope scope);

// Runs the "REGISTRY" resource `id` of `module` against the system registry.
// Unregistering, or undoing a failed registration, while the class is
// registered for another module removes only the keys of this bitness's
// registry view; while the class is registered in the other scope it leaves
// the add-in's key under HKCU, which both scopes write (KeysLeftToOthers).
// `collected` holds the caller's and the module's common replacements (among
// them "APPID"); "Module" and "Module_Raw" are added from the module's path.
// `scope` decides where the script's HKCR blocks go.
[[nodiscard]] HRESULT RunRegistryResource(HMODULE module, int id, bool doRegister,
                                          const Replacements& collected,
                                          RegistrationScope scope = RegistrationScope::Machine);

// Every class-table entry: its script, then its component categories; stops at
// the first failure.
[[nodiscard]] HRESULT RegisterClassTable(RegistrationScope scope = RegistrationScope::Machine);
// Every class-table entry: its component categories, then its script; every
// step is tried, and the first failure is the answer.
[[nodiscard]] HRESULT UnregisterClassTable(RegistrationScope scope = RegistrationScope::Machine);

// The type library that `module` carries (or the .tlb file beside it).
[[nodiscard]] HRESULT RegisterModuleTypeLib(HMODULE module,
                                            RegistrationScope scope = RegistrationScope::Machine);
[[nodiscard]] HRESULT UnregisterModuleTypeLib(HMODULE module,
                                              RegistrationScope scope = RegistrationScope::Machine);

}  // namespace tarnwick
