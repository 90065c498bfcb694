// The two measurements of the Windows benchmark program and their results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::bench {

// Unwatched messages sent with SendMessageW to two windows of one class:
// A, whose procedure was replaced by one that only calls CallWindowProcW, and
// B, attached by the add-in in fallback mode with a Connect object holding
// the simulated editor. Rounds alternate A and B.
struct UnwatchedResult {
  int rounds = 0;
  int messagesPerRound = 0;
  std::vector<double> aNanoseconds;  // per message, one value per round
  std::vector<double> bNanoseconds;
  int64_t bMessages = 0;
  int64_t bAllocations = 0;  // operator new calls during B's rounds
  int64_t bEditorCalls = 0;  // Invoke calls on the simulated editor objects
  int64_t bNameLookups = 0;  // GetIDsOfNames calls
  bool bReachedEditor = false;
};
UnwatchedResult MeasureUnwatched(int rounds, int messagesPerRound);

// Watched keystrokes sent to an attached code window (fallback mode), the
// code pane bound to the simulated editor's objects through IDispatch. Each
// timed keystroke has the reference workload (reference_workload.h) timed
// right before it. Then a few more keystrokes of the kind, untimed, go
// through the editor boundary (editor_boundary.h) to count what the add-in
// allocates itself.
struct KeystrokeResult {
  std::string name;
  std::string description;
  std::vector<double> microseconds;           // one per timed keystroke
  std::vector<double> addinMicroseconds;      // the same without the editor's time
  std::vector<double> referenceMicroseconds;  // the reference workload beside each
  double editorCalls = 0;                     // Invoke calls per timed keystroke
  int64_t firstNameLookups = 0;               // GetIDsOfNames calls in the kind's first keystroke
  int64_t laterNameLookups = 0;               // and in all later ones together
  // operator new calls outside the editor, fewest and most over the counted keystrokes
  int64_t fewestAllocations = 0;
  int64_t mostAllocations = 0;
  bool matchesSimulator = false;  // same module and caret as the native simulator
};
std::vector<KeystrokeResult> MeasureKeystrokes(int samples, int countedKeystrokes);

// One batched read of `lines` lines through the binding (CodeModule.Lines),
// from the middle of the 10,000-line module: what a call costs, and what of it
// the editor spends.
struct LineRunResult {
  int lines = 0;
  double microseconds = 0;        // median per call
  double editorMicroseconds = 0;  // of which inside Invoke
};
std::vector<LineRunResult> MeasureLineRuns(int samples);

// The unwatched path in process: the real RouteMessage and code-window handler
// called directly, with no message loop, against the floor of an empty window
// procedure called through CallWindowProcW as RouteMessage passes a message
// on. Nanoseconds per call, the median over rounds; the figures over the floor
// are the medians of the rounds' own differences and ratios.
struct RoutingRow {
  std::string message;
  double floorNs = 0;
  double routeNs = 0;     // RouteMessage on an attached record
  double fallbackNs = 0;  // FallbackWndProc, which first finds the record (four windows)
  double routeOverFloorNs = 0;
  double fallbackOverFloorNs = 0;
  // The same as shares of the floor: the median of each round's own
  // (add-in - floor) / floor.
  double routeShareOfFloor = 0;
  double fallbackShareOfFloor = 0;
};
struct RoutingResult {
  std::vector<RoutingRow> rows;
  int rounds = 0;
  int callsPerRound = 0;
  int64_t allocations = 0;  // during the add-in's rounds
  int64_t editorCalls = 0;
  int64_t calls = 0;  // the add-in's calls measured
};
RoutingResult MeasureRoutingInProcess(int rounds, int callsPerRound);

}  // namespace tarnwick::bench
