#include "window/creation_hook.h"

namespace tarnwick {

LRESULT CbtHook::Dispatch(int eventCode, WPARAM eventWParam, LPARAM eventLParam,
                          CConnect* eventOwner) noexcept {
  code = eventCode;
  wParam = eventWParam;
  lParam = eventLParam;
  owner = eventOwner;
  if (code < 0) {
    return CallNextHookEx(hook.get(), code, wParam, lParam);
  }
  bool handled = false;
  LRESULT result = 0;
  try {
    handler(*this, &handled, &result);
  } catch (...) {
    handled = false;
  }
  if (handled) {
    return result;
  }
  return CallNextHookEx(hook.get(), code, wParam, lParam);
}

}  // namespace tarnwick
