// Calls into the editor per watched keystroke, through the real window path,
// counted by the stand-in editor's call log (the two that bind the code pane
// included), on the benchmark's scenes in a module of 10,000 lines: each kind
// at or under its target, and the same edit as the simulated editor makes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "bench/scenarios.h"
#include "simulator/simulated_code_window.h"
#include "tests/addin/stand_in_editor.h"
#include "vbe/late_bound_call.h"

namespace tarnwick::test {
namespace {

struct Target {
  const char* kind;
  int64_t calls;
};

// Each kind's limit; a keystroke binds the pane for each watched message it
// sends (a composition sends two).
constexpr Target kTargets[] = {
    {"template", 12},           {"enter-in-block", 8}, {"tab-template-block", 10},
    {"tab-200-line-block", 12}, {"closing-tag", 8},    {"apostrophe-in-code", 8},
    {"ime-closing-tag", 10},
};

class EditorCalls : public ConnectedHostTest {
 protected:
  // Plays the scenario's keystroke; its editor calls, and whether it edited
  // as the simulated editor does.
  int64_t Play(const bench::Scenario& scenario, bool& sameEdit) {
    host.module = Module(scenario.lines);
    host.selection = scenario.caret;
    const int64_t before = host.model.Log().InvokeCount();
    host.Press(host.codeWindow, scenario.key);
    const int64_t calls = host.model.Log().InvokeCount() - before;
    SimulatedCodeWindow reference(scenario.lines);
    reference.Select(scenario.caret);
    reference.Press(scenario.key);
    sameEdit = reference.GetModule().Lines() == host.module.Lines() &&
               reference.CurrentSelection() == host.selection;
    return calls;
  }
};

TEST_F(EditorCalls, EachKindOfKeystrokeStaysAtOrUnderItsTarget) {
  ClearDispatchIdCache();
  bool first = true;
  for (const bench::Scenario& scenario : bench::WatchedKeystrokes()) {
    const Target* target = nullptr;
    for (const Target& t : kTargets) {
      if (scenario.name == t.kind) {
        target = &t;
      }
    }
    ASSERT_NE(target, nullptr) << scenario.name << " has no target";
    host.model.Log().Clear();
    bool sameEdit = false;
    const int64_t calls = Play(scenario, sameEdit);
    std::printf("[ calls    ] %-20s %3lld (target %lld)\n", scenario.name.c_str(),
                static_cast<long long>(calls), static_cast<long long>(target->calls));
    EXPECT_LE(calls, target->calls) << scenario.name;
    EXPECT_TRUE(sameEdit) << scenario.name;
    if (!first) {
      EXPECT_EQ(host.model.Log().NameLookups(), 0) << scenario.name << ": a member looked up again";
    }
    first = false;
  }
}

// A walk costs at most one call per 64 lines: Tab half way down a block of
// 5,000 lines walks up 2,500 lines and down 5,000.
TEST_F(EditorCalls, ALongWalkCostsAtMostOneCallPer64Lines) {
  bench::Scenario scenario;
  scenario.name = "tab-5000-line-block";
  scenario.lines = bench::TabBlockModule(5000, scenario.caret);
  scenario.key.kind = Keystroke::Kind::kTab;
  bool sameEdit = false;
  const int64_t calls = Play(scenario, sameEdit);
  std::printf("[ calls    ] %-20s %3lld\n", scenario.name.c_str(), static_cast<long long>(calls));
  EXPECT_LE(calls, 12 + 7500 / 64);
  EXPECT_TRUE(sameEdit);
}

}  // namespace
}  // namespace tarnwick::test
