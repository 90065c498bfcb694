// Loading the editor's add-ins the way the editor does at start-up.
//
// Every subkey of HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64 (Addins in the
// x86 build, which the 32-bit editor reads) names an add-in by its ProgID. One
// whose "LoadBehavior" (REG_DWORD) has bit 0 set is loaded at start-up:
// CLSIDFromProgID, CoCreateInstance (in-process), the add-in
// protocol _IDTExtensibility2, OnConnection(VBE, ext_cm_Startup, the add-in's
// own AddIn object, an empty custom array); once all are connected, each gets
// OnStartupComplete. At shutdown each gets OnBeginShutdown, then
// OnDisconnection(ext_dm_HostShutdown), and is released; unused libraries are
// freed afterwards.
//
// An add-in that fails any step of loading is reported as the editor words it,
// "'NAME' could not be loaded.", and the others are loaded all the same.
// The calling thread must be a single-threaded apartment.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "addin/interfaces.h"
#include "simulator/com/call_log.h"
#include "tarnwick_platform.h"

namespace tarnwick {

inline constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\VBA\\VBE\\6.0\\" TARNWICK_ADDINS_KEY;

// True when a LoadBehavior value asks for loading at start-up.
constexpr bool LoadsAtStartup(DWORD loadBehavior) {
  return (loadBehavior & 1) != 0;
}

// The names of the subkeys of `root`\`path` that ask for loading at start-up,
// in the registry's order. A missing key gives none; a LoadBehavior that is
// absent or not a REG_DWORD does not ask for loading.
std::vector<std::wstring> StartupAddIns(HKEY root, const wchar_t* path);

// The message the editor shows for an add-in that it could not load.
std::wstring CouldNotLoadMessage(const std::wstring& name);

class AddInHost {
 public:
  // `report` receives one message per add-in that could not be loaded.
  explicit AddInHost(std::function<void(const std::wstring&)> report) : report(std::move(report)) {}
  AddInHost(const AddInHost&) = delete;
  AddInHost& operator=(const AddInHost&) = delete;
  // Disconnects what is still connected.
  ~AddInHost() { UnloadAll(); }

  // Loads and connects each named add-in with `vbe` as its application, then
  // tells each connected one that start-up is complete.
  void LoadAll(IDispatch* vbe, const std::vector<std::wstring>& names);
  // Shuts every connected add-in down and releases it. Never throws.
  void UnloadAll() noexcept;

  // The names of the add-ins that are connected now, in loading order.
  std::vector<std::wstring> Connected() const;

 private:
  struct LoadedAddIn {
    std::wstring name;
    Microsoft::WRL::ComPtr<_IDTExtensibility2> addIn;
    Microsoft::WRL::ComPtr<IDispatch> instance;  // the AddIn object handed to it
  };

  // The add-in connected, or null after reporting it.
  bool Load(IDispatch* vbe, const std::wstring& name);

  std::function<void(const std::wstring&)> report;
  CallLog instanceLog;  // the AddIn objects' calls; outlives them
  std::vector<LoadedAddIn> loaded;
};

}  // namespace tarnwick
