// The server's class table: one entry per creatable class (here only Connect),
// and the lookup behind DllGetClassObject.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <span>

#include "addin/server/class_factory.h"
#include "addin/server/registration.h"

namespace tarnwick {

// Makes the class object (the factory) around an instance creator.
using ClassObjectCreator = HRESULT (*)(void* instanceCreator, REFIID riid, void** object);

struct ClassTableEntry {
  const CLSID* clsid;
  // Runs the class's registry script in register (true) or unregister mode,
  // machine-wide or for the current user.
  HRESULT (*updateRegistry)(bool doRegister, RegistrationScope scope);
  ClassObjectCreator getClassObject;
  InstanceCreator createInstance;
  // The factory once made, stored EncodePointer-encoded; null while none.
  std::atomic<void*> factoryCache;
  // The class's description for the system; null for none.
  const wchar_t* (*getObjectDescription)();
  // Registers or unregisters the class's component categories.
  HRESULT (*updateCategories)(bool doRegister);
  // Told true when the module is set up and false when it is unloaded.
  void (*objectMain)(bool starting);
};

// The table itself, defined by the classes the DLL serves (outside the server,
// which names none of them).
std::span<ClassTableEntry> ClassTable() noexcept;

// DllGetClassObject's work once `object` is known to be non-null and cleared:
// finds the entry for `clsid`, makes and caches its factory on first use (under
// the COM module's critical section) and asks it for `riid`.
// CLASS_E_CLASSNOTAVAILABLE for an unknown class.
[[nodiscard]] HRESULT GetClassObjectFromTable(REFCLSID clsid, REFIID riid, void** object) noexcept;

// Releases every cached factory (module unload).
void ReleaseCachedFactories() noexcept;

}  // namespace tarnwick
