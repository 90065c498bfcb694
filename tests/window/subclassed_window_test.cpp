#include "window/subclassed_window.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/window/message_sequence.h"

namespace tarnwick::test {
namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kOther = WM_APP + 2;

LONG_PTR WindowProcedureOf(HWND window) {
  return GetWindowLongPtrW(window, GWLP_WNDPROC);
}

class RoutingTest : public ::testing::TestWithParam<RoutingMode> {
 protected:
  void SetUp() override {
    MessageLog().clear();
    handlerBody = nullptr;
    contractViolations = 0;
  }
  void TearDown() override {
    handlerBody = nullptr;
    EXPECT_EQ(contractViolations, 0) << "handler entered with consumed set or a result";
    EXPECT_TRUE(FallbackWindowMap.empty()) << "a freed record is still in the fallback map";
  }

  bool Fallback() const { return GetParam() == RoutingMode::FallbackOnly; }

  TestWindow window;
};

TEST_P(RoutingTest, InstallsInTheRequestedMode) {
  DWORD before = GetTickCount();
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());
  DWORD after = GetTickCount();

  EXPECT_NE(record.installed, FALSE);
  EXPECT_EQ(record.hwnd, window.get());
  EXPECT_GE(record.subclassId, before);
  EXPECT_LE(record.subclassId, after);
  if (Fallback()) {
    EXPECT_EQ(record.installed, 1);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(record.previousWndProc),
              reinterpret_cast<LONG_PTR>(RecordingWndProc));
    EXPECT_EQ(WindowProcedureOf(window.get()), reinterpret_cast<LONG_PTR>(FallbackWndProc));
    ASSERT_EQ(FallbackWindowMap.count(window.get()), 1u);
    EXPECT_EQ(FallbackWindowMap[window.get()], &record);
  } else {
    EXPECT_EQ(record.previousWndProc, nullptr);
    EXPECT_EQ(FallbackWindowMap.count(window.get()), 0u);
  }
}

TEST_P(RoutingTest, UnwantedMessagePassesThroughUnchanged) {
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());

  LRESULT result = SendMessageW(window.get(), kPing, 0x1234, -7);
  EXPECT_EQ(result, WindowResult(kPing, 0x1234, -7));
  result = SendMessageW(window.get(), WM_CHAR, L'\'', 0x10001);
  EXPECT_EQ(result, WindowResult(WM_CHAR, L'\'', 0x10001));

  ExpectSequence({{Where::Handler, kPing, 0x1234, -7},
                  {Where::Window, kPing, 0x1234, -7},
                  {Where::Handler, WM_CHAR, L'\'', 0x10001},
                  {Where::Window, WM_CHAR, L'\'', 0x10001}},
                 "pass-through");
  EXPECT_EQ(record.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(record.wParam, static_cast<WPARAM>(L'\''));
  EXPECT_EQ(record.lParam, 0x10001);
}

TEST_P(RoutingTest, ConsumedMessageNeverReachesTheWindow) {
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());
  handlerBody = [](SubclassedWindow& r, bool* consumed, LRESULT* result) {
    if (r.message == WM_CHAR) {
      *consumed = true;  // the editor's handler leaves the result at 0
    } else if (r.message == kOther) {
      *consumed = true;
      *result = 42;
    }
  };

  EXPECT_EQ(SendMessageW(window.get(), WM_CHAR, L'>', 1), 0);
  EXPECT_EQ(SendMessageW(window.get(), kOther, 5, 6), 42);
  EXPECT_EQ(SendMessageW(window.get(), kPing, 1, 2), WindowResult(kPing, 1, 2));

  ExpectSequence({{Where::Handler, WM_CHAR, L'>', 1},
                  {Where::Handler, kOther, 5, 6},
                  {Where::Handler, kPing, 1, 2},
                  {Where::Window, kPing, 1, 2}},
                 "consumed messages stop at the handler");
}

TEST_P(RoutingTest, HandlerPassesOnFirstThenConsumes) {
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());
  LRESULT forwarded = 0;
  handlerBody = [&forwarded](SubclassedWindow& r, bool* consumed, LRESULT*) {
    forwarded = r.CallOriginal();
    *consumed = true;
  };

  EXPECT_EQ(SendMessageW(window.get(), WM_CHAR, L'\'', 3), 0);
  EXPECT_EQ(forwarded, WindowResult(WM_CHAR, L'\'', 3));
  ExpectSequence({{Where::Handler, WM_CHAR, L'\'', 3}, {Where::Window, WM_CHAR, L'\'', 3}},
                 "the window sees the key once, from CallOriginal");
}

