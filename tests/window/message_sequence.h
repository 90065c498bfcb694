// Message-sequence recording for window tests: what reaches the routing
// handler and the window's own procedure, compared with an expected table.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "window/subclassed_window.h"

namespace tarnwick::test {

enum class Where { Handler, Window };

struct LoggedMessage {
  Where where;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;

  bool operator==(const LoggedMessage&) const = default;
};

// Messages in the test range: WM_KEYDOWN, WM_CHAR and WM_APP and above. The
// rest (creation, activation, ...) is the system's business and not recorded.
bool IsRecorded(UINT message);

// What the test window's procedure answers to a recorded message, so that a
// forwarded result can be told from any other.
LRESULT WindowResult(UINT message, WPARAM wParam, LPARAM lParam);

// The recording so far, in order of arrival.
std::vector<LoggedMessage>& MessageLog();

// Compares the recording with `expected` (a failure prints both tables) and
// starts a new recording.
void ExpectSequence(std::initializer_list<LoggedMessage> expected, const char* context);

// What the routing handler does after recording a message; empty: nothing.
using HandlerBody = std::function<void(SubclassedWindow&, bool*, LRESULT*)>;
extern HandlerBody handlerBody;

// The MessageHandler of every test record: records the message, checks the
// handler's contract (consumed false, result 0) and runs handlerBody.
void RecordingHandler(SubclassedWindow& record, bool* consumed, LRESULT* result);

// What the window's own procedure does after recording a message; empty:
// nothing. It stands in for the editor, which may take the routing away.
extern std::function<void(HWND window, UINT message)> windowBody;

// Number of handler calls that broke the contract on entry.
extern int contractViolations;

// A top-level window of the recording class, destroyed with its owner.
class TestWindow {
 public:
  TestWindow();
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return hwnd; }
  void Destroy();

 private:
  HWND hwnd;
};

// The recording class's own window procedure.
LRESULT CALLBACK RecordingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarnwick::test
