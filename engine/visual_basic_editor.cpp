#include "engine/visual_basic_editor.h"

namespace tarnwick {

bool IsInProcBodyThroughInterface(VisualBasicEditor& pane, int32_t line) {
  std::wstring name;
  int32_t kind = 0;
  pane.GetProcOfLine(line, name, &kind);
  if (name.empty()) {
    return false;
  }
  return line >= pane.GetProcBodyLine(name, kind);
}

}  // namespace tarnwick
