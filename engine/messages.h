// The window messages and key codes the engine watches, without <windows.h>.
#pragma once

#include <cstdint>

namespace tarnwick {

inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmChar = 0x0102;
inline constexpr uint32_t kWmImeStartComposition = 0x010D;
inline constexpr uint32_t kWmImeEndComposition = 0x010E;

inline constexpr uint8_t kVkTab = 9;
inline constexpr uint8_t kVkReturn = 13;
inline constexpr uint8_t kApostrophe = 0x27;
inline constexpr uint8_t kGreaterThan = 0x3E;

}  // namespace tarnwick
