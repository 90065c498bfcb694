// Tab inside a documentation block: from tag content to tag content, then to
// the end of the block, and round again.
#include <limits>
#include <stdexcept>

#include "engine/comment_engine.h"
#include "engine/positions.h"
#include "engine/text_helpers.h"
#include "engine/typed_space.h"

namespace tarnwick {

namespace {

// Is (line, column) at or before (otherLine, otherColumn)?
bool AtOrBefore(int32_t line, int32_t column, int32_t otherLine, int32_t otherColumn) {
  return line < otherLine || (line == otherLine && column <= otherColumn);
}

}  // namespace

int32_t CommentEngine::FindCommentBlockTop(int32_t line) {
  int32_t top = 0;
  std::wstring text;
  for (int32_t i = line; i > 0; --i) {
    pane->GetLine(i, text);
    if (FindCommentMarker(text) == std::wstring::npos) {
      break;
    }
    top = i;
  }
  return top;
}

void CommentEngine::CollectTagRanges(int32_t line, std::vector<TagRange>& ranges) {
  ranges.clear();
  const int32_t top = FindCommentBlockTop(line);
  if (top == 0) {
    return;
  }

  TagRange range;
  std::wstring openName;  // empty while no tag is open
  bool pending = false;   // an opening tag was seen and its range is not stored yet
  int32_t lastLine = top;
  std::wstring lastText;
  size_t lastMarker = 0;

  std::wstring text;
  for (int32_t i = top;; ++i) {
    pane->GetLine(i, text);
    const size_t marker = FindCommentMarker(text);
    if (marker == std::wstring::npos) {
      break;
    }
    lastLine = i;
    lastText = text;
    lastMarker = marker;

    size_t p = marker + 3;
    while (p < text.size()) {
      if (openName.empty()) {
        const size_t close = text.find(L'>', p);
        if (close == std::wstring::npos) {
          break;
        }
        size_t open = std::wstring::npos;
        for (size_t j = close; j > p;) {
          if (text[--j] == L'<') {
            open = j;
            break;
          }
        }
        if (open == std::wstring::npos || IsNameStopAt(text, open + 1)) {
          p = close + 1;
          continue;
        }
        range.startLine = i;
        range.startColumn = IndexPlus(close, 2);
        const std::wstring tagText = text.substr(open + 1, close - open - 1);
        range.name = tagText.substr(0, tagText.find_first_of(BlankChars));
        openName = range.name;
        pending = true;
        p = close + 1;
      } else {
        const size_t found = text.find(L"</" + openName, p);
        if (found == std::wstring::npos) {
          break;
        }
        range.endLine = i;
        range.endColumn = IndexPlus(found, 1);
        const size_t q = found + 2 + openName.size();
        if (q >= text.size() || !(IsBlank(text[q]) || text[q] == L'>')) {
          p = q + 1;
          continue;
        }
        const size_t close = text.find(L'>', q);
        if (close == std::wstring::npos) {
          break;
        }
        range.closed = true;
        ranges.push_back(range);
        range = TagRange();
        openName.clear();
        pending = false;
        p = close + 1;
      }
    }
    if (i == std::numeric_limits<int32_t>::max()) {
      break;
    }
  }

  if (pending) {
    range.endLine = lastLine;
    range.endColumn = IndexPlus(lastText.size(), 0);
    range.closed = false;
    ranges.push_back(range);
  }

  TagRange endOfBlock;
  const int32_t column =
      lastText.size() == lastMarker + 3 ? IndexPlus(lastMarker, 5) : IndexPlus(lastText.size(), 1);
  endOfBlock.startLine = endOfBlock.endLine = lastLine;
  endOfBlock.startColumn = endOfBlock.endColumn = column;
  endOfBlock.closed = true;
  ranges.push_back(endOfBlock);
}

int32_t CommentEngine::FindCurrentTagRange(int32_t line, int32_t column,
                                           const std::vector<TagRange>& ranges) {
  std::wstring text;
  pane->GetLine(line, text);
  const size_t marker = FindCommentMarker(text);
  if (marker == std::wstring::npos || column < static_cast<int64_t>(marker) + 4) {
    return -1;
  }
  for (size_t i = 0; i < ranges.size(); ++i) {
    const TagRange& r = ranges[i];
    if (AtOrBefore(r.startLine, r.startColumn, line, column) &&
        AtOrBefore(line, column, r.endLine, r.endColumn)) {
      return IndexPlus(i, 0);
    }
  }
  return -1;
}

bool CommentEngine::MoveToNextTag(int32_t line, int32_t column,
                                  const std::vector<TagRange>& ranges) {
  if (ranges.empty()) {
    throw std::out_of_range("invalid vector subscript");
  }
  const int32_t current = FindCurrentTagRange(line, column, ranges);
  const size_t next =
      (current < 0 || static_cast<size_t>(current) + 1 >= ranges.size()) ? 0 : current + 1;
  const TagRange& target = ranges[next];

  int32_t targetLine = target.startLine;
  int32_t targetColumn = target.startColumn;
  if (target.name == L"summary" && target.startLine != target.endLine) {
    // A multi-line summary is written on its body line, after "''' ".
    const int32_t bodyLine = Offset(target.startLine, 1);
    std::wstring body;
    pane->GetLine(bodyLine, body);
    const size_t marker = FindCommentMarker(body);
    if (marker != std::wstring::npos) {
      targetLine = bodyLine;
      targetColumn = IndexPlus(marker, 5);
    }
  }

  pane->SetCaret(targetLine, targetColumn);
  int32_t landed = 0;
  pane->GetSelection(nullptr, &landed, nullptr, nullptr);
  if (landed != targetColumn) {
    // The column lies past the end of the line: the space makes it reachable.
    TypeSpaceInto(window);
  }
  return true;
}

}  // namespace tarnwick
