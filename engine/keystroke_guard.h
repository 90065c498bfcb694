// The failure policy of the message path, shared by the simulator and the add-in:
// a failure never leaves the handler, the editor receives the keystroke exactly
// once, and edits made before the failure stay.
#pragma once

#include "engine/code_window.h"

namespace tarnwick {

// A route that remembers whether the message was passed on.
class TrackingRoute final : public Route {
 public:
  explicit TrackingRoute(Route& inner) : inner(inner) {}
  intptr_t CallOriginal() override {
    passedOn = true;
    return inner.CallOriginal();
  }
  bool PassedOn() const { return passedOn; }

 private:
  Route& inner;
  bool passedOn = false;
};

// Runs `handle(route)` for one message. When it throws, the message counts as
// consumed exactly when it already reached the editor; otherwise the caller
// passes it on. Returns false when a failure was stopped here.
template <class Handle>
[[nodiscard]] bool HandleKeystrokeGuarded(Route& route, bool* consumed, Handle&& handle) noexcept {
  TrackingRoute tracking(route);
  try {
    handle(static_cast<Route&>(tracking));
    return true;
  } catch (...) {
    *consumed = tracking.PassedOn();
    return false;
  }
}

}  // namespace tarnwick
