// The built Tarnwick.dll loaded into the test process, with its exports.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <gtest/gtest.h>

#include "server_test_support.h"

namespace tarnwick::server_test {

struct LoadedServer {
  using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using RegisterServer = HRESULT(STDAPICALLTYPE*)();
  using Install = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);

  explicit LoadedServer(const std::wstring& path = BuiltDllPath())
      : module(LoadLibraryW(path.c_str())) {
    EXPECT_NE(module, nullptr) << "cannot load the DLL, error " << GetLastError();
    if (!module) {
      return;
    }
    canUnloadNow = Export<CanUnloadNow>("DllCanUnloadNow");
    getClassObject = Export<GetClassObject>("DllGetClassObject");
    registerServer = Export<RegisterServer>("DllRegisterServer");
    unregisterServer = Export<RegisterServer>("DllUnregisterServer");
    install = Export<Install>("DllInstall");
  }
  ~LoadedServer() {
    if (module) {
      FreeLibrary(module);
    }
  }
  LoadedServer(const LoadedServer&) = delete;
  LoadedServer& operator=(const LoadedServer&) = delete;

  bool Ready() const {
    return module && canUnloadNow && getClassObject && registerServer && unregisterServer &&
           install;
  }

  template <class F>
  F Export(const char* name) {
    auto found = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    EXPECT_NE(found, nullptr) << name << " is not exported";
    return found;
  }

  HMODULE module;
  CanUnloadNow canUnloadNow = nullptr;
  GetClassObject getClassObject = nullptr;
  RegisterServer registerServer = nullptr;
  RegisterServer unregisterServer = nullptr;
  Install install = nullptr;
};

}  // namespace tarnwick::server_test
