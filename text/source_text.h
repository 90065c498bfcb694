// Reading module files: bytes, line ends and encodings, shared by the tools
// and the editor host.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace tarnwick {

// Bad input; `line` is the 1-based line it was found on, or 0.
class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& what, int32_t line = 0)
      : std::runtime_error(what), line(line) {}
  int32_t line;
};

// A module file's text line by line, with the bytes each line came from, so
// that a line can be rewritten alone and every other one written back as it was.
struct SourceText {
  Encoding encoding = Encoding::kUtf8;
  std::string byteOrderMark;        // as it stood, or empty
  std::vector<std::wstring> lines;  // decoded, without line ends
  std::vector<std::string> bytes;   // each line's bytes, without its line end
  std::vector<std::string> ends;    // each line's end as bytes: CR LF, LF, or empty
};

// The largest file read: no module or Office file comes near it.
inline constexpr std::uintmax_t kLargestFileRead = std::uintmax_t{1} << 30;  // 1 GiB

// The whole file; throws InputError "cannot read the file" (without the path),
// and for a file larger than kLargestFileRead, before reading any of it.
std::string ReadFileBytes(const std::filesystem::path& path);

// Splits at LF (a CR before it goes with the line end) and decodes each line.
// A byte-order mark decides the encoding (UTF-8 or UTF-16); otherwise text that
// is valid UTF-8 is read as UTF-8, and any other as `fallback`. A final line
// end does not start another line. Throws InputError with the line for bytes
// that cannot be decoded and for control characters other than tab, which no
// module holds.
SourceText DecodeSourceText(const std::string& bytes, Encoding fallback);

// Reads a UTF-8 file with LF or CRLF line ends and an optional BOM. Throws
// InputError naming the file and the problem.
std::vector<std::wstring> ReadModuleFile(const std::string& path);

// The lines as UTF-8, each ended by LF.
std::string ModuleText(const std::vector<std::wstring>& lines);

}  // namespace tarnwick
