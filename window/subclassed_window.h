// Puts the add-in in front of a code window's own window procedure.
//
// A SubclassedWindow routes every message of its window through RouteMessage,
// which hands it to the record's handler first. Routing is installed with the
// common-controls subclassing service (SetWindowSubclass) or, when that fails,
// by replacing the window procedure; in that fallback mode the process-wide
// FallbackWindowMap leads from the handle back to the record.
//
// A record that is taken out of service while a message is still being routed
// through it (the editor can disconnect or release the add-in from inside its
// own window procedure) is retired rather than freed: it owns itself from then
// on and is freed when its outermost RouteMessage returns.
//
// Everything here runs on the thread that owns the windows (the editor's UI
// thread); nothing is locked.
#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <memory>

#include "engine/code_window.h"

namespace tarnwick {

class CConnect;
class SubclassedWindow;

// Called for every routed message, with the record's message fields set to it,
// *consumed false and *result 0. The handler may read the record, call
// CallOriginal, and set *consumed and *result; it never changes the record's
// message fields. A handler that has passed the message on with CallOriginal
// sets *consumed, so that it is not passed on a second time.
//
// A handler may throw. RouteMessage then stops the exception and counts the
// message as consumed exactly when the handler had already passed it on with
// CallOriginal (returning *result as it stood); otherwise the message goes on
// to the window as if the handler had left it alone.
using MessageHandler = void (*)(SubclassedWindow& record, bool* consumed, LRESULT* result);

// How a record installs its routing. Tests force the fallback path, which
// SetWindowSubclass rarely needs on a real system.
enum class RoutingMode {
  SubclassFirst,  // SetWindowSubclass, replacing the window procedure if that fails
  FallbackOnly,   // replace the window procedure straight away
};

// One attached window. The three states:
//   subclass mode: installed nonzero, previousWndProc null, not in FallbackWindowMap
//   fallback mode: installed 1, previousWndProc saved, in FallbackWindowMap
//   not routed:    installed 0, previousWndProc null, not in FallbackWindowMap
// The state is fixed at construction and left only through RemoveRouting.
class SubclassedWindow final : public Route {
 public:
  // Installs routing; reports nothing, `installed` tells the outcome. Throws
  // std::bad_alloc when the fallback map cannot grow.
  SubclassedWindow(HWND window, MessageHandler handler, CConnect* owner,
                   RoutingMode mode = RoutingMode::SubclassFirst);
  // Removes what is still installed, so a freed record is never called.
  ~SubclassedWindow();

  SubclassedWindow(const SubclassedWindow&) = delete;
  SubclassedWindow& operator=(const SubclassedWindow&) = delete;

  // Passes the message being handled on to what stands behind the add-in: the
  // saved procedure in fallback mode, else the next subclass or the window's own
  // procedure. Returns that procedure's result, in the engine's type (LRESULT
  // is pointer-sized too, but a type of its own on x86). Called outside any
  // routed message it passes on the message fields as they stand.
  intptr_t CallOriginal() override;

  // Takes the routing away and returns the record to the not-routed state. In
  // fallback mode the saved procedure is put back only while the window still
  // wears FallbackWndProc; when someone has replaced the procedure after us,
  // they keep calling FallbackWndProc, so the window gets a pass-through entry
  // that forwards to the saved procedure and the module is pinned in memory for
  // good. Once the window's WM_NCDESTROY has reached the record no message
  // follows it, so neither is needed then. On a destroyed window the calls fail
  // without effect. A not-routed record is left alone.
  void RemoveRouting() noexcept;

  // True while a RouteMessage call for this record is in progress (its handler
  // or its passing on); the record must not be freed then.
  bool IsRouting() const noexcept { return frame != nullptr; }

  HWND hwnd;
  CConnect* owner;   // not owned
  UINT message = 0;  // the message most recently routed (inner one after nesting)
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  MessageHandler handler;
  UINT_PTR subclassId;  // GetTickCount() at construction; unique per window only
  BOOL installed = FALSE;
  WNDPROC previousWndProc = nullptr;

 private:
  friend LRESULT RouteMessage(SubclassedWindow& record, UINT message, WPARAM wParam, LPARAM lParam);
  friend void RetireWindow(std::unique_ptr<SubclassedWindow> record) noexcept;

  // One RouteMessage call in progress: the message it routes, where it goes on
  // to (the saved procedure at its start, null for the subclass chain, so that
  // removing the routing meanwhile cannot divert it) and whether the handler
  // has passed it on.
  struct Frame {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    WNDPROC passOnTo;
    bool passedOn;
  };

  LRESULT PassOn(WNDPROC to, UINT msg, WPARAM w, LPARAM l);

  Frame* frame = nullptr;  // innermost routed message, null outside routing
  // A retired record's owner: itself, until its outermost RouteMessage returns.
  std::unique_ptr<SubclassedWindow> retiredSelf;
  bool destroying = false;  // the window's WM_NCDESTROY has been routed: its last message
};

// Takes a record out of service: removes its routing, clears its owner and
// frees it, at once when no message is being routed through it, otherwise as
// soon as its outermost RouteMessage returns. Never throws.
void RetireWindow(std::unique_ptr<SubclassedWindow> record) noexcept;

// Retired records that still wait for their message to return; the module must
// stay loaded while there are any.
[[nodiscard]] std::size_t RetiredWindowCount() noexcept;

// The step shared by both entry points: stores the message in the record, calls
// the handler and, unless it consumed the message, passes the message on.
// Never throws.
LRESULT RouteMessage(SubclassedWindow& record, UINT message, WPARAM wParam, LPARAM lParam);

// The SUBCLASSPROC registered with SetWindowSubclass; dwRefData is the record.
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR dwRefData);

// The window procedure installed in fallback mode. A window that is not in
// FallbackWindowMap goes to its pass-through entry's procedure, else to its
// class's procedure (both through CallWindowProcW), or DefWindowProcW.
LRESULT CALLBACK FallbackWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The records in fallback mode, by window handle; they are not owned.
extern std::map<HWND, SubclassedWindow*> FallbackWindowMap;

}  // namespace tarnwick
