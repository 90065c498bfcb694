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

// Enumeration callbacks are CALLBACK (__stdcall on x86), which a lambda's
// function pointer is not.
BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<DWORD*>(counter);
  return TRUE;
}

BOOL CALLBACK CountWindowAndDescendants(HWND window, LPARAM counter) {
  CountWindow(window, counter);
  EnumChildWindows(window, CountWindow, counter);
  return TRUE;
}

DWORD CountThreadWindows() {
  DWORD count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindowAndDescendants,
                    reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

ProcessResources MeasureProcessResources() {
  ProcessResources r;
  r.windows = CountThreadWindows();
  r.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (r.userObjects == 0) {
    r.userObjects = r.windows;
  }
  r.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    r.privateBytes = counters.PrivateUsage;
  }
  if (r.privateBytes == 0) {
    PROCESS_MEMORY_COUNTERS basic{};
    basic.cb = sizeof basic;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &basic, sizeof basic)) {
      r.privateBytes = basic.PagefileUsage;  // the same figure: committed private memory
    }
  }
  return r;
}

}  // namespace tarnwick::test
