#include "documentation/settings_file.h"

#include "documentation/check_rules.h"
#include "text/ascii.h"

namespace tarnwick {
namespace {

std::string_view Trim(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) {
    return {};
  }
  return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

std::vector<std::string> List(std::string_view value) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(',', start);
    const std::string_view item = Trim(value.substr(start, comma - start));
    if (!item.empty()) {
      items.emplace_back(item);
    }
    if (comma == std::string_view::npos) {
      return items;
    }
    start = comma + 1;
  }
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Joined(const std::string& folder, const char* name) {
  return folder == "/" ? folder + name : folder + "/" + name;
}

}  // namespace

SettingsFile ParseSettingsFile(std::string path, std::string_view text) {
  SettingsFile file;
  file.folder = FolderOf(path);
  file.path = std::move(path);
  ProjectSettings& settings = file.settings;
  int32_t number = 0;
  size_t start = 0;
  // A byte-order mark is no part of the first key.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    start = 3;
  }
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    const std::string_view line = Trim(text.substr(start, end - start));
    ++number;
    start = end == std::string_view::npos ? text.size() + 1 : end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') {
      continue;
    }
    auto warn = [&](const std::string& message) {
      file.warnings.push_back({number, {}, "warning: " + message});
    };
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      warn("not a \"key = value\" line; left out");
      continue;
    }
    const std::string key = ToAsciiLower(Trim(line.substr(0, equals)));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key == "encoding") {
      const auto encoding = EncodingNamed(value);
      if (encoding) {
        settings.encoding = *encoding;
      } else {
        warn("unknown encoding '" + std::string(value) + "' (windows-1252 or cp932); left out");
      }
    } else if (key == "missing") {
      const std::string which = ToAsciiLower(value);
      if (which == "public") {
        settings.missing = MissingBlocks::kPublic;
      } else if (which == "all") {
        settings.missing = MissingBlocks::kAll;
      } else if (which == "none") {
        settings.missing = MissingBlocks::kNone;
      } else {
        warn("missing must be public, all or none; left out");
      }
    } else if (key == "ignore") {
      std::vector<std::string> codes;
      for (std::string& code : List(value)) {
        code = ToAsciiUpper(code);
        if (FindCheckRule(code) == nullptr) {
          warn("no rule has the code '" + code + "'; left out");
        } else {
          codes.push_back(std::move(code));
        }
      }
      settings.ignore = std::move(codes);
    } else if (key == "exclude") {
      for (std::string& pattern : List(value)) {
        settings.exclude.push_back(std::move(pattern));
      }
    } else if (key == "descriptions") {
      const std::string flag = ToAsciiLower(value);
      if (flag == "true" || flag == "false") {
        settings.descriptions = flag == "true";
      } else {
        warn("descriptions must be true or false; left out");
      }
    } else {
      warn("unknown key '" + key + "'; left out");
    }
  }
  return file;
}

std::optional<SettingsFile> FindSettingsFile(
    const std::string& path, bool isFolder,
    const std::function<std::optional<std::string>(const std::string& file)>& read) {
  std::string folder = isFolder ? path : FolderOf(path);
  while (folder.size() > 1 && folder.back() == '/') {
    folder.pop_back();
  }
  // A bounded walk: no path has more folders than characters.
  for (size_t step = 0; step <= path.size() + 1; ++step) {
    const std::string candidate = Joined(folder, kSettingsFileName);
    if (auto text = read(candidate)) {
      return ParseSettingsFile(candidate, *text);
    }
    const std::string parent = FolderOf(folder);
    if (parent == folder || folder == "." || folder.empty()) {
      break;
    }
    folder = parent;
  }
  return std::nullopt;
}

bool GlobMatches(std::string_view pattern, std::string_view path) {
  if (pattern.empty()) {
    return path.empty();
  }
  if (pattern.substr(0, 2) == "**") {
    std::string_view rest = pattern.substr(2);
    if (rest.empty()) {
      return true;
    }
    if (rest[0] == '/') {
      rest.remove_prefix(1);
    }
    for (size_t i = 0; i <= path.size(); ++i) {
      if ((i == 0 || path[i - 1] == '/') && GlobMatches(rest, path.substr(i))) {
        return true;
      }
    }
    return false;
  }
  if (pattern[0] == '*') {
    for (size_t i = 0; i <= path.size(); ++i) {
      if (GlobMatches(pattern.substr(1), path.substr(i))) {
        return true;
      }
      if (i < path.size() && path[i] == '/') {
        break;
      }
    }
    return false;
  }
  return !path.empty() && (pattern[0] == '?' ? path[0] != '/' : pattern[0] == path[0]) &&
         GlobMatches(pattern.substr(1), path.substr(1));
}

bool IsExcluded(const std::vector<std::string>& patterns, const std::string& folder,
                const std::string& path, bool isFolder) {
  const std::string prefix = folder == "/" ? folder : folder + "/";
  if (path.compare(0, prefix.size(), prefix) != 0) {
    return false;  // not below the settings file's folder
  }
  std::string relative = path.substr(prefix.size());
  if (isFolder) {
    relative += '/';  // a folder goes when everything in it would
  }
  for (const std::string& pattern : patterns) {
    if (GlobMatches(pattern, relative)) {
      return true;
    }
  }
  return false;
}

bool IsExcluded(const SettingsFile& settings, const std::string& path, bool isFolder) {
  return IsExcluded(settings.settings.exclude, settings.folder, path, isFolder);
}

}  // namespace tarnwick
