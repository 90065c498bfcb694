// The add-in's cost for a message it does not watch, against the floor: the
// system's indirect call of a window procedure that returns at once.
//   Floor/<message>     the system calls the editor's procedure directly
//   Subclass/<message>  the system calls the subclass entry point, which routes
//                       the message and passes it on to the editor's procedure
//   Fallback/<message>  the same through the fallback entry point, which first
//                       finds the record by window handle (four windows)
#include <benchmark/benchmark.h>

#include "bench/native/routing_model.h"

namespace tarnwick::bench {
namespace {

struct Message {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

constexpr Message kChar{0x0102, 'a', 0x001E0001};           // WM_CHAR 'a'
constexpr Message kArrow{0x0100, 0x27, 0x014D0001};         // WM_KEYDOWN VK_RIGHT
constexpr Message kMouseMove{0x0200, 0, (40 << 16) | 120};  // WM_MOUSEMOVE
constexpr Message kPaint{0x000F, 0, 0};                     // WM_PAINT

char windows[4];

// The records of four attached windows, all passing on to EmptyProcedure.
struct Attached {
  ModelRecord records[4];
  Attached() {
    for (int i = 0; i < 4; ++i) {
      records[i].hwnd = &windows[i];
      records[i].handler = ModelCodeWindowHandler;
      records[i].installed = 1;
      records[i].previousWndProc = EmptyProcedure;
      ModelFallbackMap[&windows[i]] = &records[i];
    }
    ModelSubclassRecord = &records[2];
  }
};

void Send(benchmark::State& state, ModelProcedure procedure, const Message& m) {
  static Attached attached;
  void* window = &windows[2];
  for (auto _ : state) {
    // The system does not know the procedure in advance.
    benchmark::DoNotOptimize(procedure);
    benchmark::DoNotOptimize(window);
    intptr_t result = procedure(window, m.message, m.wParam, m.lParam);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations());
}

void Floor(benchmark::State& state, Message m) {
  Send(state, EmptyProcedure, m);
}
void Subclass(benchmark::State& state, Message m) {
  Send(state, ModelSubclassProc, m);
}
void Fallback(benchmark::State& state, Message m) {
  Send(state, ModelFallbackWndProc, m);
}

#define TARNWICK_UNWATCHED(kind)                     \
  BENCHMARK_CAPTURE(kind, WM_CHAR_a, kChar);         \
  BENCHMARK_CAPTURE(kind, WM_KEYDOWN_arrow, kArrow); \
  BENCHMARK_CAPTURE(kind, WM_MOUSEMOVE, kMouseMove); \
  BENCHMARK_CAPTURE(kind, WM_PAINT, kPaint)

TARNWICK_UNWATCHED(Floor);
TARNWICK_UNWATCHED(Subclass);
TARNWICK_UNWATCHED(Fallback);

}  // namespace
}  // namespace tarnwick::bench
