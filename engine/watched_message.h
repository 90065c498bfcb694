// The path of one message of a code window, the same for the add-in and the
// simulator: the filter, the failure policy, the keystroke's read cache and
// the dispatcher. The policy: a failure never leaves the path, the editor
// receives the keystroke exactly once, and edits made before the failure stay.
#pragma once

#include <cstdint>
#include <exception>

#include "engine/code_window.h"
#include "engine/comment_engine.h"
#include "engine/keystroke_read_cache.h"
#include "engine/messages.h"

namespace tarnwick {

// A route that remembers whether the message was passed on, and abandons the
// keystroke when the editor let go of the add-in while it had the message: a
// disconnected instance starts no new action.
template <class StillConnected>
class TrackingRoute final : public Route {
 public:
  TrackingRoute(Route& inner, StillConnected& stillConnected)
      : inner(inner), stillConnected(stillConnected) {}
  intptr_t CallOriginal() override {
    passedOn = true;
    const intptr_t result = inner.CallOriginal();
    if (!stillConnected()) {
      throw KeystrokeAbandoned();
    }
    return result;
  }
  bool PassedOn() const { return passedOn; }

  class KeystrokeAbandoned final : public std::exception {
   public:
    const char* what() const noexcept override { return "the editor let go of the add-in"; }
  };

 private:
  Route& inner;
  StillConnected& stillConnected;
  bool passedOn = false;
};

// The filter applied before anything is built for a message: '\'' or '>'
// typed, Tab or Enter pressed, an input-method composition starting or ending.
constexpr bool IsWatchedMessage(uint32_t message, uintptr_t wParam) {
  switch (message) {
    case kWmChar:
      return wParam == kApostrophe || wParam == kGreaterThan;
    case kWmKeyDown:
      return wParam == kVkTab || wParam == kVkReturn;
    case kWmImeStartComposition:
    case kWmImeEndComposition:
      return true;
    default:
      return false;
  }
}

enum class WatchedOutcome {
  kNotWatched,      // nothing was built for the message
  kDone,            // dispatched
  kFailureStopped,  // a failure was stopped here
};

// Whether the keystroke's reads go through a read cache. Without, the engine
// reads the pane directly: the reference that the cache must not change.
enum class ReadCache { kOn, kOff };

// Handles one message. Unwatched ones return at once. For a watched one,
// `bindPane(use)` binds the editor's code pane and calls use(pane) while the
// binding lives (a LineRunPane: the read cache reads its runs of lines); `stillConnected()` is
// asked each time the message has been passed on to the editor. *consumed is set when the editor
// must not see the message (again); on a failure, exactly when it already has.
template <class BindPane, class StillConnected>
[[nodiscard]] WatchedOutcome HandleWatchedMessage(uint32_t message, uintptr_t wParam,
                                                  CodeWindow* window, Route& toEditor,
                                                  bool* consumed, BindPane&& bindPane,
                                                  StillConnected&& stillConnected,
                                                  ReadCache readCache = ReadCache::kOn) noexcept {
  if (!IsWatchedMessage(message, wParam)) {
    return WatchedOutcome::kNotWatched;
  }
  TrackingRoute<StillConnected> tracking(toEditor, stillConnected);
  try {
    const auto character = static_cast<uint8_t>(wParam & 0xFF);
    bindPane([&](LineRunPane& pane) {
      if (readCache == ReadCache::kOn) {
        DispatchKeystrokeCached(window, message, character, pane, &tracking, consumed);
      } else {
        DispatchKeystroke(window, message, character, &pane, &tracking, consumed);
      }
    });
    return WatchedOutcome::kDone;
  } catch (...) {
    *consumed = tracking.PassedOn();
    return WatchedOutcome::kFailureStopped;
  }
}

}  // namespace tarnwick
