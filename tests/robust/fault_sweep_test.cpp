// Every editor call of a watched keystroke made to fail in turn, through the
// real window path: the add-in connected to the stand-in editor, its code
// window subclassed, the keystroke sent with SendMessageW.
//
// For each keystroke the clean run counts its editor calls n; then for each k
// in 1..n the k-th call answers a failure. After each run: the process is
// alive, the editor's own procedure received the keystroke at most once (and
// exactly once when the failure hit the keystroke's own message, since a
// failure never leaves the message consumed unless the editor already had it;
// a failed ProcOfLine is the exception, as it only means "no procedure"),
// and the editor objects hold the references they held before.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "simulator/keys.h"
#include "tests/addin/stand_in_editor.h"

namespace tarnwick::test {
namespace {

struct SweepCase {
  const char* name;
  const char* before;
  const char* keys;  // one keystroke
  UINT keyMessage;   // the message that carries the keystroke to the editor
  WPARAM keyWParam;
};

constexpr const char* kDeclaration =
    "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\n    Add = a + b\nEnd Function";

const SweepCase kCases[] = {
    {"template from an apostrophe", "Option Explicit\n''^\n", "'", WM_CHAR, L'\''},
    {"template from Enter", "Option Explicit\n'''^ Adds two numbers\n", "{Enter}", WM_KEYDOWN,
     VK_RETURN},
    {"Enter continues a block", "''' <summary>\n''' Adds two^\n''' </summary>\n", "{Enter}",
     WM_KEYDOWN, VK_RETURN},
    {"Tab to the next tag", "''' <summary>\n''' ^\n''' </summary>\n''' <remarks></remarks>\n",
     "{Tab}", WM_KEYDOWN, VK_TAB},
    {"Tab that types a space", "''' <summary>\n'''\n''' </summary>\n''' <remarks></remarks>^\n",
     "{Tab}", WM_KEYDOWN, VK_TAB},
    {"closing tag", "''' <example^\n", ">", WM_CHAR, L'>'},
    {"composition ending with an apostrophe", "Option Explicit\n''^\n", "{Ime '}",
     WM_IME_ENDCOMPOSITION, 0},
    {"composition ending with >", "''' <para^\n", "{Ime >}", WM_IME_ENDCOMPOSITION, 0},
};

struct References {
  LONG vbe = 0, pane = 0, codeModule = 0;
  bool operator==(const References&) const = default;
};

class FaultSweep : public ConnectedHostTest {
 protected:
  void TearDown() override {
    ConnectedHostTest::TearDown();
    host.beforeEditor = nullptr;
  }
  References Held() const {
    return {host.model.VbeObj().References(), host.model.Pane().References(),
            host.model.CodeModule().References()};
  }
  void Load(const SweepCase& c) {
    host.Load((std::string(c.before) + kDeclaration).c_str());
    host.TakeReceived();
    host.model.Log().Clear();
  }
  // A failed ProcOfLine is answered with an empty name (the line belongs to no
  // procedure) and the keystroke goes on: nothing has failed for the handler.
  bool FailureAnsweredByDesign() {
    for (const EditorCall& call : host.model.Log().Calls()) {
      if (call.result != S_OK) {
        return call.call.starts_with(L"CodeModule.ProcOfLine");
      }
    }
    return false;
  }
  // The editor calls of the last run, for a failure report.
  std::string CallsMade() {
    std::string text;
    for (const EditorCall& call : host.model.Log().Calls()) {
      text += "  " + std::string(call.call.begin(), call.call.end());
      text += call.result == S_OK ? "\n" : " -> failed\n";
    }
    return text;
  }
  int KeyReceived(const SweepCase& c) {
    int count = 0;
    for (const EditorMessage& m : host.TakeReceived()) {
      if (m.message == c.keyMessage && m.wParam == c.keyWParam) {
        ++count;
      }
    }
    return count;
  }
};

TEST_F(FaultSweep, EveryEditorCallOfEveryWatchedKeystrokeMayFail) {
  int64_t injected = 0;
  for (const SweepCase& c : kCases) {
    const Keystroke key = ParseKeys(c.keys).at(0);
    const References held = Held();

    // The clean run: its call count, and for a composition the calls made
    // before the composition's end reached the add-in.
    Load(c);
    const std::string loaded = host.Render();
    int64_t beforeKeyMessage = 0;
    const int64_t start = host.model.Log().InvokeCount();
    host.beforeEditor = [&](UINT message, WPARAM) {
      if (message == WM_IME_COMPOSITION) {
        beforeKeyMessage = host.model.Log().InvokeCount() - start;
      }
    };
    host.Press(host.codeWindow, key);
    host.beforeEditor = nullptr;
    const int64_t calls = host.model.Log().InvokeCount() - start;
    ASSERT_GT(calls, 0) << c.name;
    EXPECT_LE(KeyReceived(c), 1) << c.name;
    EXPECT_NE(host.Render(), loaded) << c.name << ": the clean run did nothing";

    for (int64_t k = 1; k <= calls; ++k) {
      Load(c);
      host.model.Log().FailInvoke(k, E_FAIL);
      host.Press(host.codeWindow, key);
      host.model.Log().FailInvoke(0, S_OK);
      ++injected;
      const int received = KeyReceived(c);
      EXPECT_LE(received, 1) << c.name << ": call " << k << " of " << calls;
      if (k > beforeKeyMessage && !FailureAnsweredByDesign()) {
        EXPECT_EQ(received, 1) << c.name << ": call " << k << " of " << calls
                               << " failed and the keystroke was lost\n"
                               << CallsMade() << host.Render();
      }
      EXPECT_EQ(Held(), held) << c.name << ": call " << k << " of " << calls
                              << " left references behind";
    }
    std::printf("[ sweep    ] %-40s %3lld editor calls, %3lld faults\n", c.name,
                static_cast<long long>(calls), static_cast<long long>(calls));
  }
  std::printf("[ sweep    ] %lld single faults injected\n", static_cast<long long>(injected));
  EXPECT_GT(injected, 50);
}

}  // namespace
}  // namespace tarnwick::test
