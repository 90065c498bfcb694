#include "window/code_window_discovery.h"

#include <exception>

namespace tarnwick {

namespace {

constexpr LONG kFrameStyles = WS_BORDER | WS_DLGFRAME;  // WS_CAPTION: one bit is enough

struct Walk {
  CodeWindowVisitor visit;
  void* context;
  std::exception_ptr failure;
};

BOOL CALLBACK VisitDescendant(HWND window, LPARAM parameter) {
  auto& walk = *reinterpret_cast<Walk*>(parameter);
  if (!HasClassName(window, kCodeWindowClass)) {
    return TRUE;
  }
  try {
    walk.visit(window, walk.context);
  } catch (...) {
    walk.failure = std::current_exception();
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM parameter) {
  if (!HasClassName(window, kEditorFrameClass)) {
    return TRUE;
  }
  HWND mdiClient = FindWindowExW(window, nullptr, kMdiClientClass, nullptr);
  if (!mdiClient) {
    return TRUE;
  }
  // EnumChildWindows reaches descendants at every depth.
  EnumChildWindows(mdiClient, VisitDescendant, parameter);
  return FALSE;
}

}  // namespace

bool HasClassName(HWND window, const wchar_t* className) noexcept {
  wchar_t name[256];
  if (GetClassNameW(window, name, 255) == 0) {
    return false;
  }
  return lstrcmpW(name, className) == 0;
}

void ForEachCodeWindow(CodeWindowVisitor visit, void* context) {
  Walk walk{visit, context, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), VisitTopLevel, reinterpret_cast<LPARAM>(&walk));
  if (walk.failure) {
    std::rethrow_exception(walk.failure);
  }
}

bool IsCodeWindowCreation(HWND window, const CREATESTRUCTW& creation) noexcept {
  if ((creation.style & kFrameStyles) == 0) {
    return false;
  }
  if ((creation.style & WS_SYSMENU) == 0) {
    return false;
  }
  return HasClassName(window, kCodeWindowClass);
}

}  // namespace tarnwick
