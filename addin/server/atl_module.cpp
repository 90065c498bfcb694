#include "addin/server/atl_module.h"

#include "win32/hresult_error.h"

namespace tarnwick {

CAtlModule::CAtlModule() noexcept {
  // A failure here makes DllMain refuse the load (see Initialized()).
  initialized = InitializeCriticalSectionEx(&section, 0, 0) != FALSE;
}

CAtlModule::~CAtlModule() {
  Term();
  if (initialized) {
    DeleteCriticalSection(&section);
  }
}

LONG CAtlModule::Lock() noexcept {
  return ++lockCount;
}

LONG CAtlModule::Unlock() noexcept {
  return --lockCount;
}

LONG CAtlModule::GetLockCount() const noexcept {
  return lockCount.load();
}

HRESULT CAtlModule::GetGlobalInterfaceTable(IGlobalInterfaceTable** table) noexcept {
  if (!table) {
    return E_POINTER;
  }
  *table = nullptr;
  HRESULT hr = S_OK;
  EnterSection();
  if (!globalInterfaceTable) {
    hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                          IID_PPV_ARGS(&globalInterfaceTable));
  }
  if (globalInterfaceTable) {
    globalInterfaceTable.CopyTo(table);
  }
  LeaveSection();
  return hr;
}

HRESULT CAtlModule::AddTermFunction(TermFunction function, void* data) noexcept {
  ModuleSectionLock hold(*this);
  return Guarded([&] { terminations.push_back({function, data}); });
}

void CAtlModule::Term() noexcept {
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
