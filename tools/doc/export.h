// tarnwick-doc export: each module of Office files written as a module file,
// as the editor's File > Export writes it, so that it can be kept under version
// control, documented like any module file, and imported again.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarnwick {

struct ExportOptions {
  std::vector<std::string> files;  // Office files, UTF-8
  std::optional<std::string> out;  // the folder written into; the current one without
  bool force = false;              // replace files that exist
};

// Writes every module of every file that can be read and whose modules can all
// be written; when a file to write exists already and `force` is not given,
// writes nothing at all. Returns kDocDone or kDocBadInput.
int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tarnwick
