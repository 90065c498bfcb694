#include "addin/module.h"

#include <new>

namespace tarnwick {

CTarnwickModule tarnwickModule;

CTarnwickModule::CTarnwickModule() noexcept {
  initialized = InitializeCriticalSectionEx(&section, 0, 0) != FALSE;
}

CTarnwickModule::~CTarnwickModule() {
  Term();
  if (initialized) {
    DeleteCriticalSection(&section);
  }
}

LONG CTarnwickModule::Lock() noexcept {
  return ++lockCount;
}

LONG CTarnwickModule::Unlock() noexcept {
  return --lockCount;
}

LONG CTarnwickModule::GetLockCount() const noexcept {
  return lockCount.load();
}

HRESULT CTarnwickModule::AddTermFunction(TermFunction function, void* data) noexcept {
  ModuleSectionLock hold(*this);
  try {
    terminations.push_back({function, data});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void CTarnwickModule::Term() noexcept {
  if (!initialized) {
    return;
  }
  std::vector<TermEntry> entries;
  {
    ModuleSectionLock hold(*this);
    entries.swap(terminations);
  }
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    entry->function(entry->data);
  }
}

}  // namespace tarnwick
