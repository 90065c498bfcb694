// A stand-in for the editor's code window, used by the Windows tests and the
// benchmark: the window's own procedure, which applies the editor's keystroke
// behaviour (simulator/editor_behavior.h) to a module and selection that the
// caller owns, and the sending of a keystroke as the system delivers it.
//
// The caller registers its window classes with StandInCodeWindowProc (or a
// procedure that calls it) and creates the windows; the procedure serves the
// most recently constructed stand-in that is still alive.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "simulator/keys.h"
#include "vba/module.h"

namespace tarnwick {

class CodeWindowStandIn {
 public:
  // Becomes the stand-in that StandInCodeWindowProc serves; stops being it
  // when destroyed.
  CodeWindowStandIn(Module& module, Selection& selection);
  ~CodeWindowStandIn();
  CodeWindowStandIn(const CodeWindowStandIn&) = delete;
  CodeWindowStandIn& operator=(const CodeWindowStandIn&) = delete;

  // Sends one keystroke to `window` as the system delivers it: WM_CHAR per
  // UTF-16 unit; Enter and Tab as WM_KEYDOWN then WM_CHAR; a click or a
  // selection sets the selection (clamped to the module) without a message;
  // a composition as WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION with
  // GCS_RESULTSTR (answered with the keystroke's text) and
  // WM_IME_ENDCOMPOSITION.
  void Press(HWND window, const Keystroke& key);

  // Called with each key or input-method message that reaches a code window's
  // own procedure, before the editor acts on it. It stands in for the editor,
  // so it must not throw; it may change the module or destroy the window.
  std::function<void(HWND window, UINT message, WPARAM wParam)> beforeEditor;

 private:
  friend LRESULT CALLBACK StandInCodeWindowProc(HWND, UINT, WPARAM, LPARAM);
  Module& module;
  Selection& selection;
  std::wstring composition;  // the text WM_IME_COMPOSITION commits
};

// The code window's own procedure. WM_KEYDOWN, WM_CHAR and the input-method
// messages from WM_IME_STARTCOMPOSITION to WM_IME_COMPOSITION go to the
// current stand-in and answer 0; everything else, and everything while there
// is no stand-in, goes to DefWindowProcW.
LRESULT CALLBACK StandInCodeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarnwick
