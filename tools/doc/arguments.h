// What tarnwick-doc's command line asked for, once parsed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "documentation/check.h"
#include "documentation/settings_file.h"
#include "text/encoding.h"
#include "tools/doc/check_report.h"

namespace tarnwick {

struct Arguments {
  std::optional<std::string> project;
  Encoding encoding = Encoding::kWindows1252;
  std::optional<std::string> out;
  bool write = false;
  bool descriptions = false;
  bool force = false;
  ReportFormat format = ReportFormat::kText;
  CheckOptions check;
  std::vector<std::string> paths;  // UTF-8, as given
  // The project's settings file found for the first PATH: its values stand
  // where no flag was given, and its exclude patterns apply to folders.
  std::optional<SettingsFile> settingsFile;
};

}  // namespace tarnwick
