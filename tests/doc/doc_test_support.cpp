#include "tests/doc/doc_test_support.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

#include "files/read_file.h"
#include "text/source_text.h"
#include "tools/doc/doc_command.h"

namespace tarnwick {

DocModule ModuleOf(const std::string& bytes, Encoding fallback) {
  return ReadDocModule("M.bas", bytes, fallback, L"M");
}

std::vector<std::string> Lines(const std::vector<Finding>& findings) {
  std::vector<std::string> lines;
  for (const Finding& finding : findings) {
    lines.push_back(std::to_string(finding.line) + ": " +
                    (finding.code.empty() ? "" : finding.code + " ") + finding.message);
  }
  return lines;
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> count{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path = std::filesystem::temp_directory_path() /
         ("tarnwick-doc-test-" + std::to_string(stamp) + "-" + std::to_string(++count));
  std::filesystem::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

std::string ScratchFolder::Utf8(const std::string& name) const {
  const std::u8string text = (path / name).generic_u8string();
  return std::string(text.begin(), text.end());
}

std::string ScratchFolder::Write(const std::string& name, const std::string& bytes) const {
  std::filesystem::create_directories((path / name).parent_path());
  std::ofstream(path / name, std::ios::binary) << bytes;
  return Utf8(name);
}

std::string ScratchFolder::Read(const std::string& name) const {
  return ReadFileBytes(path / name);
}

DocRun RunDoc(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  DocRun run;
  run.status = RunDocCommand(arguments, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace tarnwick
