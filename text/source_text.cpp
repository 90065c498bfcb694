#include "text/source_text.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "text/utf.h"

namespace tarnwick {

namespace {

int32_t LineNumber(size_t index) {
  return static_cast<int32_t>(index + 1);
}

[[noreturn]] void ControlCharacter(unsigned code, size_t line) {
  throw InputError(ControlCharacterProblem(code), LineNumber(line));
}

[[noreturn]] void TooManyLines() {
  throw InputError("the text has more than " + std::to_string(kMostTextLines) +
                   " lines: no VBA module has");
}

// The code of the unit at `at` (one byte, or two in UTF-16).
unsigned UnitAt(std::string_view body, size_t at, std::optional<Encoding> encoding) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(body[i]); };
  if (encoding == Encoding::kUtf16Le) {
    return byte(at) | byte(at + 1) << 8;
  }
  if (encoding == Encoding::kUtf16Be) {
    return byte(at) << 8 | byte(at + 1);
  }
  return byte(at);
}

// Splits at the LF unit (one byte, or two in UTF-16); a CR unit just before it
// goes with the line end. Every other unit below U+0020 but tab is refused
// here: in UTF-8, windows-1252 and cp932 alike a byte below 0x20 is that
// control character, never part of another.
std::vector<SourceText::Span> SplitLines(std::string_view body, std::optional<Encoding> encoding) {
  const bool wide = encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be;
  const size_t unit = wide ? 2 : 1;
  std::vector<SourceText::Span> spans;
  if (!wide) {
    const auto lfs = static_cast<size_t>(std::count(body.begin(), body.end(), '\n'));
    if (lfs >= kMostTextLines) {
      TooManyLines();
    }
    spans.reserve(lfs + 1);
  }
  size_t start = 0;
  while (start < body.size()) {
    // The line's end: the next LF unit, or the end of the body.
    size_t at = start;
    for (; at + unit <= body.size(); at += unit) {
      const unsigned code =
          wide ? UnitAt(body, at, encoding) : static_cast<unsigned char>(body[at]);
      if (code >= 0x20 || code == '\t') {
        continue;
      }
      if (code == '\n') {
        break;
      }
      // A CR goes with the line end only just before an LF.
      if (code != '\r' || at + 2 * unit > body.size() ||
          UnitAt(body, at + unit, encoding) != '\n') {
        ControlCharacter(code, spans.size());
      }
    }
    const bool ended = at + unit <= body.size();
    const size_t end = ended ? at : body.size();  // an odd byte stays in the last line
    const size_t contentEnd =
        ended && end - start >= unit && UnitAt(body, end - unit, encoding) == '\r' ? end - unit
                                                                                   : end;
    const size_t next = ended ? end + unit : body.size();
    if (spans.size() == kMostTextLines) {
      TooManyLines();
    }
    spans.push_back({start, static_cast<uint32_t>(contentEnd - start),
                     static_cast<uint32_t>(next - contentEnd)});
    start = next;
  }
  return spans;
}

// Decodes every line; the first that fails throws with its 0-based index.
struct LineError {
  size_t line;
  std::string what;
};

std::vector<std::wstring> DecodeLines(const SourceText& source) {
  std::vector<std::wstring> lines;
  lines.reserve(source.spans.size());
  for (size_t i = 0; i < source.spans.size(); ++i) {
    try {
      lines.push_back(Decode(source.Bytes(i), source.encoding));
    } catch (const EncodingError& error) {
      throw LineError{i, error.what()};
    }
  }
  return lines;
}

}  // namespace

std::string ControlCharacterProblem(unsigned code) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("the control character U+00") + kDigits[(code >> 4) & 0xF] +
         kDigits[code & 0xF] + " stands in the text: not a VBA module";
}

size_t FindControlCharacter(std::wstring_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] < 0x20 && line[i] != L'\t') {
      return i;
    }
  }
  return std::wstring_view::npos;
}

void SourceText::Append(std::wstring line, std::string_view end) {
  const size_t start = body.size();
  if (std::all_of(line.begin(), line.end(), [](wchar_t unit) { return unit < 0x80; })) {
    body.append(line.begin(), line.end());  // ASCII, most lines of code: its bytes as they are
  } else {
    body += WideToUtf8(line);
  }
  spans.push_back(
      {start, static_cast<uint32_t>(body.size() - start), static_cast<uint32_t>(end.size())});
  body += end;
  lines.push_back(std::move(line));
}

SourceText DecodeSourceText(const std::string& bytes, Encoding fallback) {
  if (bytes.size() > kLargestModuleText) {
    throw InputError("the text is larger than " + std::to_string(kLargestModuleText >> 20) +
                     " MiB: no VBA module is");
  }
  SourceText source;
  std::optional<Encoding> marked;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    marked = Encoding::kUtf8;
    source.byteOrderMark = bytes.substr(0, 3);
  } else if (bytes.starts_with("\xFF\xFE")) {
    marked = Encoding::kUtf16Le;
    source.byteOrderMark = bytes.substr(0, 2);
  } else if (bytes.starts_with("\xFE\xFF")) {
    marked = Encoding::kUtf16Be;
    source.byteOrderMark = bytes.substr(0, 2);
  }
  // Split (and refused) before anything is copied.
  const std::string_view body = std::string_view(bytes).substr(source.byteOrderMark.size());
  source.spans = SplitLines(body, marked);
  source.body = body;
  source.encoding = marked.value_or(Encoding::kUtf8);
  try {
    try {
      source.lines = DecodeLines(source);
    } catch (const LineError&) {
      if (marked || fallback == Encoding::kUtf8) {
        throw;
      }
      source.encoding = fallback;
      source.lines = DecodeLines(source);
    }
  } catch (const LineError& error) {
    throw InputError(error.what + " (read as " + EncodingName(source.encoding) + ")",
                     LineNumber(error.line));
  }
  return source;
}

std::string ModuleText(const std::vector<std::wstring>& lines) {
  std::string out;
  for (const std::wstring& line : lines) {
    out += WideToUtf8(line);
    out += '\n';
  }
  return out;
}

}  // namespace tarnwick
