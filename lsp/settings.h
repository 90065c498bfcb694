// What the server checks and reads by: the client's settings (its
// initialization options and workspace/didChangeConfiguration), under which a
// project's settings file, found for each module, takes precedence.
#pragma once

#include <string>
#include <vector>

#include "documentation/check.h"
#include "text/encoding.h"

namespace tarnwick::lsp {

struct ServerSettings {
  Encoding encoding = Encoding::kWindows1252;  // of module files that are not UTF-8
  CheckOptions check;
  std::vector<std::string> exclude;  // patterns, relative to each workspace folder
  bool descriptions = false;         // sync adds VB_Description lines
};

}  // namespace tarnwick::lsp
