// The modules and keystrokes that the benchmarks play, shared by the native
// and the Windows benchmark programs so that both measure the same work.
//
// A keystroke scenario is a module (10,000 lines unless asked otherwise) with
// the scene of one watched keystroke in its middle, the caret, the keystroke,
// and the region of lines the keystroke may rewrite, so that a benchmark can put
// the module back between two timed keystrokes (Restore).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/keys.h"
#include "vba/module.h"

namespace tarnwick::bench {

inline constexpr int32_t kModuleLines = 10000;

struct Scenario {
  std::string name;
  std::string description;
  std::vector<std::wstring> lines;
  Selection caret;
  Keystroke key;
  bool expectConsumed = false;
  int32_t regionFirst = 0;           // first line the keystroke may rewrite
  std::vector<std::wstring> region;  // those lines as they stand before it
};

// The watched keystroke kinds, each in a module of `moduleLines` lines:
// template, enter-in-block, tab-template-block, tab-200-line-block,
// closing-tag, apostrophe-in-code, ime-closing-tag.
std::vector<Scenario> WatchedKeystrokes(int32_t moduleLines = kModuleLines);

// Puts the scenario's region back after a keystroke rewrote it and maybe added
// lines: `lineCount` is the module's line count before the keystroke. A module
// that the keystroke left alone is not touched (so the simulated editor keeps
// its procedure table). Returns whether anything was put back.
bool Restore(Module& module, const Scenario& scenario, int32_t lineCount);

// Growth scenes. Each returns the module and sets `line` (and `caret`) to where
// the measured operation starts.
//   A comment block of `blockLines` lines above a declaration, the caret in
//   the middle of the block's summary text (Tab).
std::vector<std::wstring> TabBlockModule(int32_t blockLines, Selection& caret);
//   A bare marker line, `blankLines` blank lines, then a declaration
//   (the declaration search below the marker).
std::vector<std::wstring> BlankGapModule(int32_t blankLines, int32_t& markerLine);
//   A statement continued over `chainLines` lines, then a bare marker line
//   (the search for the statement above the marker).
std::vector<std::wstring> ContinuationChainModule(int32_t chainLines, int32_t& markerLine);

}  // namespace tarnwick::bench
