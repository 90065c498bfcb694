// How `check` prints its findings: lines for people, workflow commands for
// GitHub Actions, or one SARIF 2.1.0 log for code-scanning tools.
#pragma once

#include <string>
#include <vector>

#include "documentation/module.h"

namespace tarnwick {

enum class ReportFormat { kText, kGithub, kSarif };

// The findings of one file, as `check` made them.
struct FileFindings {
  std::string path;  // UTF-8, as the file was named
  std::vector<Finding> findings;
};

// The whole output: a line per finding, ended by LF (text, github), or the
// SARIF log with every rule and the tool's version.
std::string ReportFindings(ReportFormat format, const std::vector<FileFindings>& files);

// "::warning file=PATH,line=LINE,title=CODE::message", escaped as the runner
// reads it: '%', CR and LF everywhere, ':' and ',' in properties too.
std::string GithubCommand(const std::string& path, const Finding& finding);

// The path as a URI reference: relative ones stay relative, absolute ones
// become file: URIs; bytes outside the unreserved set are %-escaped.
std::string ArtifactUri(const std::string& path);

}  // namespace tarnwick