// A handler that types a space into its own window: the space is routed through
// the same record, the fields are left holding it, and the key that was being
// handled still reaches the window itself, once.
TEST_P(RoutingTest, NestedSendFromTheHandler) {
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());
  handlerBody = [](SubclassedWindow& r, bool*, LRESULT*) {
    if (r.message == WM_KEYDOWN) {
      SendMessageW(r.hwnd, WM_CHAR, L' ', 0);
    }
  };

  EXPECT_EQ(SendMessageW(window.get(), WM_KEYDOWN, VK_TAB, 0x0F0001),
            WindowResult(WM_KEYDOWN, VK_TAB, 0x0F0001));
  ExpectSequence({{Where::Handler, WM_KEYDOWN, VK_TAB, 0x0F0001},
                  {Where::Handler, WM_CHAR, L' ', 0},
                  {Where::Window, WM_CHAR, L' ', 0},
                  {Where::Window, WM_KEYDOWN, VK_TAB, 0x0F0001}},
                 "nested space, outer key left alone");
  EXPECT_EQ(record.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(record.wParam, static_cast<WPARAM>(L' '));
  EXPECT_EQ(record.lParam, 0);
}

TEST_P(RoutingTest, CallOriginalAfterANestedSendPassesOnTheOuterMessage) {
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());
  handlerBody = [](SubclassedWindow& r, bool* consumed, LRESULT*) {
    if (r.message == WM_KEYDOWN) {
      SendMessageW(r.hwnd, WM_CHAR, L' ', 0);
      r.CallOriginal();
      *consumed = true;
    }
  };

  EXPECT_EQ(SendMessageW(window.get(), WM_KEYDOWN, VK_RETURN, 0x1C0001), 0);
  ExpectSequence({{Where::Handler, WM_KEYDOWN, VK_RETURN, 0x1C0001},
                  {Where::Handler, WM_CHAR, L' ', 0},
                  {Where::Window, WM_CHAR, L' ', 0},
                  {Where::Window, WM_KEYDOWN, VK_RETURN, 0x1C0001}},
                 "CallOriginal forwards the key being handled");
}

TEST_P(RoutingTest, HandlerFailureStillDeliversTheMessageOnce) {
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());

  handlerBody = [](SubclassedWindow&, bool*, LRESULT*) { throw std::runtime_error("before"); };
  EXPECT_EQ(SendMessageW(window.get(), WM_CHAR, L'\'', 1), WindowResult(WM_CHAR, L'\'', 1));
  ExpectSequence({{Where::Handler, WM_CHAR, L'\'', 1}, {Where::Window, WM_CHAR, L'\'', 1}},
                 "failure before passing on: the routing layer passes it on");

  handlerBody = [](SubclassedWindow& r, bool*, LRESULT*) {
    r.CallOriginal();
    throw std::runtime_error("after");
  };
  EXPECT_EQ(SendMessageW(window.get(), WM_CHAR, L'>', 2), 0);
  ExpectSequence({{Where::Handler, WM_CHAR, L'>', 2}, {Where::Window, WM_CHAR, L'>', 2}},
                 "failure after passing on: not passed on again");

  // A failure inside a nested message is the nested message's own business.
  handlerBody = [](SubclassedWindow& r, bool*, LRESULT*) {
    if (r.message == WM_KEYDOWN) {
      r.CallOriginal();
      SendMessageW(r.hwnd, WM_CHAR, L' ', 0);
      throw std::runtime_error("outer");
    }
    throw std::runtime_error("inner");
  };
  SendMessageW(window.get(), WM_KEYDOWN, VK_TAB, 0);
  ExpectSequence({{Where::Handler, WM_KEYDOWN, VK_TAB, 0},
                  {Where::Window, WM_KEYDOWN, VK_TAB, 0},
                  {Where::Handler, WM_CHAR, L' ', 0},
                  {Where::Window, WM_CHAR, L' ', 0}},
                 "nested failures");
}

TEST_P(RoutingTest, RemoveRoutingRestoresTheWindowProcedure) {
  LONG_PTR original = WindowProcedureOf(window.get());
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());

  record.RemoveRouting();
  EXPECT_EQ(record.installed, FALSE);
  EXPECT_EQ(record.previousWndProc, nullptr);
  EXPECT_EQ(WindowProcedureOf(window.get()), original);
  EXPECT_EQ(FallbackWindowMap.count(window.get()), 0u);

  SendMessageW(window.get(), kPing, 9, 9);
  ExpectSequence({{Where::Window, kPing, 9, 9}}, "after RemoveRouting");

  record.RemoveRouting();  // a not-routed record is left alone
  EXPECT_EQ(WindowProcedureOf(window.get()), original);
}

