#include "engine/watched_message.h"
#include "engine/messages.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(EngineWatchedMessage, OnlyTheExactKeysAndCompositionBoundaries) {
  struct Case {
    uint32_t message;
    uintptr_t wParam;
    bool watched;
  };
  const Case cases[] = {
      {kWmChar, 0x27, true},
      {kWmChar, 0x3E, true},
      {kWmChar, 0x127, false},  // low byte alone is not enough
      {kWmChar, 0x20, false},
      {kWmChar, 9, false},
      {kWmChar, 13, false},
      {kWmKeyDown, 9, true},
      {kWmKeyDown, 13, true},
      {kWmKeyDown, 0x27, false},
      {kWmKeyDown, 0x109, false},
      {kWmImeStartComposition, 0, true},
      {kWmImeEndComposition, 0xFFFFFFFFu, true},
      {0x0101 /* key up */, 9, false},
      {0x010F /* composition */, 0x27, false},
      {0, 0x27, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsWatchedMessage(c.message, c.wParam), c.watched)
        << "message 0x" << std::hex << c.message << " wParam 0x" << c.wParam;
  }
}

}  // namespace
}  // namespace tarnwick
