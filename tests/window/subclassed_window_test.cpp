#include "window/subclassed_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/window/freed_memory_guard.h"
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
    windowBody = nullptr;
    contractViolations = 0;
  }
  void TearDown() override {
    handlerBody = nullptr;
    windowBody = nullptr;
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

// The record is retired from inside its own message: by a handler that then
// throws, by a nested message's handler, and by the window's own procedure
// while the message is passed on. The message still reaches the window once,
// and the record is freed when the outermost message returns, with nothing
// written into it after.
TEST_P(RoutingTest, ARecordRetiredWhileRoutingIsFreedWhenItsMessageReturns) {
  const LONG_PTR original = WindowProcedureOf(window.get());
  std::unique_ptr<SubclassedWindow> owned;
  auto retire = [&owned] { RetireWindow(std::move(owned)); };
  struct Case {
    const char* what;
    UINT message;
    WPARAM wParam;
    HandlerBody handler;
    std::function<void(HWND, UINT)> inWindow;
    std::vector<LoggedMessage> expected;
  };
  const Case cases[] = {
      {"by a handler that then throws",
       WM_CHAR,
       L'\'',
       [&](SubclassedWindow&, bool*, LRESULT*) {
         retire();
         throw std::runtime_error("after retiring");
       },
       nullptr,
       {{Where::Handler, WM_CHAR, L'\'', 0}, {Where::Window, WM_CHAR, L'\'', 0}}},
      {"by a nested message's handler",
       WM_KEYDOWN,
       VK_TAB,
       [&](SubclassedWindow& r, bool* consumed, LRESULT*) {
         if (r.message == WM_KEYDOWN) {
           SendMessageW(r.hwnd, WM_CHAR, L' ', 0);
           r.CallOriginal();
           *consumed = true;
         } else {
           retire();
         }
       },
       nullptr,
       {{Where::Handler, WM_KEYDOWN, VK_TAB, 0},
        {Where::Handler, WM_CHAR, L' ', 0},
        {Where::Window, WM_CHAR, L' ', 0},
        {Where::Window, WM_KEYDOWN, VK_TAB, 0}}},
      {"by the window while passed on",
       kPing,
       7,
       nullptr,
       [&](HWND, UINT message) {
         if (message == kPing) {
           retire();
         }
       },
       {{Where::Handler, kPing, 7, 0}, {Where::Window, kPing, 7, 0}}},
  };
  for (const Case& c : cases) {
    owned = std::make_unique<SubclassedWindow>(window.get(), RecordingHandler, nullptr, GetParam());
    handlerBody = c.handler;
    windowBody = c.inWindow;
    {
      FreedMemoryGuard guard;
      SendMessageW(window.get(), c.message, c.wParam, 0);
      EXPECT_GT(guard.Kept(), 0u) << c.what;
      EXPECT_EQ(guard.Touched(), 0u) << c.what << ": the freed record was written";
    }
    handlerBody = nullptr;
    windowBody = nullptr;
    EXPECT_EQ(owned, nullptr) << c.what;
    EXPECT_EQ(RetiredWindowCount(), 0u) << c.what;
    EXPECT_EQ(WindowProcedureOf(window.get()), original) << c.what;
    std::vector<LoggedMessage> actual;
    actual.swap(MessageLog());
    EXPECT_EQ(actual, c.expected) << c.what;
  }
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

// A window that wears FallbackWndProc without a record goes to its class
// procedure, which for an ANSI class is a handle that only CallWindowProcW can
// call.
TEST_F(FallbackTest, UnknownWindowGoesToItsClassProcedure) {
  static const ATOM ansiClass = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingWndProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = "TarnwickAnsiRecordingWindow";
    return RegisterClassA(&windowClass);
  }();
  ASSERT_NE(ansiClass, 0);
  HWND ansi = CreateWindowExA(0, "TarnwickAnsiRecordingWindow", "ansi", WS_OVERLAPPEDWINDOW, 0, 0,
                              10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(ansi, nullptr);
  for (HWND target : {window.get(), ansi}) {
    LONG_PTR original =
        SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FallbackWndProc));
    EXPECT_EQ(SendMessageW(target, kPing, 4, 5), WindowResult(kPing, 4, 5));
    ExpectSequence({{Where::Window, kPing, 4, 5}}, "class procedure, no handler");
    SetWindowLongPtrW(target, GWLP_WNDPROC, original);
  }
  DestroyWindow(ansi);
}

