#include "tests/window/message_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace tarnwick::test {

HandlerBody handlerBody;
std::function<void(HWND, UINT)> windowBody;
int contractViolations = 0;

bool IsRecorded(UINT message) {
  return message == WM_KEYDOWN || message == WM_CHAR || message >= WM_APP;
}

LRESULT WindowResult(UINT message, WPARAM wParam, LPARAM lParam) {
  return static_cast<LRESULT>(message) * 0x10000 + static_cast<LRESULT>(wParam) * 3 + lParam + 1;
}

std::vector<LoggedMessage>& MessageLog() {
  static std::vector<LoggedMessage> log;
  return log;
}

namespace {

std::string Describe(const LoggedMessage& m) {
  char text[96];
  std::snprintf(text, sizeof text, "%-7s msg %04x wp %llx lp %llx",
                m.where == Where::Handler ? "handler" : "window", m.message,
                static_cast<unsigned long long>(m.wParam),
                static_cast<unsigned long long>(m.lParam));
  return text;
}

}  // namespace

void ExpectSequence(std::initializer_list<LoggedMessage> expected, const char* context) {
  std::vector<LoggedMessage> actual;
  actual.swap(MessageLog());
  if (std::equal(expected.begin(), expected.end(), actual.begin(), actual.end())) {
    return;
  }
  std::string table = "message sequence mismatch: ";
  table += context;
  table += "\n  #  expected                                  | actual\n";
  size_t rows = std::max(expected.size(), actual.size());
  for (size_t i = 0; i < rows; ++i) {
    std::string left = i < expected.size() ? Describe(expected.begin()[i]) : "-";
    std::string right = i < actual.size() ? Describe(actual[i]) : "-";
    bool same = i < expected.size() && i < actual.size() && expected.begin()[i] == actual[i];
    char line[256];
    std::snprintf(line, sizeof line, "%c%2zu  %-41s | %s\n", same ? ' ' : '*', i, left.c_str(),
                  right.c_str());
    table += line;
  }
  ADD_FAILURE() << table;
}

void RecordingHandler(SubclassedWindow& record, bool* consumed, LRESULT* result) {
  if (!IsRecorded(record.message)) {
    return;
  }
  MessageLog().push_back({Where::Handler, record.message, record.wParam, record.lParam});
  if (*consumed || *result != 0) {
    ++contractViolations;
  }
  if (handlerBody) {
    handlerBody(record, consumed, result);
  }
}

LRESULT CALLBACK RecordingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsRecorded(message)) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  MessageLog().push_back({Where::Window, message, wParam, lParam});
  if (windowBody) {
    windowBody(window, message);
  }
  return WindowResult(message, wParam, lParam);
}

namespace {

const wchar_t* RecordingClass() {
  static const wchar_t* name = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordingWndProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TarnwickRecordingWindow";
    if (!RegisterClassW(&windowClass)) {
      ADD_FAILURE() << "RegisterClassW failed: " << GetLastError();
    }
    return windowClass.lpszClassName;
  }();
  return name;
}

}  // namespace

TestWindow::TestWindow()
    : hwnd(CreateWindowExW(0, RecordingClass(), L"test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {
  if (!hwnd) {
    ADD_FAILURE() << "CreateWindowExW failed: " << GetLastError();
  }
}

TestWindow::~TestWindow() {
  Destroy();
}

void TestWindow::Destroy() {
  if (hwnd && IsWindow(hwnd)) {
    DestroyWindow(hwnd);
  }
}

}  // namespace tarnwick::test
