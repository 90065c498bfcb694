// A code window of the simulated editor. Each message goes the way it goes in
// the add-in: the engine's filter; for a watched message DispatchKeystroke over
// the window's MemoryPane behind the keystroke's read cache, under the
// project's failure policy; then, unless it was consumed, the editor's own
// behaviour. The window is the engine's
// CodeWindow (TypeSpace sends WM_CHAR 0x20 through the same path) and its Route
// (CallOriginal applies the editor's behaviour to the message being routed).
//
// Like the real window, it keeps a record of the message being routed, and a
// message sent while another is being handled overwrites that record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/code_window.h"
#include "engine/keystroke_read_cache.h"
#include "simulator/keys.h"
#include "simulator/memory_pane.h"
#include "vba/module.h"

namespace tarnwick {

// What one keystroke did.
struct KeystrokeReport {
  bool consumed = false;    // the add-in consumed the keystroke's watched message
  int64_t editorCalls = 0;  // code-pane operations the engine called (EngineCalls)
  int64_t paneCalls = 0;    // the same, inner calls included (TotalCalls)
  int failuresStopped = 0;  // failures the policy stopped during the keystroke
  // How many times the editor's procedure received the keystroke's key message
  // (the key-down for Enter and Tab, the character itself, the end of a
  // composition); -1 for clicks and selections, which send no message.
  int editorReceived = -1;
};

// Supplies the code pane for one watched message in place of the window's
// MemoryPane: makes a pane, calls `use` with it (its batched read included),
// and destroys it again. It runs inside the failure policy, so a failure while
// binding is stopped like any other.
using PaneUse = std::function<void(LineRunPane& pane)>;
using PaneBinder = std::function<void(const PaneUse& use)>;

class SimulatedCodeWindow final : public CodeWindow, public Route {
 public:
  SimulatedCodeWindow() = default;
  explicit SimulatedCodeWindow(std::vector<std::wstring> lines) : module(std::move(lines)) {}
  SimulatedCodeWindow(const SimulatedCodeWindow&) = delete;
  SimulatedCodeWindow& operator=(const SimulatedCodeWindow&) = delete;

  Module& GetModule() { return module; }
  const Module& GetModule() const { return module; }
  const Selection& CurrentSelection() const { return selection; }
  // The selection itself, for a pane that the caller binds over this window.
  Selection& EditorSelection() { return selection; }
  // Places the selection as a click or drag would (clamped by the editor).
  void Select(const Selection& requested) { selection = module.Clamp(requested); }
  MemoryPane& Pane() { return pane; }
  void SetLive(bool isLive) { live = isLive; }
  // Binds the pane of each watched message with `binder` from now on (an empty
  // binder restores the MemoryPane). `countCalls` answers the number of editor
  // calls made so far; Press reports its growth as editorCalls and paneCalls.
  void SetPaneBinder(PaneBinder binder, std::function<int64_t()> countCalls) {
    paneBinder = std::move(binder);
    countBoundCalls = std::move(countCalls);
  }
  // Without the read cache the engine reads the pane directly, one call per
  // read, as a reference for what the cache must not change.
  void SetReadCache(bool on) { readCache = on; }

  // Plays one keystroke. The pane's counts restart at 0 first, so a failure
  // armed with Pane().FailAtCall(k) just before fires at the keystroke's k-th
  // pane call.
  KeystrokeReport Press(const Keystroke& key);
  std::vector<KeystrokeReport> Play(const std::vector<Keystroke>& keys);

  // Sends one message through the window's path, as SendMessageW would.
  // Sets *consumed (when given) to whether the add-in consumed it.
  intptr_t Deliver(uint32_t message, uintptr_t wParam, bool* consumed = nullptr);

  // CodeWindow
  bool IsLive() override { return live; }
  void TypeSpace() override;
  // Route
  intptr_t CallOriginal() override;

 private:
  struct KeyMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
  };

  Module module;
  Selection selection;
  MemoryPane pane{module, selection};
  PaneBinder paneBinder;
  std::function<int64_t()> countBoundCalls;
  bool live = true;
  bool readCache = true;

  KeyMessage record;      // the message being routed now
  int depth = 0;          // messages being routed, nested ones included
  KeyMessage keyMessage;  // the key message of the keystroke being played
  int keyMessageReceived = 0;
  int failuresStopped = 0;
  std::wstring compositionResult;
};

}  // namespace tarnwick
