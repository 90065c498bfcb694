// The editor's main frame: a top-level window of class "wndclass_desked_gsk"
// with an "MDIClient" child that holds the code windows.
#pragma once

#include <windows.h>

#include <functional>

namespace tarnwick {

inline constexpr wchar_t kFrameClass[] = L"wndclass_desked_gsk";

class HostFrame {
 public:
  // `onClose` runs when the user closes the frame, before it is destroyed.
  explicit HostFrame(std::function<void()> onClose) : onClose(std::move(onClose)) {}
  ~HostFrame();
  HostFrame(const HostFrame&) = delete;
  HostFrame& operator=(const HostFrame&) = delete;

  // Creates the frame (hidden) and its MDI client. Throws on failure.
  void Create(HINSTANCE instance, int width, int height);
  void Show(int how);
  // Destroys the frame and with it every code window; idempotent.
  void Destroy();

  HWND Handle() const { return frame; }
  HWND MdiClient() const { return mdiClient; }
  // The active code window's handle, or null.
  HWND ActiveChild() const;
  // Translates and dispatches one message as the editor's message loop does.
  void Dispatch(MSG& message) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void()> onClose;
  HWND frame = nullptr;
  HWND mdiClient = nullptr;
};

}  // namespace tarnwick
