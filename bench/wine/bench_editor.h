// The stand-in editor of the Windows benchmark: one module behind the
// simulated object model (VBE, CodePane, CodeModule), and code windows whose
// own procedure applies the editor's keystroke behaviour to that module. The
// time the editor spends is kept apart from the add-in's: inside the objects'
// Invoke (their call log) and inside the code windows' own procedure, where
// its allocations are counted apart too (for Invoke, behind the border of
// editor_boundary.h).
#pragma once

#include <windows.h>

#include "simulator/com/object_model.h"
#include "simulator/keys.h"
#include "vba/module.h"
#include "simulator/win32/code_window_stand_in.h"

namespace tarnwick::bench {

// A window class of this program (registering it again does nothing), and a
// top-level window of such a class; throws when the window cannot be made.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);
HWND CreateTopWindow(const wchar_t* className);

class BenchEditor {
 public:
  BenchEditor();
  ~BenchEditor();
  BenchEditor(const BenchEditor&) = delete;
  BenchEditor& operator=(const BenchEditor&) = delete;

  // A new top-level window of the code windows' class.
  HWND CreateCodeWindow();
  // Sends one keystroke to `window` as the system delivers it.
  void Press(HWND window, const Keystroke& key);
  // QueryPerformanceCounter ticks spent in the editor so far: in its objects'
  // Invoke and in its code windows' own procedure.
  int64_t EditorTicks();

  Module module;
  Selection selection;
  SimulatedObjectModel model{module, selection};

 private:
  CodeWindowStandIn standIn{module, selection};
};

}  // namespace tarnwick::bench
