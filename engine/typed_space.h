// Typing one space into the code window, shared by the actions that leave the
// caret where the editor must type a space itself.
#pragma once

#include <exception>

#include "engine/bad_exception.h"
#include "engine/code_window.h"

namespace tarnwick {

inline void TypeSpaceInto(CodeWindow* window) {
  if (window == nullptr) {
    throw BadException();
  }
  window->TypeSpace();
}

}  // namespace tarnwick
