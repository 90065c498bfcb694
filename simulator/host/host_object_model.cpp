#include "simulator/host/host_object_model.h"

namespace tarnwick {

HostObjectModel::HostObjectModel() : vbe(new VbeObject(log)) {}

CodePaneObject* HostObjectModel::AddPane(Module& module, Selection& selection) {
  Microsoft::WRL::ComPtr<CodeModuleObject> codeModule(new CodeModuleObject(module, selection, log));
  Microsoft::WRL::ComPtr<CodePaneObject> pane(
      new CodePaneObject(module, selection, codeModule.Get(), log));
  codeModules.push_back(codeModule);
  panes.push_back(pane);
  return pane.Get();
}

}  // namespace tarnwick
