#include "simulator/host/frame_window.h"

#include <stdexcept>

namespace tarnwick {

HostFrame::~HostFrame() {
  Destroy();
}

void HostFrame::Create(HINSTANCE instance, int width, int height) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, kFrameClass, &existing)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = kFrameClass;
    if (RegisterClassExW(&windowClass) == 0) {
      throw std::runtime_error("cannot register the frame class");
    }
  }
  frame = CreateWindowExW(0, kFrameClass, L"Tarnwick host - VBAProject",
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width, height, nullptr,
                          nullptr, instance, this);
  if (frame == nullptr) {
    throw std::runtime_error("cannot create the frame window");
  }
  CLIENTCREATESTRUCT client{};
  client.idFirstChild = 0xFF00;
  RECT area{};
  GetClientRect(frame, &area);
  mdiClient = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDIClient", nullptr,
                              WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0,
                              0, area.right, area.bottom, frame, nullptr, instance, &client);
  if (mdiClient == nullptr) {
    throw std::runtime_error("cannot create the MDI client window");
  }
}

void HostFrame::Show(int how) {
  ShowWindow(frame, how);
  UpdateWindow(frame);
}

void HostFrame::Destroy() {
  if (frame != nullptr && IsWindow(frame)) {
    SetWindowLongPtrW(frame, GWLP_USERDATA, 0);
    DestroyWindow(frame);
  }
  frame = nullptr;
  mdiClient = nullptr;
}

HWND HostFrame::ActiveChild() const {
  if (mdiClient == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<HWND>(SendMessageW(mdiClient, WM_MDIGETACTIVE, 0, 0));
}

void HostFrame::Dispatch(MSG& message) const {
  if (mdiClient != nullptr && TranslateMDISysAccel(mdiClient, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

LRESULT CALLBACK HostFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<HostFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  HWND client = self != nullptr ? self->mdiClient : nullptr;
  try {
    switch (message) {
      case WM_CLOSE:
        // The add-ins are shut down while their windows still exist.
        if (self != nullptr && self->onClose) {
          self->onClose();
        }
        DestroyWindow(window);
        return 0;
      case WM_DESTROY:
        if (self != nullptr) {
          self->frame = nullptr;
          self->mdiClient = nullptr;
        }
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return DefFrameProcW(window, client, message, wParam, lParam);
}

}  // namespace tarnwick
