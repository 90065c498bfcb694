#include "tools/doc/settings_files.h"

#include <algorithm>
#include <system_error>

#include "files/read_file.h"
#include "text/source_text.h"
#include "tools/doc/doc_paths.h"

namespace tarnwick {

namespace {

bool Given(const Arguments& arguments, std::string_view flag) {
  return std::find(arguments.given.begin(), arguments.given.end(), flag) != arguments.given.end();
}

}  // namespace

ModuleOptions OptionsFor(const Arguments& arguments, const SettingsFile* file) {
  ModuleOptions options{arguments.encoding, arguments.check, arguments.descriptions};
  if (file == nullptr) {
    return options;
  }
  const ProjectSettings& settings = file->settings;
  if (settings.encoding && !Given(arguments, "--encoding")) {
    options.encoding = *settings.encoding;
  }
  if (settings.missing && !Given(arguments, "--missing")) {
    options.check.missing = *settings.missing;
  }
  if (settings.ignore && !Given(arguments, "--ignore")) {
    options.check.ignored = *settings.ignore;
  }
  if (settings.descriptions && !Given(arguments, "--descriptions")) {
    options.descriptions = *settings.descriptions;
  }
  return options;
}

const SettingsFile* SettingsFiles::ForFolder(const std::filesystem::path& folder) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  if (error) {
    return nullptr;
  }
  std::string key = Shown(absolute.lexically_normal());
  while (key.size() > 1 && key.back() == '/') {
    key.pop_back();
  }
  const auto known = folders.find(key);
  if (known != folders.end()) {
    return known->second;
  }
  const SettingsFile* found = nullptr;
  std::optional<SettingsFile> file =
      FindSettingsFile(key, true, [this](const std::string& path) { return Read(path); });
  if (file) {
    auto [at, added] = files.try_emplace(file->path, std::move(*file));
    if (added) {
      for (const Finding& warning : at->second.warnings) {
        err << Located(at->second.path, warning) << "\n";
      }
    }
    found = &at->second;
  }
  folders.emplace(key, found);
  return found;
}

const SettingsFile* SettingsFiles::ForFile(const std::filesystem::path& file) {
  std::error_code error;
  return ForFolder(std::filesystem::absolute(file, error).parent_path());
}

std::optional<std::string> SettingsFiles::Read(const std::string& path) {
  const auto known = texts.find(path);
  if (known != texts.end()) {
    return known->second;
  }
  std::optional<std::string> text;
  std::error_code ignored;
  if (std::filesystem::is_regular_file(PathOf(path), ignored)) {
    try {
      text = ReadFileBytes(PathOf(path));
    } catch (const InputError&) {
      // Unreadable: as if there were none.
    }
  }
  texts.emplace(path, text);
  return text;
}

}  // namespace tarnwick
