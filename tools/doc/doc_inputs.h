// The modules a command works on, from the PATHs of its command line: module
// files, the module files of folders (read recursively, in path order), and
// the modules of Office files. An Office file is known by its content, not by
// its name, and read only where it is named; its modules are read as their
// export would read (exported_module.h).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "text/encoding.h"
#include "tools/doc/doc_model.h"

namespace tarnwick {

struct DocInputs {
  std::vector<DocModule> modules;
  // For each module, its file: the module file, or the Office file it is in.
  std::vector<std::filesystem::path> files;
  std::vector<bool> inOfficeFile;
  // What could not be read, one line each: "FILE[:LINE]: error: message". An
  // Office file that cannot be read gives no module at all.
  std::vector<std::string> errors;
  // The VBA project's name when the first PATH is an Office file.
  std::optional<std::wstring> project;
};

DocInputs GatherInputs(const std::vector<std::string>& paths, Encoding encoding);

// The one line of an Office file that sync --write leaves alone.
std::string OfficeWriteRefusal(const std::string& officePath);

}  // namespace tarnwick
