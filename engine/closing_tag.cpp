// Typing '>' after an opening tag inserts its closing tag.
#include "engine/comment_engine.h"
#include "engine/positions.h"
#include "engine/text_helpers.h"

namespace tarnwick {

std::wstring FindOpeningTagName(const std::wstring& text, int32_t position) {
  const size_t marker = FindCommentMarker(text);
  if (marker == std::wstring::npos) {
    return std::wstring();
  }
  const int64_t s = static_cast<int64_t>(marker) + 3;
  const int64_t length = static_cast<int64_t>(text.size());
  if (s > position || s >= length - 1) {
    return std::wstring();
  }
  // The '<' nearest to the '>', on this line and after the marker.
  const int64_t from = position - 1 < length - 1 ? int64_t{position} - 1 : length - 1;
  size_t open = std::wstring::npos;
  for (int64_t i = from; i >= s; --i) {
    if (text[static_cast<size_t>(i)] == L'<') {
      open = static_cast<size_t>(i);
      break;
    }
  }
  if (open == std::wstring::npos || IsNameStopAt(text, open + 1)) {
    return std::wstring();
  }
  const size_t close = text.find(L'>', static_cast<size_t>(position));
  const std::wstring tagText =
      text.substr(open + 1, close == std::wstring::npos ? std::wstring::npos : close - open - 1);
  size_t nameEnd = 0;
  while (!IsNameStopAt(tagText, nameEnd)) {
    ++nameEnd;
  }
  return tagText.substr(0, nameEnd);
}

void CommentEngine::CompleteClosingTag(int32_t line, int32_t column) {
  std::wstring text;
  pane->GetLine(line, text);
  const std::wstring name = FindOpeningTagName(text, Offset(column, -2));
  if (name.empty()) {
    return;
  }
  // A '/' before the '>' makes the tag self-closing: it needs no partner.
  const size_t beforeTyped = IndexAt(column, -3, text.size());
  if (beforeTyped != std::wstring::npos && text[beforeTyped] == L'/') {
    return;
  }
  // Throws std::out_of_range when the caret is past the end of the line.
  text.insert(static_cast<size_t>(Offset(column, -1)), L"</" + name + L">");
  pane->ReplaceLine(line, text);
  pane->SetCaret(line, column);
}

}  // namespace tarnwick
