// A DLL that routes a window in fallback mode, the way Tarnwick.dll does, so
// that a test can unload it while someone else still calls into it.
#include <windows.h>

#include <memory>

#include "window/subclassed_window.h"

namespace {

std::unique_ptr<tarnwick::SubclassedWindow> record;

void PassEverything(tarnwick::SubclassedWindow&, bool*, LRESULT*) {}

}  // namespace

extern "C" __declspec(dllexport) BOOL ProbeAttach(HWND window) {
  record = std::make_unique<tarnwick::SubclassedWindow>(window, PassEverything, nullptr,
                                                        tarnwick::RoutingMode::FallbackOnly);
  return record->installed;
}

extern "C" __declspec(dllexport) void ProbeRetire() {
  tarnwick::RetireWindow(std::move(record));
}
