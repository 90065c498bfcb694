// The handler that every attached code window's record carries: watched
// keystrokes go to the comment engine, bound to the editor's active code pane
// behind a read cache made for the one keystroke.
#include "addin/connect.h"
#include "engine/comment_engine.h"
#include "engine/keystroke_guard.h"
#include "engine/keystroke_read_cache.h"
#include "vbe/visual_basic_editor_vba.h"
#include "win32/hresult_error.h"
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

// Passes the keystroke on to the editor, and stops the dispatch when the editor
// let go of the add-in while it had the keystroke: a disconnected instance
// starts no new action. The keystroke has then reached the editor once, so the
// failure policy counts it as consumed.
class EditorRoute final : public Route {
 public:
  explicit EditorRoute(SubclassedWindow& record) : record(record) {}
  intptr_t CallOriginal() override {
    const LRESULT result = record.CallOriginal();
    if (!record.installed) {
      throw HResultError(E_ABORT);
    }
    return result;
  }

 private:
  SubclassedWindow& record;
};

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
  // Any call into the editor below may disconnect or release the add-in; the
  // instance and the editor object stay alive until this message is done.
  const Microsoft::WRL::ComPtr<IConnect> holdInstance(instance);
  const Microsoft::WRL::ComPtr<IDispatch> editor = instance->vbe;
  const HWND window = route.hwnd;
  const UINT message = route.message;
  const auto character = static_cast<uint8_t>(route.wParam & 0xFF);
  EditorRoute toEditor(route);
  // A failure stops here: the editor then gets the keystroke exactly once (it
  // is passed on unless it already was), and edits made before it stay.
  (void)HandleKeystrokeGuarded(toEditor, consumed, [&](Route& tracked) {
    VisualBasicEditorVBA pane(editor.Get());
    Win32CodeWindow codeWindow(window);
    DispatchKeystrokeCached(&codeWindow, message, character, pane, pane, &tracked, consumed);
  });
}

}  // namespace tarnwick
