// The handler that every attached code window's record carries: watched
// keystrokes go to the comment engine, bound to the editor's active code pane.
#include "addin/connect.h"
#include "engine/comment_engine.h"
#include "engine/keystroke_guard.h"
#include "vbe/visual_basic_editor_vba.h"
#include "window/win32_code_window.h"

namespace tarnwick {

namespace {

// A window's last message: it goes to the window's own procedure first, then
// the window leaves the map so that a later window with the same handle value
// is attached afresh.
void DetachDestroyedWindow(SubclassedWindow& route, bool* consumed, LRESULT* result) {
  *result = route.CallOriginal();
  *consumed = true;
  if (route.owner) {
    route.owner->RetireCodeWindow(route);
  }
}

}  // namespace

void OnCodeWindowMessage(SubclassedWindow& route, bool* consumed, LRESULT* result) {
  if (route.message == WM_NCDESTROY) {
    DetachDestroyedWindow(route, consumed, result);
    return;
  }
  if (!IsWatchedMessage(route.message, route.wParam)) {
    return;
  }
  CConnect* instance = route.owner;
  if (!instance || !instance->vbe) {
    return;
  }
  const HWND window = route.hwnd;
  const UINT message = route.message;
  const auto character = static_cast<uint8_t>(route.wParam & 0xFF);
  IDispatch* const editor = instance->vbe.Get();
  // A failure stops here: the editor then gets the keystroke exactly once (it
  // is passed on unless it already was), and edits made before it stay.
  (void)HandleKeystrokeGuarded(route, consumed, [&](Route& tracked) {
    VisualBasicEditorVBA pane(editor);
    Win32CodeWindow codeWindow(window);
    DispatchKeystroke(&codeWindow, message, character, &pane, &tracked, consumed);
  });
}

}  // namespace tarnwick
