// A module of an Office file as the editor's File > Export would write it, and
// as every command reads it: its name and extension, its text with the header
// the editor writes, and the lines the editor numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "office/vba_project.h"
#include "text/source_text.h"
#include "tools/doc/doc_model.h"

namespace tarnwick {

struct ExportedModule {
  std::wstring name;
  office::ModuleKind kind = office::ModuleKind::kStandard;
  // How messages name it: the name with its export's extension, "Module1.bas",
  // "Sheet1.cls", "UserForm1.frm".
  std::string shownName;
  // The file `export` writes: the same, but "UserForm1.frm.bas" for a form,
  // whose layout lives in the designer storage that no export of code holds.
  std::string fileName;
  // CR LF lines: class and document modules under the VERSION 1.0 CLASS
  // header (a class module without the attributes its export leaves out); a
  // form's code without the attributes only its designer gives meaning to, so
  // that an import makes it a standard module and nothing else.
  std::wstring text;
  size_t headerLines = 0;  // the lines of that header
};
ExportedModule ExportOf(const office::VbaModule& module);

// Why `name` cannot name a module file (not a VBA identifier, or a device name
// of Windows such as CON or COM1), or empty when it can.
std::string ModuleNameProblem(const std::wstring& name);

// The line the editor shows for each line of an exported module: the header
// and the Attribute lines it hides are not counted, and a hidden line is shown
// as the visible line before it (line 1 when none stands before it).
std::vector<int32_t> EditorLines(const std::vector<std::wstring>& lines, size_t headerLines);

// The module read as the file `export` writes, named "OFFICE/Module1.bas" and
// numbered as the editor numbers it. Throws ModuleError.
DocModule ReadExportedModule(const std::string& officePath, const ExportedModule& exported);

}  // namespace tarnwick
