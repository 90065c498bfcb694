// The module object's class templates, after the shape of the class library
// the host's add-ins are usually built with, kept to what this server needs:
//
//   CAtlModule          lock count, critical section, termination list and the
//                       global interface table
//   CAtlModuleT<T>      running one of the module's registry scripts, with T's
//                       common replacements
//   CAtlDllModuleT<T>   the work behind the DLL's exports
//
// The module's virtual operations, in order: deleting destructor, Lock,
// Unlock, GetLockCount, GetGlobalInterfaceTable, AddCommonReplacements.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <atomic>
#include <vector>

#include "registrar/replacements.h"
#include "addin/server/class_table.h"
#include "addin/server/com_module.h"
#include "addin/server/registration.h"
#include "window/subclassed_window.h"

namespace tarnwick {

class CAtlModule {
 public:
  CAtlModule() noexcept;
  // Runs the termination list, releases the global interface table if it was
  // made and deletes the critical section.
  virtual ~CAtlModule();
  CAtlModule(const CAtlModule&) = delete;
  CAtlModule& operator=(const CAtlModule&) = delete;

  // Atomic; each returns the count after the change.
  virtual LONG Lock() noexcept;
  virtual LONG Unlock() noexcept;
  virtual LONG GetLockCount() const noexcept;
  // The process's standard global interface table, made on the first call,
  // with a reference added. E_POINTER for a null `table` (else *table is null
  // on failure).
  virtual HRESULT GetGlobalInterfaceTable(IGlobalInterfaceTable** table) noexcept;
  // Adds the replacements that every registry script of the module gets.
  virtual HRESULT AddCommonReplacements(Replacements& replacements) noexcept = 0;

  // False when the critical section could not be set up; the module then
  // refuses to load.
  bool Initialized() const noexcept { return initialized; }

  // Serialises the module's one-time work (loading type information, making
  // the global interface table).
  void EnterSection() noexcept { EnterCriticalSection(&section); }
  void LeaveSection() noexcept { LeaveCriticalSection(&section); }

  // Functions run once, last added first, when the module is unloaded (Term).
  using TermFunction = void (*)(void* data);
  // E_OUTOFMEMORY when the list cannot grow.
  [[nodiscard]] HRESULT AddTermFunction(TermFunction function, void* data) noexcept;
  void Term() noexcept;

 private:
  struct TermEntry {
    TermFunction function;
    void* data;
  };

  std::atomic<LONG> lockCount{0};
  CRITICAL_SECTION section;
  bool initialized = false;
  std::vector<TermEntry> terminations;                                 // guarded by `section`
  Microsoft::WRL::ComPtr<IGlobalInterfaceTable> globalInterfaceTable;  // guarded by `section`
};

// Holds the module's critical section for one scope.
class ModuleSectionLock {
 public:
  explicit ModuleSectionLock(CAtlModule& module) noexcept : module(module) {
    module.EnterSection();
  }
  ~ModuleSectionLock() { module.LeaveSection(); }
  ModuleSectionLock(const ModuleSectionLock&) = delete;
  ModuleSectionLock& operator=(const ModuleSectionLock&) = delete;

 private:
  CAtlModule& module;
};

template <class T>
class CAtlModuleT : public CAtlModule {
 public:
  // Runs the "REGISTRY" resource `id`: the replacements are `callerGiven`, then
  // T's common ones, then the module's path as "Module" and "Module_Raw".
  [[nodiscard]] HRESULT UpdateRegistryFromResource(
      int id, bool doRegister, const Replacements& callerGiven,
      RegistrationScope scope = RegistrationScope::Machine) {
    Replacements collected = callerGiven;
    const HRESULT hr = static_cast<T*>(this)->AddCommonReplacements(collected);
    if (FAILED(hr)) {
      return hr;
    }
    return RunRegistryResource(baseModule.resourceModule, id, doRegister, collected, scope);
  }
};

// T provides UpdateRegistryAppId(bool doRegister), which runs the AppID script.
template <class T>
class CAtlDllModuleT : public CAtlModuleT<T> {
 public:
  // S_FALSE while an object is alive or locked, or a retired window record
  // still waits for the message it routes to return.
  HRESULT DllCanUnloadNow() noexcept {
    return this->GetLockCount() == 0 && RetiredWindowCount() == 0 ? S_OK : S_FALSE;
  }

  HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) noexcept {
    if (!object) {
      return E_POINTER;
    }
    *object = nullptr;
    return GetClassObjectFromTable(clsid, riid, object);
  }

  HRESULT DllRegisterServer() { return RegisterServer(RegistrationScope::Machine); }
  HRESULT DllUnregisterServer() { return UnregisterServer(RegistrationScope::Machine); }

  // "user" (any letter case) registers (install) or unregisters the server for
  // the current user only. An empty (or null) command line means machine-wide,
  // as DllRegisterServer and DllUnregisterServer do: `regsvr32 /i` calls this
  // right after DllRegisterServer, and registering again changes nothing. Any
  // other command line is E_INVALIDARG and touches nothing.
  HRESULT DllInstall(BOOL install, const wchar_t* commandLine) {
    RegistrationScope scope = RegistrationScope::Machine;
    if (IsPerUserCommandLine(commandLine)) {
      scope = RegistrationScope::User;
    } else if (commandLine && *commandLine) {
      return E_INVALIDARG;
    }
    return install ? RegisterServer(scope) : UnregisterServer(scope);
  }

  // The AppID script, the class table, the type library; the first failure
  // ends it. The thread runs in the system's default locale meanwhile.
  HRESULT RegisterServer(RegistrationScope scope) {
    ThreadLocaleScope locale;
    HRESULT hr = static_cast<T*>(this)->UpdateRegistryAppId(true, scope);
    if (SUCCEEDED(hr)) {
      hr = RegisterClassTable(scope);
    }
    if (SUCCEEDED(hr)) {
      hr = RegisterModuleTypeLib(comModule.typeLibModule, scope);
    }
    return hr;
  }

  // The same steps in the opposite order, each one tried whatever failed
  // before it, so that a registration left half-way is cleaned up as far as
  // it can be; what is not registered counts as removed. The first failure is
  // the answer.
  HRESULT UnregisterServer(RegistrationScope scope) {
    ThreadLocaleScope locale;
    HRESULT first = UnregisterClassTable(scope);
    const HRESULT typeLibrary = UnregisterModuleTypeLib(comModule.typeLibModule, scope);
    if (SUCCEEDED(first)) {
      first = typeLibrary;
    }
    const HRESULT appId = static_cast<T*>(this)->UpdateRegistryAppId(false, scope);
    return SUCCEEDED(first) ? appId : first;
  }
};

}  // namespace tarnwick
