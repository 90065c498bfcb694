// The module lines of a VBA project's PROJECT stream ([MS-OVBA] 2.3.1): the
// text before its first [section] names each module with its kind:
//   Module=Name            a standard module
//   Class=Name             a class module
//   BaseClass=Name         a form (a designer module)
//   Document=Name/&H...    a document module (a workbook, a sheet, a document)
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "office/vba_project.h"

namespace tarnwick::office {

struct ProjectModuleLine {
  std::string name;  // in the project's code page
  ModuleKind kind = ModuleKind::kStandard;
};

// Lines of other keys are skipped; nothing here can fail.
std::vector<ProjectModuleLine> ParseProjectStream(std::string_view text);

}  // namespace tarnwick::office
