// Watched keystrokes under Wine: real messages to an attached code window, the
// code pane bound to the simulated editor objects through IDispatch, each
// timed beside the reference workload; and their allocations, counted.
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "bench/scenarios.h"
#include "bench/wine/allocation_counter.h"
#include "bench/wine/bench_editor.h"
#include "bench/wine/editor_boundary.h"
#include "bench/wine/measurements.h"
#include "bench/wine/reference_workload.h"
#include "simulator/simulated_code_window.h"
#include "vbe/late_bound_call.h"
#include "vbe/visual_basic_editor_vba.h"
#include "window/subclassed_window.h"

namespace tarnwick::bench {

namespace {

double Microseconds(int64_t ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// The native simulator's answer for the scenario's keystroke: the benchmark
// checks that the window path did the same edit.
bool SameAsSimulator(const Scenario& scenario, const BenchEditor& editor) {
  SimulatedCodeWindow reference(scenario.lines);
  reference.Select(scenario.caret);
  reference.Press(scenario.key);
  return reference.GetModule().Lines() == editor.module.Lines() &&
         reference.CurrentSelection() == editor.selection;
}

}  // namespace

std::vector<KeystrokeResult> MeasureKeystrokes(int samples, int countedKeystrokes) {
  BenchEditor editor;
  HWND window = editor.CreateCodeWindow();
  auto* connect = new CComObject<CConnect>();
  connect->AddRef();
  connect->vbe = editor.model.Vbe();
  auto record = std::make_unique<SubclassedWindow>(window, OnCodeWindowMessage, connect,
                                                   RoutingMode::FallbackOnly);
  if (!record->installed) {
    throw std::runtime_error("cannot attach the code window");
  }
  ClearDispatchIdCache();
  const ReferenceWorkload reference;
  const Microsoft::WRL::ComPtr<IDispatch> vbeBehindBoundary =
      BehindEditorBoundary(editor.model.Vbe());
  const size_t referenceAnswer = reference.Run();

  std::vector<KeystrokeResult> results;
  for (const Scenario& scenario : WatchedKeystrokes()) {
    KeystrokeResult result;
    result.name = scenario.name;
    result.description = scenario.description;
    editor.module = Module(scenario.lines);
    const int32_t lineCount = editor.module.LineCount();
    int64_t invokes = 0;
    for (int i = 0; i <= samples; ++i) {
      Restore(editor.module, scenario, lineCount);
      editor.selection = scenario.caret;
      editor.module.Procedures();

      // The reference right before the keystroke, on the heap and caches that
      // the put-back left, as the keystroke finds them.
      LARGE_INTEGER referenceStart;
      LARGE_INTEGER referenceEnd;
      QueryPerformanceCounter(&referenceStart);
      const size_t answer = reference.Run();
      QueryPerformanceCounter(&referenceEnd);
      if (answer != referenceAnswer) {
        throw std::logic_error("the reference workload changed its answer");
      }
      CallLog& log = editor.model.Log();
      log.Clear();
      const int64_t invokesBefore = log.InvokeCount();

      const int64_t editorBefore = editor.EditorTicks();
      LARGE_INTEGER start;
      LARGE_INTEGER end;
      QueryPerformanceCounter(&start);
      editor.Press(window, scenario.key);
      QueryPerformanceCounter(&end);
      const int64_t inEditor = editor.EditorTicks() - editorBefore;

      if (i == 0) {
        // The kind's first keystroke: may look names up; not timed.
        result.firstNameLookups = log.NameLookups();
        result.matchesSimulator = SameAsSimulator(scenario, editor);
        continue;
      }
      result.microseconds.push_back(Microseconds(end.QuadPart - start.QuadPart));
      result.addinMicroseconds.push_back(Microseconds(end.QuadPart - start.QuadPart - inEditor));
      result.referenceMicroseconds.push_back(
          Microseconds(referenceEnd.QuadPart - referenceStart.QuadPart));
      invokes += log.InvokeCount() - invokesBefore;
      result.laterNameLookups += log.NameLookups();
    }
    result.editorCalls = samples > 0 ? static_cast<double>(invokes) / samples : 0;

    // The same keystroke, untimed, with the editor behind the boundary: the
    // allocations made outside the editor are the add-in's own.
    connect->vbe = vbeBehindBoundary;
    for (int i = 0; i < countedKeystrokes; ++i) {
      Restore(editor.module, scenario, lineCount);
      editor.selection = scenario.caret;
      editor.module.Procedures();
      const int64_t before = AllocationCountOutsideEditor();
      editor.Press(window, scenario.key);
      const int64_t allocations = AllocationCountOutsideEditor() - before;
      if (i == 0 && !SameAsSimulator(scenario, editor)) {
        result.matchesSimulator = false;  // the boundary changed what the keystroke did
      }
      result.fewestAllocations =
          i == 0 ? allocations : std::min(result.fewestAllocations, allocations);
      result.mostAllocations = std::max(result.mostAllocations, allocations);
    }
    connect->vbe = editor.model.Vbe();
    results.push_back(std::move(result));
  }

  record.reset();
  connect->Release();
  DestroyWindow(window);
  return results;
}

std::vector<LineRunResult> MeasureLineRuns(int samples) {
  BenchEditor editor;
  editor.module = Module(WatchedKeystrokes().front().lines);
  VisualBasicEditorVBA pane(editor.model.Vbe());
  const int32_t middle = editor.module.LineCount() / 2;
  std::vector<LineRunResult> results;
  for (const int lines : {1, 4, 16, 64, 256, 1024}) {
    std::vector<double> total;
    std::vector<double> inEditor;
    for (int i = 0; i <= samples; ++i) {
      const int64_t editorBefore = editor.EditorTicks();
      LARGE_INTEGER start;
      LARGE_INTEGER end;
      QueryPerformanceCounter(&start);
      const std::wstring text = pane.ReadLineRun(middle - lines / 2, lines);
      QueryPerformanceCounter(&end);
      if (i > 0) {  // the first call looks the member up
        total.push_back(Microseconds(end.QuadPart - start.QuadPart));
        inEditor.push_back(Microseconds(editor.EditorTicks() - editorBefore));
      }
    }
    std::sort(total.begin(), total.end());
    std::sort(inEditor.begin(), inEditor.end());
    results.push_back({lines, total[total.size() / 2], inEditor[inEditor.size() / 2]});
  }
  return results;
}

}  // namespace tarnwick::bench
