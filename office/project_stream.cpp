#include "office/project_stream.h"

#include "text/ascii.h"

namespace tarnwick::office {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  return text;
}

}  // namespace

std::vector<ProjectModuleLine> ParseProjectStream(std::string_view text) {
  std::vector<ProjectModuleLine> modules;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    const std::string_view line = Trimmed(text.substr(at, end - at));
    at = end + 1;
    if (!line.empty() && line.front() == '[') {
      break;  // [Host Extender Info], [Workspace]: no module lines follow
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = Trimmed(line.substr(0, equals));
    std::string_view value = Trimmed(line.substr(equals + 1));
    ModuleKind kind;
    if (EqualsIgnoringAsciiCase(key, "Module")) {
      kind = ModuleKind::kStandard;
    } else if (EqualsIgnoringAsciiCase(key, "Class")) {
      kind = ModuleKind::kClass;
    } else if (EqualsIgnoringAsciiCase(key, "BaseClass")) {
      kind = ModuleKind::kForm;
    } else if (EqualsIgnoringAsciiCase(key, "Document")) {
      kind = ModuleKind::kDocument;
      value = value.substr(0, value.find('/'));
    } else {
      continue;
    }
    modules.push_back({std::string(value), kind});
  }
  return modules;
}

}  // namespace tarnwick::office
