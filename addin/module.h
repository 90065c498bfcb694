// The server module: the lock count that keeps the DLL loaded, the critical
// section that guards the module's one-time static work, and the termination
// list run when the module is unloaded.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

namespace tarnwick {

class CTarnwickModule {
 public:
  CTarnwickModule() noexcept;
  virtual ~CTarnwickModule();
  CTarnwickModule(const CTarnwickModule&) = delete;
  CTarnwickModule& operator=(const CTarnwickModule&) = delete;

  // Atomic; each returns the count after the change.
  virtual LONG Lock() noexcept;
  virtual LONG Unlock() noexcept;
  virtual LONG GetLockCount() const noexcept;

  // False when the critical section could not be set up; the module must then
  // refuse to load.
  bool Initialized() const noexcept { return initialized; }

  // Serialises the module's one-time work (loading type information, ...).
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
  std::vector<TermEntry> terminations;  // guarded by `section`
};

// The module's one instance.
extern CTarnwickModule tarnwickModule;

// Holds the module's critical section for one scope.
class ModuleSectionLock {
 public:
  explicit ModuleSectionLock(CTarnwickModule& module) noexcept : module(module) {
    module.EnterSection();
  }
  ~ModuleSectionLock() { module.LeaveSection(); }
  ModuleSectionLock(const ModuleSectionLock&) = delete;
  ModuleSectionLock& operator=(const ModuleSectionLock&) = delete;

 private:
  CTarnwickModule& module;
};

}  // namespace tarnwick
