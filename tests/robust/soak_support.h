// What both soaks share: how many cycles to run, and what the process holds.
#pragma once

#include <windows.h>

namespace tarnwick::test {

// TARNWICK_SOAK_CYCLES, or 100.
int SoakCycles();

struct ProcessResources {
  DWORD windows = 0;      // the thread's windows, top-level and children
  DWORD userObjects = 0;  // GetGuiResources, or the window count where it answers 0 (Wine)
  DWORD gdiObjects = 0;
  SIZE_T privateBytes = 0;  // committed private memory
};

ProcessResources MeasureProcessResources();

}  // namespace tarnwick::test
