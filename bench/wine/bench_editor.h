// The stand-in editor of the Windows benchmark: one module behind the
// simulated object model (VBE, CodePane, CodeModule), and code windows whose
// own procedure applies the editor's keystroke behaviour to that module.
#pragma once

#include <windows.h>

#include "simulator/com/object_model.h"
#include "simulator/keys.h"
#include "simulator/module.h"
#include "simulator/win32/code_window_stand_in.h"

namespace tarnwick::bench {

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

  Module module;
  Selection selection;
  SimulatedObjectModel model{module, selection};

 private:
  CodeWindowStandIn standIn{module, selection};
};

}  // namespace tarnwick::bench
