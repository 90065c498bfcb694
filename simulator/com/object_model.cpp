#include "simulator/com/object_model.h"

namespace tarnwick {

SimulatedObjectModel::SimulatedObjectModel(Module& module, Selection& selection)
    : codeModule(new CodeModuleObject(module, selection, log)),
      pane(new CodePaneObject(module, selection, codeModule.Get(), log)),
      vbe(new VbeObject(log)) {
  SetPaneActive(true);
}

void SimulatedObjectModel::ShiftDispatchIds(DISPID offset) {
  vbe->ShiftDispatchIds(offset);
  pane->ShiftDispatchIds(offset);
  codeModule->ShiftDispatchIds(offset);
}

}  // namespace tarnwick
