#include "window/win32_code_window.h"

namespace tarnwick {

bool Win32CodeWindow::IsLive() {
  return IsWindow(window) != FALSE;
}

void Win32CodeWindow::TypeSpace() {
  SendMessageW(window, WM_CHAR, L' ', 0);
}

}  // namespace tarnwick
