// The unwatched path under Wine, side by side with a baseline window.
#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <stdexcept>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "bench/wine/allocation_counter.h"
#include "bench/wine/bench_editor.h"
#include "bench/wine/measurements.h"
#include "simulator/com/object_model.h"
#include "window/subclassed_window.h"

namespace tarnwick::bench {

namespace {

constexpr const wchar_t* kClassName = L"TarnwickBenchPlainWindow";
int64_t editorReceived = 0;
WNDPROC baselineSaved = nullptr;

// The editor's procedure: takes the stream's messages and returns.
LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_MOUSEMOVE:
    case WM_PAINT:
      ++editorReceived;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Window A's replaced procedure: nothing but the call of the one it replaced.
LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(baselineSaved, window, message, wParam, lParam);
}

// The stream: a typed letter, an arrow key, a mouse move and a paint, repeated.
void SendStream(HWND window, int messages) {
  for (int i = 0; i < messages; i += 4) {
    SendMessageW(window, WM_CHAR, 'a', 0x001E0001);
    SendMessageW(window, WM_KEYDOWN, VK_RIGHT, 0x014D0001);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(120, 40));
    SendMessageW(window, WM_PAINT, 0, 0);
  }
}

double NanosecondsPerMessage(HWND window, int messages) {
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  SendStream(window, messages);
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 /
         static_cast<double>(frequency.QuadPart) / messages;
}

}  // namespace

UnwatchedResult MeasureUnwatched(int rounds, int messagesPerRound) {
  RegisterWindowClass(kClassName, EditorProc);
  HWND a = CreateTopWindow(kClassName);
  HWND b = CreateTopWindow(kClassName);
  baselineSaved = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(a, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BareProc)));

  Module module({L"Option Explicit"});
  Selection selection;
  SimulatedObjectModel model(module, selection);
  auto* connect = new CComObject<CConnect>();
  connect->AddRef();
  connect->vbe = model.Vbe();
  auto record = std::make_unique<SubclassedWindow>(b, OnCodeWindowMessage, connect,
                                                   RoutingMode::FallbackOnly);

  UnwatchedResult result;
  result.rounds = rounds;
  result.messagesPerRound = messagesPerRound;
  if (record->installed && record->previousWndProc) {
    editorReceived = 0;
    SendStream(b, 4);
    result.bReachedEditor = editorReceived == 4;

    NanosecondsPerMessage(a, messagesPerRound);  // warm-up
    NanosecondsPerMessage(b, messagesPerRound);
    for (int round = 0; round < rounds; ++round) {
      // A first in even rounds, B first in odd ones.
      for (int turn = 0; turn < 2; ++turn) {
        if ((turn == 0) == (round % 2 == 0)) {
          result.aNanoseconds.push_back(NanosecondsPerMessage(a, messagesPerRound));
          continue;
        }
        model.Log().Clear();
        const int64_t allocations = AllocationCount();
        const int64_t invokes = model.Log().InvokeCount();
        const double nanoseconds = NanosecondsPerMessage(b, messagesPerRound);
        result.bAllocations += AllocationCount() - allocations;
        result.bEditorCalls += model.Log().InvokeCount() - invokes;
        result.bNanoseconds.push_back(nanoseconds);
        result.bNameLookups += model.Log().NameLookups();
        result.bMessages += messagesPerRound;
      }
    }
  }

  record.reset();
  connect->Release();
  SetWindowLongPtrW(a, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baselineSaved));
  DestroyWindow(a);
  DestroyWindow(b);
  return result;
}

}  // namespace tarnwick::bench
