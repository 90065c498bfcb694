// The editor host: the frame, one code window per open module, the object
// model, and the add-ins loaded from the registry.
//
// Start-up follows the editor: the frame and the code windows of the modules
// that are open come first, and the add-ins are connected afterwards, so an
// add-in finds those windows by discovery; a code window opened later would
// reach it through its creation hook. The last module opened is the active one.
// Shutdown disconnects the add-ins while their windows still exist, then
// destroys the windows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "simulator/host/addin_loader.h"
#include "simulator/host/code_window.h"
#include "simulator/host/frame_window.h"
#include "simulator/host/host_object_model.h"
#include "simulator/keys.h"

namespace tarnwick {

struct OpenModule {
  std::wstring name;  // shown in the window's title
  std::vector<std::wstring> lines;
};

// What one scripted keystroke did, for the transcript.
struct ScriptStep {
  std::string key;           // the keystroke as written
  Selection selection;       // the focused window's selection afterwards
  bool textChanged = false;  // the focused window's module changed
};

class EditorHost {
 public:
  // `report` receives the messages the editor would show (an add-in that
  // could not be loaded).
  explicit EditorHost(std::function<void(const std::wstring&)> report);
  ~EditorHost();
  EditorHost(const EditorHost&) = delete;
  EditorHost& operator=(const EditorHost&) = delete;

  // Creates the frame and the code windows, then loads the add-ins named under
  // `addinsKey` of HKCU. `show` is the frame's ShowWindow command.
  void Start(const std::vector<OpenModule>& modules, int show,
             const wchar_t* addinsKey = kAddinsKey);
  // Disconnects the add-ins and destroys the windows; idempotent.
  void Shutdown() noexcept;

  // Plays one keystroke into the focused code window: each message is posted
  // and goes through the message loop, which is pumped until it is idle.
  ScriptStep Play(const Keystroke& key);
  // Dispatches whatever is queued; false once WM_QUIT was seen.
  bool PumpUntilIdle();
  // Runs the message loop until the frame is closed.
  int RunInteractive();

  HostCodeWindow* Focused() const;
  const std::vector<std::unique_ptr<HostCodeWindow>>& Windows() const { return windows; }
  const HostFrame& Frame() const { return frame; }
  std::vector<std::wstring> ConnectedAddIns() const { return addIns.Connected(); }

 private:
  void Dispatch(MSG& message);
  // Posts a message to `window` and pumps until the queue is idle.
  void PostAndPump(HostCodeWindow& window, UINT message, WPARAM wParam, LPARAM lParam);

  HostObjectModel model;
  std::vector<std::unique_ptr<HostCodeWindow>> windows;
  HostFrame frame;
  AddInHost addIns;  // last: disconnected first
  bool quit = false;
};

}  // namespace tarnwick
