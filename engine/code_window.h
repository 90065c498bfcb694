// The engine's two seams to the window system. The Windows build binds them to
// IsWindow, SendMessageW and the subclassed window's original procedure; the
// simulator binds them to its own editor.
#pragma once

#include <cstdint>

namespace tarnwick {

// The code window, as far as the engine needs it.
class CodeWindow {
 public:
  // Is this still a live window (IsWindow)?
  virtual bool IsLive() = 0;
  // Types one space at the caret, synchronously: SendMessageW(WM_CHAR, 0x20, 0).
  virtual void TypeSpace() = 0;

 protected:
  ~CodeWindow() = default;
};

// Passes the message being handled on to the editor's own window procedure at
// once. Synchronous: when it returns, the editor has applied the keystroke.
class Route {
 public:
  // The window procedure's result as a pointer-sized integer. A binding
  // overrides it with this type and converts its own window result, whose
  // type may differ (Windows' LRESULT is long on x86, not int).
  virtual intptr_t CallOriginal() = 0;

 protected:
  ~Route() = default;
};

}  // namespace tarnwick
