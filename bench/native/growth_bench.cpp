// How the cost of a watched keystroke's searches grows with what they walk
// over, at 10, 100, 1,000 and 10,000 lines:
//   Growth/Tab/N               Tab in a comment block of N lines (the block is
//                              walked up to its top and down to its end)
//   Growth/DeclarationSearch/N the declaration below a bare marker with N blank
//                              lines between them
//   Growth/PreviousStatement/N the statement above a marker, continued over N
//                              lines
// Each reads through the keystroke's read cache, as a keystroke does: Tab as a
// whole keystroke, the two searches with a fresh cache per iteration.
// None of them changes the module, so nothing is put back between iterations.
// Counters: lines (N) and pane_calls per iteration; the report divides both
// the time and the calls by N.
#include <benchmark/benchmark.h>

#include "bench/scenarios.h"
#include "engine/comment_engine.h"
#include "engine/keystroke_read_cache.h"
#include "engine/messages.h"
#include "simulator/simulated_code_window.h"

namespace tarnwick::bench {
namespace {

void SetCounters(benchmark::State& state, int64_t lines, int64_t paneCalls) {
  using benchmark::Counter;
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["pane_calls"] = Counter(static_cast<double>(paneCalls), Counter::kAvgIterations);
}

void Tab(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  Selection caret;
  SimulatedCodeWindow window(TabBlockModule(n, caret));
  Keystroke tab;
  tab.kind = Keystroke::Kind::kTab;
  int64_t paneCalls = 0;
  for (auto _ : state) {
    window.Select(caret);
    const KeystrokeReport report = window.Press(tab);
    if (!report.consumed) {
      state.SkipWithError("Tab was not taken in the block");
      break;
    }
    paneCalls += report.paneCalls;
  }
  SetCounters(state, n, paneCalls);
}

void DeclarationSearch(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  int32_t marker = 0;
  SimulatedCodeWindow window(BlankGapModule(n, marker));
  std::wstring declaration;
  int64_t paneCalls = 0;
  for (auto _ : state) {
    window.Pane().ResetCounts();
    KeystrokeReadCache cache(window.Pane());
    CommentEngine engine(&window, &cache);
    if (!engine.ReadDeclaration(marker, L'\'', declaration)) {
      state.SkipWithError("no declaration found below the marker");
      break;
    }
    paneCalls += window.Pane().TotalCalls();
  }
  SetCounters(state, n, paneCalls);
}

void PreviousStatement(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  int32_t marker = 0;
  SimulatedCodeWindow window(ContinuationChainModule(n, marker));
  std::wstring statement;
  int32_t found = 0;
  int64_t paneCalls = 0;
  for (auto _ : state) {
    window.Pane().ResetCounts();
    KeystrokeReadCache cache(window.Pane());
    CommentEngine engine(&window, &cache);
    engine.ReadPreviousStatement(marker, statement, &found);
    if (found != 2) {
      state.SkipWithError("the chain's first line was not found");
      break;
    }
    paneCalls += window.Pane().TotalCalls();
  }
  SetCounters(state, n, paneCalls);
}

BENCHMARK(Tab)->Name("Growth/Tab")->RangeMultiplier(10)->Range(10, 10000);
BENCHMARK(DeclarationSearch)
    ->Name("Growth/DeclarationSearch")
    ->RangeMultiplier(10)
    ->Range(10, 10000);
BENCHMARK(PreviousStatement)
    ->Name("Growth/PreviousStatement")
    ->RangeMultiplier(10)
    ->Range(10, 10000);

}  // namespace
}  // namespace tarnwick::bench
