// One open document as the client edits it: lines of UTF-16 text, each with the
// line end it had, so that the text can be given back exactly as it was built.
// Positions are 0-based lines and UTF-16 code units, the protocol's own units
// and the engine's. CR LF, a lone CR and a lone LF each end a line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vba/module.h"

namespace tarnwick::lsp {

struct TextPosition {
  int64_t line = 0;
  int64_t character = 0;
  friend bool operator==(const TextPosition&, const TextPosition&) = default;
  friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

struct TextRange {
  TextPosition start;
  TextPosition end;
  friend bool operator==(const TextRange&, const TextRange&) = default;
};

class TextDocument {
 public:
  TextDocument() : TextDocument(std::wstring_view()) {}
  explicit TextDocument(std::wstring_view text);

  // Replaces the text between two positions. Each position is clamped first: a
  // line past the last means the end of the text, a character past a line's
  // end means that end; an end before the start is taken as the start.
  void Replace(TextRange range, std::wstring_view text);
  void SetText(std::wstring_view text);

  std::wstring Text() const;
  // Lines 1..LineCount(), as the code pane reads them; never fewer than one.
  const Module& Lines() const { return module; }
  int32_t LineCount() const { return module.LineCount(); }
  // 0-based; empty text for a line that does not exist.
  const std::wstring& Line(int64_t line) const;
  // The line end after a 0-based line: "" for the last line.
  std::wstring_view LineEnd(int64_t line) const;
  // The line end new lines get: the first line's, or LF when there is none.
  std::wstring_view PreferredLineEnd() const;
  TextPosition Clamp(TextPosition position) const;

 private:
  Module module;
  std::vector<uint8_t> ends;  // one per line; the last is always kNone
};

}  // namespace tarnwick::lsp
