// The engine's window seam bound to a real window.
#pragma once

#include <windows.h>

#include "engine/code_window.h"

namespace tarnwick {

class Win32CodeWindow final : public CodeWindow {
 public:
  explicit Win32CodeWindow(HWND window) : window(window) {}

  // IsWindow: false once the window is destroyed.
  bool IsLive() override;
  // SendMessageW(WM_CHAR, 0x20, 0): synchronous, through the window's routing.
  void TypeSpace() override;

 private:
  HWND window;
};

}  // namespace tarnwick
