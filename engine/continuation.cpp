// Enter inside a documentation block: the new line continues the block.
#include <stdexcept>

#include "engine/comment_engine.h"
#include "engine/positions.h"
#include "engine/text_helpers.h"
#include "engine/typed_space.h"

namespace tarnwick {

void CommentEngine::ContinueCommentLine(int32_t line, int32_t markerColumn) {
  std::wstring caretLine;
  pane->GetLine(line, caretLine);
  const size_t marker = FindCommentMarker(caretLine);
  if (marker == std::wstring::npos) {
    // The editor took the marker away while handling the Enter.
    throw std::out_of_range("invalid string position");
  }
  const std::wstring prefix = caretLine.substr(0, marker) + CommentMarker;

  const int32_t newLine = Offset(line, 1);
  std::wstring moved;
  pane->GetLine(newLine, moved);
  const int32_t caretColumn = Offset(markerColumn, 4);
  if (moved.empty()) {
    pane->ReplaceLine(newLine, prefix);
    pane->SetCaret(newLine, caretColumn);
    TypeSpaceInto(window);
  } else {
    pane->ReplaceLine(newLine, prefix + L" " + moved);
    pane->SetCaret(newLine, caretColumn);
  }
}

}  // namespace tarnwick
