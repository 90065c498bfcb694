#include "addin/server/com_module.h"

#include "addin/server/class_table.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace tarnwick {
namespace {

std::atomic<bool> initFailed{false};

HINSTANCE ThisModule() noexcept {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

}  // namespace

// Constructed in this order, before the module object; destroyed in reverse.
CAtlBaseModule baseModule;
CAtlComModule comModule;

bool ModuleInitFailed() noexcept {
  return initFailed.load();
}

void NoteModuleInitFailure() noexcept {
  initFailed.store(true);
}

CAtlBaseModule::CAtlBaseModule() noexcept : module(ThisModule()), resourceModule(ThisModule()) {
  sectionReady = InitializeCriticalSectionEx(&section, 0, 0) != FALSE;
  if (!sectionReady) {
    if (IsDebuggerPresent()) {
      OutputDebugStringA(kBaseModuleInitMessage);
    }
    NoteModuleInitFailure();
  }
}

CAtlBaseModule::~CAtlBaseModule() {
  if (sectionReady) {
    DeleteCriticalSection(&section);
  }
}

CAtlComModule::CAtlComModule() noexcept : module(ThisModule()), typeLibModule(ThisModule()) {
  sectionReady = InitializeCriticalSectionEx(&section, 0, 0) != FALSE;
  if (!sectionReady) {
    NoteModuleInitFailure();
  }
  for (ClassTableEntry& entry : ClassTable()) {
    entry.objectMain(true);
  }
}

CAtlComModule::~CAtlComModule() {
  for (ClassTableEntry& entry : ClassTable()) {
    entry.objectMain(false);
  }
  ReleaseCachedFactories();
  if (sectionReady) {
    DeleteCriticalSection(&section);
  }
}

}  // namespace tarnwick
