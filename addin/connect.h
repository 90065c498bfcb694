// The add-in object that the host connects to, with the code-window machinery
// it owns while connected.
//
// States: Created (no editor, no windows) -> Connected (OnConnection S_OK: the
// editor kept in `vbe`, code windows attached, creation hook installed) ->
// Disconnected (OnDisconnection, or a failed OnConnection: hook and windows
// gone, `vbe` kept) -> Connected again, or destroyed by the last Release.
// Destroying a connected object tears it down first.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <memory>

#include "addin/dispatch_impl.h"
#include "addin/interfaces.h"
#include "window/code_window_map.h"
#include "window/creation_hook.h"

namespace tarnwick {

extern TypeInfoHolder connectTypeInfo;        // IConnect, from TarnwickLib 1.0
extern TypeInfoHolder extensibilityTypeInfo;  // _IDTExtensibility2, Add-In Designer 1.0

// The IUnknown methods come from the object form (addin/com_object.h).
class CConnect : public IDispatchImpl<IConnect, connectTypeInfo>,
                 public IDispatchImpl<_IDTExtensibility2, extensibilityTypeInfo> {
 public:
  // Sets activeConnect to this object and locks the module once.
  CConnect() noexcept;
  // Tears down when still connected, clears activeConnect when it is this
  // object, unlocks the module and releases `vbe`.
  virtual ~CConnect();
  CConnect(const CConnect&) = delete;
  CConnect& operator=(const CConnect&) = delete;

  // The interface table: IUnknown and IConnect give the IConnect interface,
  // IDispatch and _IDTExtensibility2 the add-in protocol. Adds a reference to
  // what it hands out; E_NOINTERFACE (null stored) or E_POINTER otherwise.
  HRESULT InternalQueryInterface(REFIID iid, void** object) noexcept;

  // _IDTExtensibility2
  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                                         IDispatch* AddInInst, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode RemoveMode,
                                            SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

  // Removes the creation hook, gives every code window its own procedure back
  // and retires the records (a record that is routing a message is freed when
  // that message returns); frees the map. Leaves `vbe` alone. Never throws.
  void Teardown() noexcept;

  // Takes the record of a window that is being destroyed out of the map and
  // retires it (RetireWindow): it may still be in use on the stack.
  void RetireCodeWindow(SubclassedWindow& record) noexcept;

  // The place of the reference count: the standalone form counts here, the
  // aggregated form keeps its outer unknown here.
  union {
    LONG refCount;
    IUnknown* outerUnknown;
  };
  std::unique_ptr<CbtHook> creationHook;
  std::unique_ptr<CodeWindowMap> codeWindows;
  Microsoft::WRL::ComPtr<IDispatch> vbe;
  // How records made from now on install their routing; tests force the
  // fallback.
  RoutingMode routingMode = RoutingMode::SubclassFirst;
};

// The instance constructed last (null once it is destroyed). The hook
// procedure, which has no context of its own, reaches its record through it.
extern CConnect* activeConnect;

// Creates a Connect object, standalone or aggregated in `outer`, and asks it
// for `riid`. On failure *object is null and nothing is left behind;
// E_OUTOFMEMORY when memory runs out.
[[nodiscard]] HRESULT CreateConnect(IUnknown* outer, REFIID riid, void** object) noexcept;

// Code-window discovery, the creation hook and the code-window handler.
void DiscoverCodeWindows(CConnect& instance);
// True with `creationHook` set on success; false with it null otherwise.
bool InstallCreationHook(CConnect& instance);
LRESULT CALLBACK CbtHookProc(int code, WPARAM wParam, LPARAM lParam);
void OnCbtEvent(CbtHook& hook, bool* handled, LRESULT* result);
// Enters a record for `window` unless its handle is already known.
void AttachCodeWindow(CConnect& instance, HWND window);
// The MessageHandler of every code window's record.
void OnCodeWindowMessage(SubclassedWindow& route, bool* consumed, LRESULT* result);

}  // namespace tarnwick
