#include "bench/wine/bench_editor.h"

#include <stdexcept>

namespace tarnwick::bench {

namespace {

constexpr const wchar_t* kClassName = L"TarnwickBenchCodeWindow";

}  // namespace

BenchEditor::BenchEditor() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = StandInCodeWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
}

BenchEditor::~BenchEditor() = default;

HWND BenchEditor::CreateCodeWindow() {
  HWND window = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    throw std::runtime_error("cannot create a code window");
  }
  return window;
}

void BenchEditor::Press(HWND window, const Keystroke& key) {
  standIn.Press(window, key);
}

}  // namespace tarnwick::bench
