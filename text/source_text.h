// Module text: bytes, line ends and encodings, shared by the tools and the
// editor host.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
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

// The editor holds at most 65,534 lines of code in a module. A module's text
// adds its header (Attribute lines and, in a form's file, the designer's
// description of its controls), so a text may hold twice that many lines; no
// real module comes near it, and each line costs memory of its own.
inline constexpr size_t kMostModuleLines = 65534;
inline constexpr size_t kMostTextLines = 2 * (kMostModuleLines + 1);

// The largest module text read, in bytes: twice the 16 MiB an Office file may
// hold for one module's source, so that the same module saved as UTF-16 fits.
inline constexpr size_t kLargestModuleText = size_t{32} << 20;

// A module's text line by line, with the bytes each line came from, so that a
// line can be rewritten alone and every other one written back as it was. Each
// line is held once decoded; its bytes and its end stay in `body`.
struct SourceText {
  Encoding encoding = Encoding::kUtf8;
  std::string byteOrderMark;        // as it stood, or empty
  std::vector<std::wstring> lines;  // decoded, without line ends

  // A line's bytes without its end, and its end: CR LF, LF (in the encoding's
  // units), or empty for a last line without one.
  std::string_view Bytes(size_t line) const { return Part(line, 0); }
  std::string_view End(size_t line) const { return Part(line, 1); }

  // Adds a line decoded elsewhere, held as UTF-8 bytes, with `end` after it.
  void Append(std::wstring line, std::string_view end);

  struct Span {
    size_t start = 0;  // in body
    uint32_t size = 0;
    uint32_t endSize = 0;
  };
  std::string body;  // the bytes after the byte-order mark
  std::vector<Span> spans;

 private:
  std::string_view Part(size_t line, int which) const {
    const Span& span = spans[line];
    return std::string_view(body).substr(which == 0 ? span.start : span.start + span.size,
                                         which == 0 ? span.size : span.endSize);
  }
};

// Splits at LF (a CR before it goes with the line end) and decodes each line.
// A byte-order mark decides the encoding (UTF-8 or UTF-16); otherwise text that
// is valid UTF-8 is read as UTF-8, and any other as `fallback`. A final line
// end does not start another line. Throws InputError, with the line where
// there is one, for text over kLargestModuleText bytes or kMostTextLines lines,
// for control characters other than tab, which no module holds (found while
// the text is split, before anything is decoded), and for bytes that cannot
// be decoded.
SourceText DecodeSourceText(const std::string& bytes, Encoding fallback);

// The rule DecodeSourceText holds, for text decoded elsewhere (a module read
// out of an Office file): where a line holds a control character other than
// tab, or npos; and what a message says of it.
size_t FindControlCharacter(std::wstring_view line);
std::string ControlCharacterProblem(unsigned code);

// The lines as UTF-8, each ended by LF.
std::string ModuleText(const std::vector<std::wstring>& lines);

}  // namespace tarnwick
