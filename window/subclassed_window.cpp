#include "window/subclassed_window.h"

#include <commctrl.h>

namespace tarnwick {

std::map<HWND, SubclassedWindow*> FallbackWindowMap;

SubclassedWindow::SubclassedWindow(HWND window, MessageHandler handler, CConnect* owner,
                                   RoutingMode mode)
    : hwnd(window), owner(owner), handler(handler), subclassId(GetTickCount()) {
  if (mode == RoutingMode::SubclassFirst) {
    installed =
        SetWindowSubclass(hwnd, SubclassProc, subclassId, reinterpret_cast<DWORD_PTR>(this));
    if (installed) {
      return;
    }
  }

  // Fallback. An earlier record that holds the handle keeps it, and this one
  // stays not routed.
  if (!FallbackWindowMap.emplace(hwnd, this).second) {
    return;
  }
  previousWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FallbackWndProc)));
  if (previousWndProc) {
    installed = 1;
  } else {
    FallbackWindowMap.erase(hwnd);
  }
}

SubclassedWindow::~SubclassedWindow() {
  RemoveRouting();
}

void SubclassedWindow::RemoveRouting() {
  if (!installed) {
    return;
  }
  if (previousWndProc) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
    previousWndProc = nullptr;
    auto entry = FallbackWindowMap.find(hwnd);
    if (entry != FallbackWindowMap.end() && entry->second == this) {
      FallbackWindowMap.erase(entry);
    }
  } else {
    RemoveWindowSubclass(hwnd, SubclassProc, subclassId);
  }
  installed = 0;
}

LRESULT SubclassedWindow::PassOn(UINT msg, WPARAM w, LPARAM l) {
  if (previousWndProc) {
    return CallWindowProcW(previousWndProc, hwnd, msg, w, l);
  }
  return DefSubclassProc(hwnd, msg, w, l);
}

intptr_t SubclassedWindow::CallOriginal() {
  if (!frame) {
    return PassOn(message, wParam, lParam);
  }
  frame->passedOn = true;
  return PassOn(frame->message, frame->wParam, frame->lParam);
}

// The record's message fields follow every message, nested ones included, but
// what goes on to the window is always the message this call received: after a
// nested message the fields hold the inner one, and forwarding them would hand
// the window the inner message twice and lose the outer.
LRESULT RouteMessage(SubclassedWindow& record, UINT message, WPARAM wParam, LPARAM lParam) {
  record.message = message;
  record.wParam = wParam;
  record.lParam = lParam;

  SubclassedWindow::Frame frame{message, wParam, lParam, false};
  SubclassedWindow::Frame* outer = record.frame;
  record.frame = &frame;

  bool consumed = false;
  LRESULT result = 0;
  try {
    record.handler(record, &consumed, &result);
  } catch (...) {
    // The window sees the message exactly once: consumed if the handler had
    // already passed it on, passed on below otherwise.
    consumed = frame.passedOn;
  }
  record.frame = outer;

  if (consumed) {
    return result;
  }
  return record.PassOn(message, wParam, lParam);
}

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR /*id*/, DWORD_PTR dwRefData) {
  try {
    return RouteMessage(*reinterpret_cast<SubclassedWindow*>(dwRefData), message, wParam, lParam);
  } catch (...) {
    return DefSubclassProc(window, message, wParam, lParam);
  }
}

namespace {

LRESULT CallClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC));
  if (classProc) {
    return classProc(window, message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK FallbackWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    auto entry = FallbackWindowMap.find(window);
    if (entry != FallbackWindowMap.end()) {
      return RouteMessage(*entry->second, message, wParam, lParam);
    }
    return CallClassProcedure(window, message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace tarnwick