// Someone replaces the window procedure after us, then the add-in's routing is
// removed and its DLL released: their chain still reaches the window, and the
// DLL that holds the FallbackWndProc they call stays loaded.
WNDPROC laterNext = nullptr;
int laterCalls = 0;
LRESULT CALLBACK LaterSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  laterCalls += message == kPing;
  return CallWindowProcW(laterNext, window, message, wParam, lParam);
}

std::wstring ProbePath(const std::string& unixPath) {
  std::wstring windowsPath = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
  std::replace(windowsPath.begin(), windowsPath.end(), L'/', L'\\');
  return windowsPath;
}

TEST_F(FallbackTest, ALaterSubclasserKeepsItsChainAndTheModuleStaysLoaded) {
  const std::wstring path = ProbePath(TARNWICK_FALLBACK_PROBE);
  HMODULE probe = LoadLibraryW(path.c_str());
  ASSERT_NE(probe, nullptr) << GetLastError();
  auto attach = reinterpret_cast<BOOL (*)(HWND)>(
      reinterpret_cast<void*>(GetProcAddress(probe, "ProbeAttach")));
  auto retire =
      reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(probe, "ProbeRetire")));
  ASSERT_TRUE(attach && retire);
  ASSERT_TRUE(attach(window.get()));
  laterNext = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterSubclassProc)));

  retire();
  EXPECT_EQ(WindowProcedureOf(window.get()), reinterpret_cast<LONG_PTR>(LaterSubclassProc))
      << "the later procedure was cut out of the chain";
  FreeLibrary(probe);
  ASSERT_NE(GetModuleHandleW(path.c_str()), nullptr) << "unloaded while its procedure is in use";

  laterCalls = 0;
  EXPECT_EQ(SendMessageW(window.get(), kPing, 3, 4), WindowResult(kPing, 3, 4));
  EXPECT_EQ(laterCalls, 1);
  ExpectSequence({{Where::Window, kPing, 3, 4}}, "later procedure, pass-through, window");
}

// The window's last message retires its record, as the add-in's handler does,
// while a later subclasser stands in front of us. No message can follow it, so
// nothing is left behind: no pass-through entry that a new record for the same
// handle value would take for routing, and no pin that keeps the DLL loaded.
std::unique_ptr<SubclassedWindow> destroyedRecord;
void RetireAtDestroy(SubclassedWindow& route, bool* consumed, LRESULT* result) {
  if (route.message == WM_NCDESTROY) {
    *result = route.CallOriginal();
    *consumed = true;
    RetireWindow(std::move(destroyedRecord));
  }
}

TEST_F(FallbackTest, RetiringAtTheLastMessageLeavesNothingBehind) {
  std::unique_ptr<SubclassedWindow>& record = destroyedRecord;
  record = std::make_unique<SubclassedWindow>(window.get(), RetireAtDestroy, nullptr,
                                              RoutingMode::FallbackOnly);
  laterNext = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterSubclassProc)));
  const HWND handle = window.get();
  window.Destroy();
  EXPECT_EQ(record, nullptr);
  SubclassedWindow reused(handle, RecordingHandler, nullptr, RoutingMode::FallbackOnly);
  EXPECT_EQ(reused.installed, FALSE) << "marked as routed through a stale pass-through entry";

  const std::wstring path = ProbePath(TARNWICK_FALLBACK_DESTROY_PROBE);
  HMODULE probe = LoadLibraryW(path.c_str());
  ASSERT_NE(probe, nullptr) << GetLastError();
  auto attach = reinterpret_cast<BOOL (*)(HWND)>(
      reinterpret_cast<void*>(GetProcAddress(probe, "ProbeAttach")));
  ASSERT_TRUE(attach);
  TestWindow other;
  ASSERT_TRUE(attach(other.get()));
  laterNext = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(other.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterSubclassProc)));
  other.Destroy();
  FreeLibrary(probe);
  EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "pinned by a window that is gone";
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
