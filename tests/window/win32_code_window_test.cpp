#include "window/win32_code_window.h"

#include <gtest/gtest.h>

#include "tests/window/message_sequence.h"

namespace tarnwick::test {
namespace {

TEST(Win32CodeWindowTest, TypesASpaceThroughTheRouting) {
  MessageLog().clear();
  handlerBody = nullptr;
  TestWindow window;
  SubclassedWindow record(window.get(), RecordingHandler, nullptr);
  Win32CodeWindow seam(window.get());

  seam.TypeSpace();
  ExpectSequence({{Where::Handler, WM_CHAR, L' ', 0}, {Where::Window, WM_CHAR, L' ', 0}},
                 "typed space");
}

TEST(Win32CodeWindowTest, IsLiveUntilDestroyed) {
  TestWindow window;
  Win32CodeWindow seam(window.get());
  EXPECT_TRUE(seam.IsLive());
  window.Destroy();
  EXPECT_FALSE(seam.IsLive());
}

}  // namespace
}  // namespace tarnwick::test
