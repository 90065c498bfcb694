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
// code pane bound to the simulated editor's objects through IDispatch.
struct KeystrokeResult {
  std::string name;
  std::string description;
  std::vector<double> microseconds;  // one per timed keystroke
  double editorCalls = 0;            // Invoke calls per timed keystroke
  int64_t firstNameLookups = 0;      // GetIDsOfNames calls in the kind's first keystroke
  int64_t laterNameLookups = 0;      // and in all later ones together
  bool matchesSimulator = false;     // same module and caret as the native simulator
};
std::vector<KeystrokeResult> MeasureKeystrokes(int samples);

}  // namespace tarnwick::bench
