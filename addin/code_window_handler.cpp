// The handler that every attached code window's record carries: watched
// keystrokes go to the comment engine, bound to the editor's active code pane
// behind a read cache made for the one keystroke.
#include "addin/connect.h"
#include "engine/watched_message.h"
#include "vbe/visual_basic_editor_vba.h"
#include "window/win32_code_window.h"

namespace tarnwick {

namespace {

// A window's last message: it goes to the window's own procedure first, then
// the window leaves the map so that a later window with the same handle value
// is attached afresh. (The editor may have disconnected the add-in meanwhile;
// the record then has no owner any more.)
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
  Win32CodeWindow codeWindow(route.hwnd);
  (void)HandleWatchedMessage(
      route.message, route.wParam, &codeWindow, route, consumed,
      [&](const auto& use) {
        CConnect* instance = route.owner;
        if (!instance || !instance->vbe) {
          return;  // not connected: the message goes on to the editor alone
        }
        // Any call into the editor below may disconnect or release the
        // add-in; the instance and the editor object stay alive until this
        // message is done. A disconnection takes the record's routing away.
        const Microsoft::WRL::ComPtr<IConnect> holdInstance(instance);
        const Microsoft::WRL::ComPtr<IDispatch> editor = instance->vbe;
        VisualBasicEditorVBA pane(editor.Get());
        use(pane);
      },
      [&] { return route.installed != FALSE; });
}

}  // namespace tarnwick
