#include "text/source_text.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>

#include "text/utf.h"

namespace tarnwick {

namespace {

struct Split {
  std::vector<std::string> bytes;
  std::vector<std::string> ends;
};

// Splits at the LF unit (one byte, or two in UTF-16); a CR unit just before it
// goes with the line end.
Split SplitLines(std::string_view body, std::optional<Encoding> encoding) {
  const bool wide = encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be;
  const size_t unit = wide ? 2 : 1;
  const std::string lf = !wide                            ? "\n"
                         : encoding == Encoding::kUtf16Le ? std::string("\n\0", 2)
                                                          : std::string("\0\n", 2);
  const std::string cr = !wide                            ? "\r"
                         : encoding == Encoding::kUtf16Le ? std::string("\r\0", 2)
                                                          : std::string("\0\r", 2);
  Split split;
  size_t lines = 1;
  for (const char* at = body.data();
       (at = static_cast<const char*>(std::memchr(at, '\n', body.data() + body.size() - at))) !=
       nullptr;
       ++at) {
    ++lines;
  }
  split.bytes.reserve(lines);
  split.ends.reserve(lines);
  size_t start = 0;
  while (start < body.size()) {
    size_t end = start;
    if (!wide) {
      end = std::min(body.find('\n', start), body.size());
    }
    while (end + unit <= body.size() && body.compare(end, unit, lf) != 0) {
      end += unit;
    }
    if (end + unit > body.size()) {
      end = body.size();  // the last line, without a line end (an odd byte stays in it)
    }
    size_t contentEnd = end;
    if (end < body.size() && end - start >= unit && body.compare(end - unit, unit, cr) == 0) {
      contentEnd -= unit;
    }
    const size_t next = std::min(end + unit, body.size());
    split.bytes.emplace_back(body.substr(start, contentEnd - start));
    split.ends.emplace_back(body.substr(contentEnd, next - contentEnd));
    start = next;
  }
  return split;
}

// Decodes every line; the first that fails throws with its 0-based index.
struct LineError {
  size_t line;
  std::string what;
};

std::vector<std::wstring> DecodeLines(const std::vector<std::string>& bytes, Encoding encoding) {
  std::vector<std::wstring> lines;
  lines.reserve(bytes.size());
  for (const std::string& line : bytes) {
    try {
      lines.push_back(Decode(line, encoding));
    } catch (const EncodingError& error) {
      throw LineError{lines.size(), error.what()};
    }
  }
  return lines;
}

int32_t LineNumber(size_t index) {
  return static_cast<int32_t>(index + 1);
}

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw InputError("cannot read the file: it is a folder");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw InputError("cannot read the file");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kLargestFileRead) {
    throw InputError("the file is larger than 1 GiB: no module or Office file is");
  }
  // In blocks rather than a character at a time: files are read whole.
  std::string bytes;
  char buffer[1 << 16];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    bytes.append(buffer, static_cast<size_t>(file.gcount()));
    if (bytes.size() > kLargestFileRead) {
      throw InputError("the file is larger than 1 GiB: no module or Office file is");
    }
  }
  if (file.bad()) {
    throw InputError("cannot read the file");
  }
  return bytes;
}

SourceText DecodeSourceText(const std::string& bytes, Encoding fallback) {
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
  Split split = SplitLines(std::string_view(bytes).substr(source.byteOrderMark.size()), marked);
  source.encoding = marked.value_or(Encoding::kUtf8);
  try {
    try {
      source.lines = DecodeLines(split.bytes, source.encoding);
    } catch (const LineError&) {
      if (marked || fallback == Encoding::kUtf8) {
        throw;
      }
      source.encoding = fallback;
      source.lines = DecodeLines(split.bytes, source.encoding);
    }
  } catch (const LineError& error) {
    throw InputError(error.what + " (read as " + EncodingName(source.encoding) + ")",
                     LineNumber(error.line));
  }
  for (size_t i = 0; i < source.lines.size(); ++i) {
    for (const wchar_t c : source.lines[i]) {
      if (c < 0x20 && c != L'\t') {
        throw InputError(std::string("the control character U+00") + "0123456789ABCDEF"[c >> 4] +
                             "0123456789ABCDEF"[c & 0xF] + " stands in the text: not a VBA module",
                         LineNumber(i));
      }
    }
  }
  source.bytes = std::move(split.bytes);
  source.ends = std::move(split.ends);
  return source;
}

std::vector<std::wstring> ReadModuleFile(const std::string& path) {
  try {
    return DecodeSourceText(ReadFileBytes(path), Encoding::kUtf8).lines;
  } catch (const InputError& error) {
    const std::string line = error.line > 0 ? "line " + std::to_string(error.line) + ": " : "";
    throw InputError("module file '" + path + "': " + line + error.what());
  }
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
