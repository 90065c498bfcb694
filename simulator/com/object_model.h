// One simulated editor with one code pane showing one module: the VBE, its
// CodePane and the pane's CodeModule, sharing a CallLog. The Module and the
// Selection belong to the caller (a test or a SimulatedCodeWindow) and must
// outlive the model.
//
// The model holds one reference to each object. Clients release theirs before
// the model goes: the objects record into the model's CallLog. The pane starts
// out active.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include "simulator/com/call_log.h"
#include "simulator/com/editor_objects.h"
#include "vba/module.h"

namespace tarnwick {

class SimulatedObjectModel {
 public:
  SimulatedObjectModel(Module& module, Selection& selection);
  SimulatedObjectModel(const SimulatedObjectModel&) = delete;
  SimulatedObjectModel& operator=(const SimulatedObjectModel&) = delete;

  // The VBE object, not AddRef'ed: the model keeps it alive.
  IDispatch* Vbe() const { return vbe.Get(); }
  VbeObject& VbeObj() const { return *vbe.Get(); }
  CodePaneObject& Pane() const { return *pane.Get(); }
  CodeModuleObject& CodeModule() const { return *codeModule.Get(); }
  CallLog& Log() { return log; }

  // Active: ActiveCodePane answers the pane; otherwise Nothing.
  void SetPaneActive(bool active) { vbe->SetActiveCodePane(active ? pane.Get() : nullptr); }
  // Renumbers the members of all three objects.
  void ShiftDispatchIds(DISPID offset);

 private:
  CallLog log;  // declared first: the objects refer to it until they are gone
  Microsoft::WRL::ComPtr<CodeModuleObject> codeModule;
  Microsoft::WRL::ComPtr<CodePaneObject> pane;
  Microsoft::WRL::ComPtr<VbeObject> vbe;
};

}  // namespace tarnwick
