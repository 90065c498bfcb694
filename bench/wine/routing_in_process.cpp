// The unwatched path in process: the add-in's real RouteMessage and
// code-window handler, called the way the system calls a window procedure,
// beside the floor of an empty window procedure.
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "bench/wine/allocation_counter.h"
#include "bench/wine/bench_editor.h"
#include "bench/wine/measurements.h"
#include "window/subclassed_window.h"

namespace tarnwick::bench {

namespace {

constexpr const wchar_t* kClassName = L"TarnwickBenchEmptyWindow";

// The editor's procedure at its cheapest.
LRESULT CALLBACK EmptyProcedure(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

struct Message {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

constexpr Message kMessages[] = {
    {"WM_CHAR_a", WM_CHAR, 'a', 0x001E0001},
    // The right arrow's key code is the apostrophe's character code.
    {"WM_KEYDOWN_arrow", WM_KEYDOWN, VK_RIGHT, 0x014D0001},
    {"WM_MOUSEMOVE", WM_MOUSEMOVE, 0, MAKELPARAM(120, 40)},
    {"WM_PAINT", WM_PAINT, 0, 0},
};

// Nanoseconds per call of `call` over `calls` calls.
template <class Call>
double NanosecondsPerCall(int calls, Call&& call) {
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < calls; ++i) {
    call();
  }
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 /
         static_cast<double>(frequency.QuadPart) / calls;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

RoutingResult MeasureRoutingInProcess(int rounds, int callsPerRound) {
  RegisterWindowClass(kClassName, DefWindowProcW);
  BenchEditor editor;
  SimulatedObjectModel& model = editor.model;
  const Microsoft::WRL::ComPtr<CComObject<CConnect>> connect(new CComObject<CConnect>());
  connect->vbe = model.Vbe();

  // Four attached windows, in fallback mode: their procedure is the add-in's,
  // the empty one saved behind it (given after creation, which it could not
  // answer).
  HWND windows[4] = {};
  std::vector<std::unique_ptr<SubclassedWindow>> records;
  for (HWND& window : windows) {
    window = CreateTopWindow(kClassName);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EmptyProcedure));
    records.push_back(std::make_unique<SubclassedWindow>(window, OnCodeWindowMessage, connect.Get(),
                                                         RoutingMode::FallbackOnly));
    if (!records.back()->installed) {
      throw std::runtime_error("cannot attach a window");
    }
  }
  HWND window = windows[2];
  SubclassedWindow& record = *records[2];
  // Called through pointers the compiler cannot see through, as the system does.
  WNDPROC volatile floorProcedure = EmptyProcedure;
  WNDPROC volatile entryProcedure = FallbackWndProc;
  LRESULT (*volatile route)(SubclassedWindow&, UINT, WPARAM, LPARAM) = RouteMessage;

  RoutingResult result;
  result.rounds = rounds;
  result.callsPerRound = callsPerRound;
  for (const Message& m : kMessages) {
    // Each round times the three in turn, starting with a different one each
    // round; the figures above the floor are the medians of each round's own
    // differences and ratios, which a loaded machine disturbs less than the
    // floor itself.
    std::vector<double> times[3];
    std::vector<double> routeOver;
    std::vector<double> fallbackOver;
    std::vector<double> routeShare;
    std::vector<double> fallbackShare;
    for (int round = 0; round <= rounds; ++round) {
      double ns[3] = {};
      for (int turn = 0; turn < 3; ++turn) {
        const int which = (round + turn) % 3;
        const int64_t allocations = AllocationCount();
        const int64_t invokes = model.Log().InvokeCount();
        switch (which) {
          case 0:
            ns[0] = NanosecondsPerCall(callsPerRound, [&] {
              CallWindowProcW(floorProcedure, window, m.message, m.wParam, m.lParam);
            });
            continue;  // not the add-in's
          case 1:
            ns[1] = NanosecondsPerCall(callsPerRound,
                                       [&] { route(record, m.message, m.wParam, m.lParam); });
            break;
          default:
            ns[2] = NanosecondsPerCall(
                callsPerRound, [&] { entryProcedure(window, m.message, m.wParam, m.lParam); });
            break;
        }
        if (round > 0) {
          result.allocations += AllocationCount() - allocations;
          result.editorCalls += model.Log().InvokeCount() - invokes;
          result.calls += callsPerRound;
        }
      }
      if (round == 0) {
        continue;  // warm-up
      }
      for (int i = 0; i < 3; ++i) {
        times[i].push_back(ns[i]);
      }
      routeOver.push_back(ns[1] - ns[0]);
      fallbackOver.push_back(ns[2] - ns[0]);
      routeShare.push_back((ns[1] - ns[0]) / ns[0]);
      fallbackShare.push_back((ns[2] - ns[0]) / ns[0]);
    }
    result.rows.push_back({m.name, Median(times[0]), Median(times[1]), Median(times[2]),
                           Median(routeOver), Median(fallbackOver), Median(routeShare),
                           Median(fallbackShare)});
  }

  records.clear();
  for (HWND w : windows) {
    DestroyWindow(w);
  }
  return result;
}

}  // namespace tarnwick::bench
