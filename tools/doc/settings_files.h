// The settings files of one run: each module file and each folder searched is
// governed by the nearest `.tarnwick` at or above its folder
// (documentation/settings_file.h), and the command line's flags win over it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "documentation/check.h"
#include "documentation/settings_file.h"
#include "text/encoding.h"
#include "tools/doc/arguments.h"

namespace tarnwick {

// What one module is read, checked and synced with.
struct ModuleOptions {
  Encoding encoding = Encoding::kWindows1252;  // of a module file that is not UTF-8
  CheckOptions check;
  bool descriptions = false;
};

// The command line's value where it gave the flag, else the settings file's
// (null: none), else the default.
ModuleOptions OptionsFor(const Arguments& arguments, const SettingsFile* file);

// Finds and reads the settings files, each once, and says each one's warnings
// once on `err`. Not for use from more than one thread.
class SettingsFiles {
 public:
  explicit SettingsFiles(std::ostream& err) : err(err) {}
  SettingsFiles(const SettingsFiles&) = delete;
  SettingsFiles& operator=(const SettingsFiles&) = delete;

  // The settings file for what `folder` holds: the nearest at or above it;
  // null when there is none. A relative folder is taken from the current one.
  const SettingsFile* ForFolder(const std::filesystem::path& folder);
  // The same for a file: its folder's.
  const SettingsFile* ForFile(const std::filesystem::path& file);

 private:
  std::optional<std::string> Read(const std::string& path);

  std::ostream& err;
  std::map<std::string, std::optional<std::string>> texts;  // each file looked for
  std::map<std::string, SettingsFile> files;                // by the file's path
  std::map<std::string, const SettingsFile*> folders;
};

}  // namespace tarnwick
