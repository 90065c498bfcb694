#include "bench/wine/bench_editor.h"

#include <stdexcept>

#include "bench/wine/allocation_counter.h"

namespace tarnwick::bench {

namespace {

constexpr const wchar_t* kClassName = L"TarnwickBenchCodeWindow";

int64_t procedureTicks = 0;
int procedureDepth = 0;

// The code windows' own procedure, timed (a nested call is counted once, by
// the outermost), its allocations counted as the editor's.
LRESULT CALLBACK TimedCodeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const EditorScope inEditor;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  ++procedureDepth;
  const LRESULT result = StandInCodeWindowProc(window, message, wParam, lParam);
  QueryPerformanceCounter(&end);
  if (--procedureDepth == 0) {
    procedureTicks += end.QuadPart - start.QuadPart;
  }
  return result;
}

}  // namespace

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

HWND CreateTopWindow(const wchar_t* className) {
  HWND window = CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    throw std::runtime_error("cannot create a window");
  }
  return window;
}

BenchEditor::BenchEditor() {
  RegisterWindowClass(kClassName, TimedCodeWindowProc);
}

BenchEditor::~BenchEditor() = default;

HWND BenchEditor::CreateCodeWindow() {
  return CreateTopWindow(kClassName);
}

void BenchEditor::Press(HWND window, const Keystroke& key) {
  standIn.Press(window, key);
}

int64_t BenchEditor::EditorTicks() {
  return model.Log().InvokeTicks() + procedureTicks;
}

}  // namespace tarnwick::bench
