// What both soaks share: how many cycles to run, and what the process holds.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tarnwick::test {

// TARNWICK_SOAK_CYCLES, or 100.
int SoakCycles();

struct ProcessResources {
  DWORD windows = 0;      // the thread's windows, top-level and children
  DWORD userObjects = 0;  // GetGuiResources, or the window count where it answers 0 (Wine)
  DWORD gdiObjects = 0;
  size_t privateBytes = 0;  // committed private memory (SIZE_T is unsigned long on x86)
};

ProcessResources MeasureProcessResources();

}  // namespace tarnwick::test
