// Measures the add-in under Wine and prints the figures as one JSON object:
//   tarnwick_bench_wine [--rounds N] [--messages N] [--samples N] [--counted N]
//                       [--routing-rounds N] [--routing-calls N]
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "addin/server/module.h"
#include "bench/wine/measurements.h"
#include "bench/wine/reference_workload.h"

namespace tarnwick::bench {
namespace {

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

void PrintArray(const char* name, const std::vector<double>& values) {
  std::printf("    \"%s\": [", name);
  for (size_t i = 0; i < values.size(); ++i) {
    std::printf("%s%.2f", i ? ", " : "", values[i]);
  }
  std::printf("]");
}

void PrintUnwatched(const UnwatchedResult& r) {
  std::vector<double> paired;
  for (size_t i = 0; i < r.aNanoseconds.size() && i < r.bNanoseconds.size(); ++i) {
    paired.push_back((r.bNanoseconds[i] - r.aNanoseconds[i]) / r.aNanoseconds[i]);
  }
  const double a = Percentile(r.aNanoseconds, 0.5);
  const double b = Percentile(r.bNanoseconds, 0.5);
  const double messages = r.bMessages > 0 ? static_cast<double>(r.bMessages) : 1;
  std::printf("  \"unwatched\": {\n");
  std::printf("    \"rounds\": %d,\n    \"messages_per_round\": %d,\n", r.rounds,
              r.messagesPerRound);
  std::printf("    \"b_reached_editor\": %s,\n", r.bReachedEditor ? "true" : "false");
  std::printf("    \"a_ns_median\": %.2f,\n    \"b_ns_median\": %.2f,\n", a, b);
  std::printf("    \"overhead_ratio\": %.4f,\n", a > 0 ? (b - a) / a : 0);
  std::printf("    \"overhead_ratio_paired_median\": %.4f,\n", Percentile(paired, 0.5));
  std::printf("    \"b_allocations_per_message\": %.6f,\n",
              static_cast<double>(r.bAllocations) / messages);
  std::printf("    \"b_editor_calls_per_message\": %.6f,\n",
              static_cast<double>(r.bEditorCalls) / messages);
  std::printf("    \"b_name_lookups\": %lld,\n", static_cast<long long>(r.bNameLookups));
  PrintArray("a_ns_rounds", r.aNanoseconds);
  std::printf(",\n");
  PrintArray("b_ns_rounds", r.bNanoseconds);
  std::printf("\n  }");
}

void PrintRouting(const RoutingResult& r) {
  std::printf("  \"routing_in_process\": {\n");
  std::printf("    \"rounds\": %d,\n    \"calls_per_round\": %d,\n", r.rounds, r.callsPerRound);
  const double calls = r.calls > 0 ? static_cast<double>(r.calls) : 1;
  std::printf("    \"allocations_per_message\": %.6f,\n",
              static_cast<double>(r.allocations) / calls);
  std::printf("    \"editor_calls_per_message\": %.6f,\n",
              static_cast<double>(r.editorCalls) / calls);
  std::printf("    \"messages\": [\n");
  for (size_t i = 0; i < r.rows.size(); ++i) {
    const RoutingRow& row = r.rows[i];
    std::printf(
        "      {\"message\": \"%s\", \"floor_ns\": %.2f, \"route_ns\": %.2f, "
        "\"fallback_ns\": %.2f, \"route_over_floor_ns\": %.2f, "
        "\"fallback_over_floor_ns\": %.2f, \"route_share_of_floor\": %.4f, "
        "\"fallback_share_of_floor\": %.4f}%s\n",
        row.message.c_str(), row.floorNs, row.routeNs, row.fallbackNs, row.routeOverFloorNs,
        row.fallbackOverFloorNs, row.routeShareOfFloor, row.fallbackShareOfFloor,
        i + 1 < r.rows.size() ? "," : "");
  }
  std::printf("    ]\n  }");
}

void PrintLineRuns(const std::vector<LineRunResult>& runs) {
  std::printf("  \"line_runs\": [\n");
  for (size_t i = 0; i < runs.size(); ++i) {
    std::printf("    {\"lines\": %d, \"us_per_call\": %.2f, \"editor_us_per_call\": %.2f}%s\n",
                runs[i].lines, runs[i].microseconds, runs[i].editorMicroseconds,
                i + 1 < runs.size() ? "," : "");
  }
  std::printf("  ]");
}

void PrintReference() {
  const ReferenceWorkload reference;
  std::printf("  \"reference\": {\"lines\": %d, \"characters\": %zu, \"passes\": %d}",
              ReferenceWorkload::kLines, reference.Characters(), ReferenceWorkload::kPasses);
}

void PrintKeystrokes(const std::vector<KeystrokeResult>& results) {
  std::printf("  \"keystrokes\": [\n");
  for (size_t i = 0; i < results.size(); ++i) {
    const KeystrokeResult& r = results[i];
    std::printf("    {\"kind\": \"%s\", \"description\": \"%s\", \"samples\": %zu, ",
                r.name.c_str(), r.description.c_str(), r.microseconds.size());
    std::printf("\"median_us\": %.2f, \"p99_us\": %.2f, \"editor_calls\": %.2f, ",
                Percentile(r.microseconds, 0.5), Percentile(r.microseconds, 0.99), r.editorCalls);
    std::printf("\"addin_median_us\": %.2f, \"addin_p99_us\": %.2f, ",
                Percentile(r.addinMicroseconds, 0.5), Percentile(r.addinMicroseconds, 0.99));
    std::printf("\"reference_median_us\": %.2f, \"reference_p99_us\": %.2f, ",
                Percentile(r.referenceMicroseconds, 0.5),
                Percentile(r.referenceMicroseconds, 0.99));
    std::printf("\"first_name_lookups\": %lld, \"name_lookups_after_first\": %lld, ",
                static_cast<long long>(r.firstNameLookups),
                static_cast<long long>(r.laterNameLookups));
    std::printf("\"allocations_fewest\": %lld, \"allocations_most\": %lld, ",
                static_cast<long long>(r.fewestAllocations),
                static_cast<long long>(r.mostAllocations));
    std::printf("\"matches_simulator\": %s}%s\n", r.matchesSimulator ? "true" : "false",
                i + 1 < results.size() ? "," : "");
  }
  std::printf("  ]");
}

int Argument(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) {
      return std::max(1, std::atoi(argv[i + 1]));
    }
  }
  return fallback;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  using namespace tarnwick::bench;
  // Many short rounds, here and for the routing below: a round of tens of
  // milliseconds outlasts the time slice of a busy machine, and its figure
  // then holds other programs' time; a round of a millisecond or less mostly
  // runs whole, and the median leaves out those that did not.
  const int rounds = Argument(argc, argv, "--rounds", 401);
  const int messages = Argument(argc, argv, "--messages", 2000);
  const int samples = Argument(argc, argv, "--samples", 200);
  const int counted = Argument(argc, argv, "--counted", 20);
  const int routingRounds = Argument(argc, argv, "--routing-rounds", 2001);
  const int routingCalls = Argument(argc, argv, "--routing-calls", 1000);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::fprintf(stderr, "cannot initialise COM\n");
    return 1;
  }
  int status = 0;
  try {
    const RoutingResult routing = MeasureRoutingInProcess(routingRounds, routingCalls);
    const UnwatchedResult unwatched = MeasureUnwatched(rounds, (messages + 3) / 4 * 4);
    const std::vector<KeystrokeResult> keystrokes = MeasureKeystrokes(samples, counted);
    const std::vector<LineRunResult> lineRuns = MeasureLineRuns(samples);
    std::printf("{\n");
    PrintRouting(routing);
    std::printf(",\n");
    PrintUnwatched(unwatched);
    std::printf(",\n");
    PrintReference();
    std::printf(",\n");
    PrintKeystrokes(keystrokes);
    std::printf(",\n");
    PrintLineRuns(lineRuns);
    std::printf("\n}\n");
    if (!unwatched.bReachedEditor) {
      std::fprintf(stderr, "window B did not pass the stream on to the editor\n");
      status = 1;
    }
    for (const KeystrokeResult& k : keystrokes) {
      if (!k.matchesSimulator) {
        std::fprintf(stderr, "%s: the window path did not edit as the simulator does\n",
                     k.name.c_str());
        status = 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "benchmark failed: %s\n", e.what());
    status = 1;
  }
  tarnwick::tarnwickModule.Term();
  CoUninitialize();
  return status;
}
