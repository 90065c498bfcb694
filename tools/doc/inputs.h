// The modules a command works on, from the PATHs of its command line: module
// files, the module files of folders (read recursively, in path order), and
// the modules of Office files. An Office file is known by its content, not by
// its name, and read only where it is named; its modules are read as their
// export would read (documentation/exported_module.h). Files are read on
// every core at once.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "documentation/module.h"
#include "documentation/settings_file.h"
#include "text/encoding.h"

namespace tarnwick {

class SettingsFiles;

struct LoadOptions {
  Encoding encoding = Encoding::kWindows1252;  // of module files that are not UTF-8
  // The encoding for a module file under a settings file (null: none), where
  // it may differ from `encoding`; unset: `encoding` everywhere.
  std::function<Encoding(const SettingsFile*)> encodingUnder;
  // Every PATH is an Office file (a folder or a module file is refused as
  // one), and its modules are split into lines but not parsed: what export
  // needs. Otherwise every module is parsed.
  bool officeFilesOnly = false;
  // Finds the settings file of each file; the patterns of each folder's leave
  // files and folders out of its search. Null: none is looked for.
  SettingsFiles* settings = nullptr;
};

struct Inputs {
  // Each module with its origin, in the order of the command line.
  std::vector<DocModule> modules;
  // What could not be read, one line each: "FILE[:LINE]: error: message". An
  // Office file that cannot be read gives no module at all.
  std::vector<std::string> errors;
  // Every file named or found, read or not: what no output may replace.
  std::vector<std::filesystem::path> files;
  // For each module, the settings file that holds for its file, or null; held
  // by the options' SettingsFiles.
  std::vector<const SettingsFile*> settings;
  // The VBA project's name when the first PATH is an Office file.
  std::optional<std::wstring> project;
};

Inputs LoadInputs(const std::vector<std::string>& paths, const LoadOptions& options);

}  // namespace tarnwick
