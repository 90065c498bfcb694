// The object model the host serves to its add-ins: one VBE whose
// ActiveCodePane is the pane of the active code window (Nothing while no code
// window is active), and one CodePane/CodeModule pair per open module.
//
// The modules and selections belong to the code windows and must outlive the
// model. Add-ins release their references before the model goes: the objects
// record into the model's CallLog.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <vector>

#include "simulator/com/call_log.h"
#include "simulator/com/editor_objects.h"
#include "vba/module.h"

namespace tarnwick {

class HostObjectModel {
 public:
  HostObjectModel();
  HostObjectModel(const HostObjectModel&) = delete;
  HostObjectModel& operator=(const HostObjectModel&) = delete;

  // The VBE object, not AddRef'ed: the model keeps it alive.
  IDispatch* Vbe() const { return vbe.Get(); }
  CallLog& Log() { return log; }

  // Makes the pane of one module; the model keeps it alive.
  CodePaneObject* AddPane(Module& module, Selection& selection);
  // The pane that ActiveCodePane answers; null for Nothing.
  void Activate(CodePaneObject* pane) { vbe->SetActiveCodePane(pane); }

 private:
  CallLog log;  // declared first: the objects refer to it until they are gone
  std::vector<Microsoft::WRL::ComPtr<CodeModuleObject>> codeModules;
  std::vector<Microsoft::WRL::ComPtr<CodePaneObject>> panes;
  Microsoft::WRL::ComPtr<VbeObject> vbe;
};

}  // namespace tarnwick
