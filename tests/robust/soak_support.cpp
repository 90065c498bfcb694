#include "tests/robust/soak_support.h"

// After <windows.h>, which it needs.
#include <psapi.h>

#include <cstdlib>

namespace tarnwick::test {

int SoakCycles() {
  const char* text = std::getenv("TARNWICK_SOAK_CYCLES");
  const int cycles = text ? std::atoi(text) : 0;
  return cycles > 0 ? cycles : 100;
}

namespace {

DWORD CountThreadWindows() {
  DWORD count = 0;
  auto top = [](HWND window, LPARAM counter) -> BOOL {
    ++*reinterpret_cast<DWORD*>(counter);
    EnumChildWindows(
        window,
        [](HWND, LPARAM c) -> BOOL {
          ++*reinterpret_cast<DWORD*>(c);
          return TRUE;
        },
        counter);
    return TRUE;
  };
  EnumThreadWindows(GetCurrentThreadId(), top, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

ProcessResources MeasureProcessResources() {
  ProcessResources r;
  r.windows = CountThreadWindows();
  r.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (r.userObjects == 0)
    r.userObjects = r.windows;
  r.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    r.privateBytes = counters.PrivateUsage;
  if (r.privateBytes == 0) {
    PROCESS_MEMORY_COUNTERS basic{};
    basic.cb = sizeof basic;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &basic, sizeof basic))
      r.privateBytes = basic.PagefileUsage;  // the same figure: committed private memory
  }
  return r;
}

}  // namespace tarnwick::test
