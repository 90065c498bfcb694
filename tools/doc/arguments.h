// What tarnwick-doc's command line asked for, once parsed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "documentation/check.h"
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
  // The options the command line gave ("--encoding"): each wins over what a
  // project's settings file says (tools/doc/settings_files.h).
  std::vector<std::string> given;
};

}  // namespace tarnwick
