// The module data that the server sets up at load time, before DllMain runs:
// the base-module data (the module's handles) and the COM module data (what
// class-object creation needs). Each has a critical section; if one cannot be
// set up, ModuleInitFailed() turns true and DllMain refuses the load.
#pragma once

#include <windows.h>

#include <atomic>

namespace tarnwick {

class CAtlBaseModule {
 public:
  CAtlBaseModule() noexcept;
  ~CAtlBaseModule();
  CAtlBaseModule(const CAtlBaseModule&) = delete;
  CAtlBaseModule& operator=(const CAtlBaseModule&) = delete;

  HINSTANCE module;          // this DLL
  HINSTANCE resourceModule;  // where resources are found: this DLL too

 private:
  CRITICAL_SECTION section;
  bool sectionReady = false;
};

class CAtlComModule {
 public:
  CAtlComModule() noexcept;
  // Tells the class table that the module is unloaded and releases its cached
  // factories. (The constructor tells it that the module is set up.)
  ~CAtlComModule();
  CAtlComModule(const CAtlComModule&) = delete;
  CAtlComModule& operator=(const CAtlComModule&) = delete;

  bool Initialized() const noexcept { return sectionReady; }
  // Serialises creation of class factories.
  void EnterSection() noexcept { EnterCriticalSection(&section); }
  void LeaveSection() noexcept { LeaveCriticalSection(&section); }

  HINSTANCE module;         // this DLL
  HINSTANCE typeLibModule;  // the module that carries the type library: this DLL

 private:
  CRITICAL_SECTION section;
  bool sectionReady = false;
};

extern CAtlBaseModule baseModule;
extern CAtlComModule comModule;

// True when a critical section of the module data or of the module object
// could not be set up at load time.
bool ModuleInitFailed() noexcept;
// Records such a failure (the module object reports its own through this).
void NoteModuleInitFailure() noexcept;

// The one diagnostic text of the add-in, written to an attached debugger when
// the base-module data cannot be set up.
inline constexpr char kBaseModuleInitMessage[] =
    "ERROR : Unable to initialize critical section in CAtlBaseModule\n";

}  // namespace tarnwick
