// Attaching the editor's code windows to a Connect object: discovery at
// connection, the creation hook afterwards, and taking it all away again.
#include "addin/connect.h"
#include "window/code_window_discovery.h"

namespace tarnwick {

namespace {

// The record of the hook that is installed, for events that arrive while
// activeConnect has none (an instance made after the connected one and never
// connected itself).
CbtHook* installedHook = nullptr;

void AttachVisited(HWND window, void* instance) {
  AttachCodeWindow(*static_cast<CConnect*>(instance), window);
}

}  // namespace

void DiscoverCodeWindows(CConnect& instance) {
  ForEachCodeWindow(AttachVisited, &instance);
}

bool InstallCreationHook(CConnect& instance) {
  auto record = std::make_unique<CbtHook>();
  record->handler = OnCbtEvent;
  record->owner = &instance;
  record->hook.reset(SetWindowsHookExW(WH_CBT, CbtHookProc, nullptr, GetCurrentThreadId()));
  if (!record->hook) {
    return false;
  }
  instance.creationHook = std::move(record);
  installedHook = instance.creationHook.get();
  return true;
}

LRESULT CALLBACK CbtHookProc(int code, WPARAM wParam, LPARAM lParam) {
  CConnect* owner = activeConnect;
  CbtHook* record = owner ? owner->creationHook.get() : nullptr;
  if (!record) {
    record = installedHook;
    owner = record ? record->owner : nullptr;
  }
  if (!record) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  return record->Dispatch(code, wParam, lParam, owner);
}

void OnCbtEvent(CbtHook& hook, bool* /*handled*/, LRESULT* /*result*/) {
  if (hook.code != HCBT_CREATEWND || !hook.owner) {
    return;
  }
  auto window = reinterpret_cast<HWND>(hook.wParam);
  auto* block = reinterpret_cast<const CBT_CREATEWNDW*>(hook.lParam);
  if (!block || !block->lpcs || !IsCodeWindowCreation(window, *block->lpcs)) {
    return;
  }
  AttachCodeWindow(*hook.owner, window);
}

void AttachCodeWindow(CConnect& instance, HWND window) {
  if (!instance.codeWindows) {
    return;
  }
  CodeWindowMap& map = *instance.codeWindows;
  if (map.count(window) != 0) {
    return;
  }
  // Make room first, so that a failure cannot leave routing without a record.
  auto entry = map.emplace(window, nullptr).first;
  try {
    entry->second = std::make_unique<SubclassedWindow>(window, OnCodeWindowMessage, &instance,
                                                       instance.routingMode);
  } catch (...) {
    map.erase(entry);
    throw;
  }
}

void CConnect::RetireCodeWindow(SubclassedWindow& record) noexcept {
  if (!codeWindows) {
    record.RemoveRouting();
    return;
  }
  auto entry = codeWindows->find(record.hwnd);
  if (entry == codeWindows->end() || entry->second.get() != &record) {
    record.RemoveRouting();
    return;
  }
  std::unique_ptr<SubclassedWindow> owned = std::move(entry->second);
  codeWindows->erase(entry);
  RetireWindow(std::move(owned));
}

void CConnect::Teardown() noexcept {
  if (creationHook) {
    creationHook->hook.reset();
    if (installedHook == creationHook.get()) {
      installedHook = nullptr;
    }
    creationHook.reset();
  }
  if (codeWindows) {
    // The map leaves the instance before any record is retired, so that
    // nothing reached from a retiring record finds it half emptied.
    std::unique_ptr<CodeWindowMap> windows = std::move(codeWindows);
    for (auto& [window, record] : *windows) {
      RetireWindow(std::move(record));
    }
  }
}

}  // namespace tarnwick
