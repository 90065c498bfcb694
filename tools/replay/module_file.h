// Reading a module file and writing a module's text.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick {

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a UTF-8 file with LF or CRLF line ends and an optional BOM. A final
// line end does not start another line. Throws InputError naming the problem.
std::vector<std::wstring> ReadModuleFile(const std::string& path);

// The lines as UTF-8, each ended by LF.
std::string ModuleText(const std::vector<std::wstring>& lines);

}  // namespace tarnwick
