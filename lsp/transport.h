// The base protocol's framing: a header of "Name: value" lines ended by an
// empty line, then exactly Content-Length bytes of body. Other headers are
// ignored. Every read is bounded: a header line, the number of header lines
// and a body's size have limits, and a body past its limit is reported at
// once and skipped unread on the next read.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace tarnwick::lsp {

struct Frame {
  enum class Kind {
    kMessage,    // body holds the message
    kTooLarge,   // the body is longer than the limit; the next read skips it
    kBadHeader,  // the header could not be read; error says why
    kEnd,        // the input ended
  };
  Kind kind = Kind::kEnd;
  std::string body;
  std::string error;
};

class FrameReader {
 public:
  static constexpr size_t kMaxHeaderLine = 4096;
  static constexpr int kMaxHeaderLines = 32;

  FrameReader(std::istream& in, size_t maxBody) : in(in), maxBody(maxBody) {}
  Frame Next();

 private:
  // One header line without its CR LF (or LF); false at the end of input.
  bool ReadHeaderLine(std::string& line, bool& tooLong);
  // Reads past the body of a message that was too large; false at the end.
  bool SkipBody();

  std::istream& in;
  const size_t maxBody;
  size_t skip = 0;
};

// Writes one framed message and flushes.
void WriteFrame(std::ostream& out, std::string_view body);

}  // namespace tarnwick::lsp
