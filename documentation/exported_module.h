// A module of an Office file as the editor's File > Export would write it, and
// as every use of the library reads it: its name and extension, its text with
// the header the editor writes, and the lines the editor numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "office/vba_project.h"
#include "text/source_text.h"
#include "documentation/module.h"

namespace tarnwick {

// A module of an Office file as the file its export writes, named
// "OFFICE/Module1.bas" and numbered as the editor numbers it: the record's
// origin holds the Office file, the module's name and kind in the project, the
// project's code page and the name of its export's file. The text is split
// into lines once; it is not parsed yet (ParseModule), nor screened
// (RefuseControlCharacters).
DocModule ModuleFromProject(const std::string& officePath, const office::VbaModule& module,
                            uint32_t codePage);

// The text that export writes for a module of an Office file: its lines with
// their ends, as ModuleFromProject split them.
std::wstring ExportText(const DocModule& module);

// Why `name` cannot name a module file (not a VBA identifier, or a device name
// of Windows such as CON or COM1), or empty when it can.
std::string ModuleNameProblem(const std::wstring& name);

// The line the editor shows for each line of an exported module: the header
// and the Attribute lines it hides are not counted, and a hidden line is shown
// as the visible line before it (line 1 when none stands before it).
std::vector<int32_t> EditorLines(const std::vector<std::wstring>& lines, size_t headerLines);

}  // namespace tarnwick
