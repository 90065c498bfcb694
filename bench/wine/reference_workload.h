// The yardstick of the add-in's own time per keystroke: a fixed piece of plain
// string work of known size, timed in the same process right beside each
// timed keystroke, so that the add-in's time can be given as a multiple of it
// and a slower or busier machine slows both alike.
//
// It is the kind of work the add-in's own time is made of between its editor
// calls: a text of lines joined with CR LF (as a batched read answers) cut into
// std::wstring lines, each line scanned for the doc-comment marker and the
// name of its first tag, and the lines joined again, all through the
// program's allocator (under Wine, Wine's heap, as the add-in's). It calls
// none of the add-in's code, so a change to the add-in moves only the time
// measured against it; it must stay as it is, or every ratio moves with it.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwick::bench {

class ReferenceWorkload {
 public:
  static constexpr int kLines = 64;  // lines of the text
  static constexpr int kPasses = 4;  // cut, scanned and joined this often per run

  ReferenceWorkload();

  // One run. The answer depends on all of the work, so none of it can be left out.
  size_t Run() const;
  size_t Characters() const { return text.size(); }

 private:
  std::wstring text;
};

}  // namespace tarnwick::bench
