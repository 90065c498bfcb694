// Helpers of the tarnwick-doc tests: modules from text, a scratch folder, and
// a run of the command line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "documentation/module.h"

namespace tarnwick {

// A module read from `bytes` as the file "M.bas" (windows-1252 unless UTF-8).
DocModule ModuleOf(const std::string& bytes, Encoding fallback = Encoding::kWindows1252);

// "LINE: CODE message" per finding (the code left out when empty).
std::vector<std::string> Lines(const std::vector<Finding>& findings);

// A folder of its own under the system's temporary folder, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path; }
  // Writes `bytes` to `name` in the folder and returns the file's path as UTF-8.
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  std::string Utf8(const std::string& name) const;

 private:
  std::filesystem::path path;
};

struct DocRun {
  int status = 0;
  std::string out;
  std::string err;
};
DocRun RunDoc(const std::vector<std::string>& arguments);

}  // namespace tarnwick
