// The DLL's entry point and its five exports (named in tarnwick.def). None of
// them lets an exception out: an allocation failure answers E_OUTOFMEMORY,
// anything else E_FAIL.
#include <windows.h>

#include "addin/server/com_module.h"
#include "addin/server/module.h"
#include "win32/hresult_error.h"

using tarnwick::Guarded;

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
  // Static initialisation has run by now; a module whose critical sections
  // could not be set up must not be used.
  if (reason == DLL_PROCESS_ATTACH &&
      (tarnwick::ModuleInitFailed() || !tarnwick::tarnwickModule.Initialized())) {
    return FALSE;
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return Guarded([] { return tarnwick::tarnwickModule.DllCanUnloadNow(); });
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  return Guarded([&] { return tarnwick::tarnwickModule.DllGetClassObject(clsid, riid, object); });
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Guarded([] { return tarnwick::tarnwickModule.DllRegisterServer(); });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Guarded([] { return tarnwick::tarnwickModule.DllUnregisterServer(); });
}

// regsvr32 /n /i:user registers for the current user only, without
// administrator rights; with /u it unregisters that registration.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
  return Guarded([&] { return tarnwick::tarnwickModule.DllInstall(install, commandLine); });
}
