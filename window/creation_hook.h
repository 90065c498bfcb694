// The record behind the thread's WH_CBT hook, which sees every window of the
// UI thread as it is created.
#pragma once

#include <windows.h>

#include "win32/unique_any.h"

namespace tarnwick {

class CConnect;
struct CbtHook;

// Called for every hook event with a code of 0 or more. Setting *handled makes
// *result the hook's answer instead of passing the event on.
using CbtHandler = void (*)(CbtHook& hook, bool* handled, LRESULT* result);

struct CbtHook {
  // Stores the event and its owner, runs the handler and, unless the handler
  // handled it, passes the event on with CallNextHookEx. Never throws: a
  // failing handler counts as not having handled the event.
  LRESULT Dispatch(int code, WPARAM wParam, LPARAM lParam, CConnect* owner) noexcept;

  int code = 0;
  WPARAM wParam = 0;          // HCBT_CREATEWND: the new window
  LPARAM lParam = 0;          // HCBT_CREATEWND: its CBT_CREATEWNDW block
  CConnect* owner = nullptr;  // not owned
  UniqueHhook hook;           // from SetWindowsHookExW; empty when none
  CbtHandler handler = nullptr;
};

}  // namespace tarnwick