TEST_P(RoutingTest, DestroyingTheRecordRemovesItsRouting) {
  LONG_PTR original = WindowProcedureOf(window.get());
  { SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam()); }
  EXPECT_EQ(WindowProcedureOf(window.get()), original);
  SendMessageW(window.get(), kPing, 1, 1);
  ExpectSequence({{Where::Window, kPing, 1, 1}}, "after the record is gone");
}

TEST_P(RoutingTest, WindowDestroyedWhileRouted) {
  SubclassedWindow record(window.get(), RecordingHandler, nullptr, GetParam());
  window.Destroy();
  record.RemoveRouting();  // the calls on the dead handle fail without effect
  EXPECT_EQ(record.installed, FALSE);
  EXPECT_EQ(FallbackWindowMap.count(record.hwnd), 0u);
}

TEST_P(RoutingTest, TwoWindowsAreRoutedIndependently) {
  TestWindow second;
  SubclassedWindow first(window.get(), RecordingHandler, nullptr, GetParam());
  SubclassedWindow other(second.get(), RecordingHandler, nullptr, GetParam());
  ASSERT_NE(other.installed, FALSE);

  SendMessageW(second.get(), kPing, 2, 0);
  ExpectSequence({{Where::Handler, kPing, 2, 0}, {Where::Window, kPing, 2, 0}}, "second window");
  EXPECT_EQ(other.message, kPing);
  EXPECT_EQ(first.message, 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, RoutingTest,
                         ::testing::Values(RoutingMode::SubclassFirst, RoutingMode::FallbackOnly),
                         [](const ::testing::TestParamInfo<RoutingMode>& info) {
                           return info.param == RoutingMode::FallbackOnly ? "Fallback" : "Subclass";
                         });

class FallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MessageLog().clear();
    handlerBody = nullptr;
  }
  void TearDown() override { EXPECT_TRUE(FallbackWindowMap.empty()); }
  TestWindow window;
};

TEST_F(FallbackTest, SecondRecordForTheSameHandleStaysNotRouted) {
  SubclassedWindow first(window.get(), RecordingHandler, nullptr, RoutingMode::FallbackOnly);
  {
    SubclassedWindow second(window.get(), RecordingHandler, nullptr, RoutingMode::FallbackOnly);
    EXPECT_EQ(second.installed, FALSE);
    EXPECT_EQ(second.previousWndProc, nullptr);
    EXPECT_EQ(FallbackWindowMap[window.get()], &first);

    SendMessageW(window.get(), kPing, 1, 2);
    ExpectSequence({{Where::Handler, kPing, 1, 2}, {Where::Window, kPing, 1, 2}},
                   "routed once, through the first record");
    EXPECT_EQ(first.message, kPing);
    EXPECT_EQ(second.message, 0u);
  }
  // Freeing the second record leaves the first one's routing in place.
  EXPECT_EQ(FallbackWindowMap[window.get()], &first);
  EXPECT_EQ(WindowProcedureOf(window.get()), reinterpret_cast<LONG_PTR>(FallbackWndProc));
}

TEST_F(FallbackTest, UnknownWindowGoesToItsClassProcedure) {
  // A window that wears FallbackWndProc without a record.
  LONG_PTR original =
      SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FallbackWndProc));
  EXPECT_EQ(SendMessageW(window.get(), kPing, 4, 5), WindowResult(kPing, 4, 5));
  ExpectSequence({{Where::Window, kPing, 4, 5}}, "class procedure, no handler");
  SetWindowLongPtrW(window.get(), GWLP_WNDPROC, original);
}

// Replacing the procedure of a dead window fails: the record stays not routed
// and the handle is not left in the map to block a later attempt.
TEST_F(FallbackTest, UnroutableHandleLeavesNoEntry) {
  HWND dead = window.get();
  window.Destroy();
  SubclassedWindow record(dead, RecordingHandler, nullptr, RoutingMode::FallbackOnly);
  EXPECT_EQ(record.installed, FALSE);
  EXPECT_EQ(record.previousWndProc, nullptr);
  EXPECT_TRUE(FallbackWindowMap.empty());
}

}  // namespace
}  // namespace tarnwick::test
