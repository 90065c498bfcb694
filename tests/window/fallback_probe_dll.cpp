// A DLL that routes a window in fallback mode, the way Tarnwick.dll does, so
// that a test can unload it while someone else still calls into it. Like the
// add-in's handler, it retires the record at the window's last message.
#include <windows.h>

#include <memory>

#include "window/subclassed_window.h"

namespace {

std::unique_ptr<tarnwick::SubclassedWindow> record;

void RetireAtDestroy(tarnwick::SubclassedWindow& route, bool* consumed, LRESULT* result) {
  if (route.message == WM_NCDESTROY) {
    *result = route.CallOriginal();
    *consumed = true;
    tarnwick::RetireWindow(std::move(record));
  }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL ProbeAttach(HWND window) {
  record = std::make_unique<tarnwick::SubclassedWindow>(window, RetireAtDestroy, nullptr,
                                                        tarnwick::RoutingMode::FallbackOnly);
  return record->installed;
}

extern "C" __declspec(dllexport) void ProbeRetire() {
  tarnwick::RetireWindow(std::move(record));
}
