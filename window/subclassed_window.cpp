#include "window/subclassed_window.h"

#include <commctrl.h>

#include <atomic>
#include <utility>

namespace tarnwick {

std::map<HWND, SubclassedWindow*> FallbackWindowMap;

namespace {

// Windows whose routing was removed while someone else's procedure stood in
// front of FallbackWndProc: the procedure each one forwards to.
std::map<HWND, WNDPROC> passThroughMap;

std::atomic<std::size_t> retiredCount{0};

bool WearsFallbackProcedure(HWND window) {
  return GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(FallbackWndProc);
}

// Someone holds the address of FallbackWndProc for as long as the window
// lives; unloading the module would leave them calling freed code.
void PinThisModule() noexcept {
  HMODULE module = nullptr;
  (void)GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(FallbackWndProc)),
                           &module);
}

LRESULT CallClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // For an ANSI class this may be a handle, not an address: only
  // CallWindowProcW knows how to call it.
  auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC));
  if (classProc) {
    return CallWindowProcW(classProc, window, message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

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
  // FallbackWndProc still stands in the window's chain behind someone else's
  // procedure: routing resumes there.
  if (auto passing = passThroughMap.find(hwnd); passing != passThroughMap.end()) {
    previousWndProc = passing->second;
    passThroughMap.erase(passing);
    installed = 1;
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

void SubclassedWindow::RemoveRouting() noexcept {
  if (!installed) {
    return;
  }
  if (previousWndProc) {
    if (WearsFallbackProcedure(hwnd)) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
    } else if (IsWindow(hwnd) && !destroying) {
      try {
        passThroughMap[hwnd] = previousWndProc;
      } catch (...) {
        // Without an entry the window goes on to its class procedure: the
        // chain behind us is lost, but nothing calls freed code.
      }
      PinThisModule();
    }
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

LRESULT SubclassedWindow::PassOn(WNDPROC to, UINT msg, WPARAM w, LPARAM l) {
  if (to) {
    return CallWindowProcW(to, hwnd, msg, w, l);
  }
  return DefSubclassProc(hwnd, msg, w, l);
}

intptr_t SubclassedWindow::CallOriginal() {
  if (!frame) {
    return PassOn(previousWndProc, message, wParam, lParam);
  }
  frame->passedOn = true;
  return PassOn(frame->passOnTo, frame->message, frame->wParam, frame->lParam);
}

void RetireWindow(std::unique_ptr<SubclassedWindow> record) noexcept {
  if (!record) {
    return;
  }
  record->RemoveRouting();
  record->owner = nullptr;
  if (!record->IsRouting()) {
    return;  // freed here
  }
  ++retiredCount;
  SubclassedWindow& retired = *record;
  retired.retiredSelf = std::move(record);  // the outermost RouteMessage frees it
}

std::size_t RetiredWindowCount() noexcept {
  return retiredCount.load();
}

// The record's message fields follow every message, nested ones included, but
// what goes on to the window is always the message this call received: after a
// nested message the fields hold the inner one, and forwarding them would hand
// the window the inner message twice and lose the outer.
//
// The frame stays on the record until the message has been passed on, because
// the window's procedure may take the record out of service; a retired record
// is freed here, by the outermost call, and by nothing else.
LRESULT RouteMessage(SubclassedWindow& record, UINT message, WPARAM wParam, LPARAM lParam) {
  record.message = message;
  record.wParam = wParam;
  record.lParam = lParam;
  record.destroying = record.destroying || message == WM_NCDESTROY;

  SubclassedWindow::Frame frame{message, wParam, lParam, record.previousWndProc, false};
  SubclassedWindow::Frame* outer = std::exchange(record.frame, &frame);

  bool consumed = false;
  LRESULT result = 0;
  try {
    record.handler(record, &consumed, &result);
  } catch (...) {
    // The window sees the message exactly once: consumed if the handler had
    // already passed it on, passed on below otherwise.
    consumed = frame.passedOn;
  }
  if (!consumed) {
    result = record.PassOn(frame.passOnTo, message, wParam, lParam);
  }

  record.frame = outer;
  if (!outer && record.retiredSelf) {
    const std::unique_ptr<SubclassedWindow> freed = std::move(record.retiredSelf);
    --retiredCount;
  }
  return result;
}

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR /*id*/, DWORD_PTR dwRefData) {
  try {
    return RouteMessage(*reinterpret_cast<SubclassedWindow*>(dwRefData), message, wParam, lParam);
  } catch (...) {
    return DefSubclassProc(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK FallbackWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (auto entry = FallbackWindowMap.find(window); entry != FallbackWindowMap.end()) {
      return RouteMessage(*entry->second, message, wParam, lParam);
    }
    if (auto passing = passThroughMap.find(window); passing != passThroughMap.end()) {
      const WNDPROC next = passing->second;
      if (message == WM_NCDESTROY) {
        passThroughMap.erase(passing);
      }
      return CallWindowProcW(next, window, message, wParam, lParam);
    }
    return CallClassProcedure(window, message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace tarnwick
