// Watched keystrokes in a module of 10,000 lines, through the simulated code
// window: the engine's filter and dispatcher over the in-memory pane, and the
// simulated editor's own handling of the key (typing it, splitting the line).
// Between two timed keystrokes the module and caret are put back with the
// timer stopped, and the module's procedure table is rebuilt there too, so
// that a keystroke pays only for what it changes itself.
//
// Counters: editor_calls, the pane operations the engine called per keystroke;
// pane_calls, the same with the calls that SetCaret and IsInProcBody make
// through the interface; consumed, 1 when the add-in took the keystroke.
//
// Remap/10000 is the simulated editor's rebuilding of its procedure table for
// 10,000 lines, which a keystroke that changes a line and then asks which
// procedure owns a line pays once (the template does).
#include <benchmark/benchmark.h>

#include "bench/scenarios.h"
#include "simulator/simulated_code_window.h"

namespace tarnwick::bench {
namespace {

void Keystroke(benchmark::State& state, const Scenario& scenario) {
  SimulatedCodeWindow window(scenario.lines);
  Module& module = window.GetModule();
  const int32_t lineCount = module.LineCount();
  int64_t editorCalls = 0;
  int64_t paneCalls = 0;
  int64_t consumed = 0;
  bool checked = false;
  for (auto _ : state) {
    state.PauseTiming();
    if (Restore(module, scenario, lineCount) && !checked) {
      checked = true;
      if (module.Lines() != scenario.lines) {
        state.SkipWithError("the module was not put back as it was");
        break;
      }
    }
    window.Select(scenario.caret);
    module.Procedures();
    state.ResumeTiming();

    const KeystrokeReport report = window.Press(scenario.key);

    if (report.failuresStopped != 0 || report.consumed != scenario.expectConsumed) {
      state.SkipWithError("the keystroke did not do what the scenario expects");
      break;
    }
    editorCalls += report.editorCalls;
    paneCalls += report.paneCalls;
    consumed += report.consumed ? 1 : 0;
  }
  using benchmark::Counter;
  state.counters["editor_calls"] =
      Counter(static_cast<double>(editorCalls), Counter::kAvgIterations);
  state.counters["pane_calls"] = Counter(static_cast<double>(paneCalls), Counter::kAvgIterations);
  state.counters["consumed"] = Counter(static_cast<double>(consumed), Counter::kAvgIterations);
}

void Remap(benchmark::State& state) {
  Module module(WatchedKeystrokes().front().lines);
  for (auto _ : state) {
    state.PauseTiming();
    module.SetLine(1, L"Option Explicit");
    state.ResumeTiming();
    benchmark::DoNotOptimize(module.Procedures().size());
  }
}

[[maybe_unused]] const bool registered = [] {
  static const std::vector<Scenario> scenarios = WatchedKeystrokes();
  for (const Scenario& scenario : scenarios) {
    // A fixed count: the timer is stopped for the put-back, which for an
    // editing keystroke includes rebuilding the procedure table, so a count
    // chosen by measured time would run for minutes.
    benchmark::RegisterBenchmark(("Keystroke/" + scenario.name).c_str(), Keystroke, scenario)
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(300);
  }
  // The same template in a module of 100 lines, where the simulated editor's
  // procedure table costs little: what the engine itself spends.
  static Scenario small = [] {
    Scenario s = WatchedKeystrokes(100).front();
    s.name = "template-in-100-lines";
    return s;
  }();
  benchmark::RegisterBenchmark(("Keystroke/" + small.name).c_str(), Keystroke, small)
      ->Unit(benchmark::kMicrosecond)
      ->Iterations(300);
  benchmark::RegisterBenchmark("Remap/10000", Remap)
      ->Unit(benchmark::kMicrosecond)
      ->Iterations(100);
  return true;
}();

}  // namespace
}  // namespace tarnwick::bench
