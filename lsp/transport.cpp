#include "lsp/transport.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "text/ascii.h"

namespace tarnwick::lsp {

bool FrameReader::ReadHeaderLine(std::string& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  for (;;) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) {
      return false;
    }
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      return true;
    }
    if (line.size() < kMaxHeaderLine) {
      line += static_cast<char>(c);
    } else {
      tooLong = true;
    }
  }
}

bool FrameReader::SkipBody() {
  while (skip > 0) {
    const size_t step = std::min<size_t>(skip, size_t{1} << 30);
    in.ignore(static_cast<std::streamsize>(step));
    const auto got = static_cast<size_t>(in.gcount());
    skip -= got;
    if (got < step) {
      skip = 0;
      return false;
    }
  }
  return true;
}

Frame FrameReader::Next() {
  if (!SkipBody()) {
    return Frame{};
  }
  Frame frame;
  std::string line;
  bool tooLong = false;
  bool sawLength = false;
  bool badLength = false;
  size_t length = 0;
  int lines = 0;
  bool any = false;
  for (;;) {
    if (!ReadHeaderLine(line, tooLong)) {
      return Frame{};  // the input ended, possibly inside a header
    }
    if (line.empty() && !tooLong) {
      if (!any) {
        continue;  // blank lines between messages
      }
      break;
    }
    any = true;
    if (++lines > kMaxHeaderLines || tooLong) {
      frame.kind = Frame::Kind::kBadHeader;
      frame.error = tooLong ? "a header line is too long" : "the header has too many lines";
      // The rest of this header is read and dropped.
      while (ReadHeaderLine(line, tooLong) && !line.empty()) {
      }
      return frame;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos ||
        !EqualsIgnoringAsciiCase(std::string_view(line).substr(0, colon), "Content-Length")) {
      continue;
    }
    size_t i = colon + 1;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
      ++i;
    }
    size_t end = line.size();
    while (end > i && (line[end - 1] == ' ' || line[end - 1] == '\t')) {
      --end;
    }
    sawLength = true;
    badLength = i == end;
    length = 0;
    for (size_t j = i; j < end && !badLength; ++j) {
      const char c = line[j];
      if (c < '0' || c > '9' || length > (std::numeric_limits<size_t>::max() - 9) / 10) {
        badLength = true;
      } else {
        length = length * 10 + static_cast<size_t>(c - '0');
      }
    }
  }
  if (!sawLength || badLength) {
    frame.kind = Frame::Kind::kBadHeader;
    frame.error = sawLength ? "the Content-Length header is not a number"
                            : "the header has no Content-Length";
    return frame;
  }
  if (length > maxBody) {
    frame.kind = Frame::Kind::kTooLarge;
    frame.error = "a message of " + std::to_string(length) + " bytes is longer than the limit of " +
                  std::to_string(maxBody) + " bytes";
    skip = length;  // skipped on the next read, after the error is answered
    return frame;
  }
  frame.body.resize(length);
  in.read(frame.body.data(), static_cast<std::streamsize>(length));
  if (static_cast<size_t>(in.gcount()) != length) {
    return Frame{};
  }
  frame.kind = Frame::Kind::kMessage;
  return frame;
}

void WriteFrame(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n";
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.flush();
}

}  // namespace tarnwick::lsp
