// A stand-in for the editor's user interface: its window tree on the test
// thread, a simulated object model whose active pane shows one module, and the
// code windows' class procedure, which applies the editor's own keystroke
// behaviour to that module. Also COM and the two type libraries.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "simulator/com/object_model.h"
#include "simulator/keys.h"
#include "vba/module.h"
#include "simulator/win32/code_window_stand_in.h"

namespace tarnwick::test {

// A message that reached a code window's own procedure (keys and IME only).
struct EditorMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  bool operator==(const EditorMessage&) const = default;
};

// Registers the window classes, initialises COM and registers the add-in's
// and the test Add-In Designer type libraries; undone at the end.
void SetUpProcess();
void TearDownProcess();

class StandInEditor {
 public:
  // Builds: a frame without MDI client, the editor frame with its MDI client,
  // a code window directly under the client and one nested a level deeper,
  // and another frame without MDI client (holding a code window of its own).
  StandInEditor();
  ~StandInEditor();
  StandInEditor(const StandInEditor&) = delete;
  StandInEditor& operator=(const StandInEditor&) = delete;

  // A new "VbaWindow" under the MDI client.
  HWND CreateCodeWindow(DWORD style);
  // Puts caret-marked text into the module.
  void Load(const char* marked);
  // The module with its caret marked, as in the caret-marked tables.
  std::string Render() const;
  // Sends one keystroke to `window` as the system would deliver it.
  void Press(HWND window, const Keystroke& key);
  void Type(HWND window, const char* keys);
  // Messages that reached the code windows' own procedure since the last call.
  std::vector<EditorMessage> TakeReceived();

  Module module;
  Selection selection;
  SimulatedObjectModel model{module, selection};
  HWND decoyBefore = nullptr;
  HWND frame = nullptr;
  HWND mdiClient = nullptr;
  HWND codeWindow = nullptr;
  HWND holder = nullptr;
  HWND nestedCodeWindow = nullptr;
  HWND decoyAfter = nullptr;
  HWND strayCodeWindow = nullptr;  // under decoyAfter, not under an MDI client

  // Runs in the code window's procedure before the editor acts; may throw
  // nothing (it stands in for the editor), but may change the model.
  std::function<void(UINT message, WPARAM wParam)> beforeEditor;

 private:
  std::vector<EditorMessage> received;
  CodeWindowStandIn standIn{module, selection};
};

// A test with the add-in connected to a stand-in editor for its length: made,
// referenced and connected in SetUp, disconnected and released in TearDown.
class ConnectedHostTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  StandInEditor host;
  CComObject<CConnect>* connect = nullptr;
};

// Formats an editor-message table for a failure report.
std::string Describe(const std::vector<EditorMessage>& messages);

}  // namespace tarnwick::test
