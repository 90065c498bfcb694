// The attached code windows of one add-in instance.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

#include "window/subclassed_window.h"

namespace tarnwick {

// Orders handles by their value as an unsigned pointer-sized number.
struct HandleValueLess {
  bool operator()(HWND a, HWND b) const noexcept {
    return reinterpret_cast<uintptr_t>(a) < reinterpret_cast<uintptr_t>(b);
  }
};

// At most one record per handle. A handle is known once it is in the map,
// whether or not its routing could be installed.
using CodeWindowMap = std::map<HWND, std::unique_ptr<SubclassedWindow>, HandleValueLess>;

}  // namespace tarnwick
