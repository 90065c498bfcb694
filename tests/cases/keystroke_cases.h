// The caret-marked keystroke tables: plain data, shared by every runner (the
// simulated editor natively, the object model and the Windows build later).
//
// Each case gives the module before, with one '^' for the caret, the keys in
// the replay notation (simulator/keys.h), and the module after with its caret.
// Lines are separated by '\n'; texts are UTF-8. '^' appears nowhere else.
#pragma once

#include <span>

namespace tarnwick {

struct KeystrokeCase {
  const char* name;
  const char* before;
  const char* keys;
  const char* after;
};

std::span<const KeystrokeCase> KeystrokeCases();

}  // namespace tarnwick
