// The in-memory code pane of the simulated editor: vba/'s ModulePane over a
// Module and a Selection that the caller owns (normally a SimulatedCodeWindow),
// with every call counted and failures injected on request. It answers as
// ModulePane does; ReadLineRun, the editor's batched read, answers as the
// editor's Lines does (Module::JoinLines): the lines joined with CR LF.
// Every failure throws std::bad_exception.
//
// Counting. Each call of one of the ten operations or of ReadLineRun is one
// call, including the inner calls that SetCaret (SetSelection) and IsInProcBody
// (GetProcOfLine, GetProcBodyLine) make, so SetCaret counts 2 and IsInProcBody
// 2 or 3.
// TotalCalls() counts them all; EngineCalls() counts only the outermost calls,
// the ones the engine made itself. Injected failures use the total count.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/keystroke_read_cache.h"
#include "engine/visual_basic_editor.h"
#include "vba/module.h"
#include "vba/module_pane.h"

namespace tarnwick {

// The ten operations, in the interface's order, and the batched read.
enum class PaneOperation : int {
  kGetLineCount,
  kGetSelection,
  kSetCaret,
  kSetSelection,
  kGetLine,
  kGetLines,
  kGetProcOfLine,
  kGetProcBodyLine,
  kIsInProcBody,
  kReplaceLine,
  kReadLineRun,
};
inline constexpr int kPaneOperationCount = 11;
const char* PaneOperationName(PaneOperation operation);

class MemoryPane final : public LineRunPane {
 public:
  MemoryPane(Module& module, Selection& selection) : module(module), editor(module, selection) {}

  int32_t GetLineCount() override;
  void GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                    int32_t* endColumn) override;
  void SetCaret(int32_t line, int32_t column) override;
  void SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                    int32_t endColumn) override;
  void GetLine(int32_t line, std::wstring& text) override;
  void GetLines(int32_t startLine, int32_t count, std::vector<std::wstring>& lines) override;
  void GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) override;
  int32_t GetProcBodyLine(const std::wstring& name, int32_t kind) override;
  bool IsInProcBody(int32_t line) override;
  void ReplaceLine(int32_t line, const std::wstring& text) override;
  std::wstring ReadLineRun(int32_t startLine, int32_t count) override;

  // Makes the call numbered `call` (1-based, counted in TotalCalls()) throw
  // std::bad_exception instead of acting, once; 0 turns injection off. Counts
  // restart at 0. GetProcOfLine answers an injected failure with an empty name,
  // as it answers every failure. ResetCounts() keeps an armed failure armed.
  void FailAtCall(int64_t call);
  void ResetCounts();

  int64_t TotalCalls() const { return total; }
  int64_t EngineCalls() const { return outer; }
  int64_t Calls(PaneOperation operation) const { return perOperation[static_cast<int>(operation)]; }
  bool InjectedFailureFired() const { return injectedFired; }
  // Every call since the counts were last reset, inner calls included, in order.
  const std::vector<PaneOperation>& CallLog() const { return log; }

 private:
  class CallScope;

  Module& module;
  ModulePane editor;
  std::array<int64_t, kPaneOperationCount> perOperation{};
  std::vector<PaneOperation> log;
  int64_t total = 0;
  int64_t outer = 0;
  int depth = 0;
  int64_t failAt = 0;
  bool injectedFired = false;
};

}  // namespace tarnwick
