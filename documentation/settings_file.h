// A project's settings file, `.tarnwick`, shared by tarnwick-doc and the
// language server: the nearest one found walking up from a module file's
// folder to the root holds. UTF-8 lines "key = value"; blank lines and lines
// starting with '#' or ';' are comments. Keys:
//   encoding = windows-1252 | cp932      (as --encoding)
//   missing = public | all | none         (as check --missing)
//   ignore = TWD003, TWD015               (as check --ignore)
//   exclude = build/**, vendor/*.bas      (left out when a folder is searched;
//                                          relative to the file's folder, '*'
//                                          within a name, '**' across folders)
//   descriptions = true | false           (as sync --descriptions)
// An unknown key or a value that cannot be used is left out with a warning.
// Text in, values out: the caller reads the file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documentation/check.h"
#include "documentation/module.h"
#include "text/encoding.h"

namespace tarnwick {

inline constexpr char kSettingsFileName[] = ".tarnwick";

struct ProjectSettings {
  std::optional<Encoding> encoding;
  std::optional<MissingBlocks> missing;
  std::optional<std::vector<std::string>> ignore;
  std::vector<std::string> exclude;
  std::optional<bool> descriptions;
};

struct SettingsFile {
  std::string path;    // UTF-8, '/' between folders
  std::string folder;  // the folder that holds it; exclude patterns start here
  ProjectSettings settings;
  std::vector<Finding> warnings;  // "unknown key 'x'", with the line
};

SettingsFile ParseSettingsFile(std::string path, std::string_view text);

// The settings file for a module file or a folder (`isFolder`): the nearest
// `.tarnwick` in the path's folder (the folder itself) or above it. `read`
// answers a file's text, or nullopt when there is no such file.
std::optional<SettingsFile> FindSettingsFile(
    const std::string& path, bool isFolder,
    const std::function<std::optional<std::string>(const std::string& file)>& read);

// `*` within a name, `**` across folders (none included).
bool GlobMatches(std::string_view pattern, std::string_view relativePath);
// True when an exclude pattern of the file matches `path` (a file, or a folder
// when `isFolder`, whose every file it would match).
bool IsExcluded(const SettingsFile& settings, const std::string& path, bool isFolder);
// The same for patterns relative to `folder`.
bool IsExcluded(const std::vector<std::string>& patterns, const std::string& folder,
                const std::string& path, bool isFolder);

}  // namespace tarnwick
