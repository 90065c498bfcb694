// The single entry of the engine: which watched message runs which action.
#include <exception>

#include "engine/bad_exception.h"
#include "engine/comment_engine.h"
#include "engine/declaration_parser.h"
#include "engine/messages.h"
#include "engine/positions.h"
#include "engine/text_helpers.h"

namespace tarnwick {

std::wstring lineBeforeComposition;

namespace {

// Reads the declaration below the marker line and, when there is one, replaces
// the marker line with its comment template.
void RunTemplateSequence(CommentEngine& engine, int32_t line, uint8_t character) {
  std::wstring declarationText;
  if (!engine.ReadDeclaration(line, static_cast<wchar_t>(character), declarationText)) {
    return;
  }
  std::vector<std::wstring> parameterNames;
  bool returnsValue = false;
  ParseDeclaration(declarationText, parameterNames, returnsValue);
  engine.InsertCommentTemplate(line, declarationText, parameterNames, returnsValue);
}

void PassOn(Route* route) {
  if (route == nullptr) {
    throw BadException();
  }
  route->CallOriginal();
}

// The caret position as it stands now, after the editor has applied a key.
void CompleteAtCaret(CommentEngine& engine, VisualBasicEditor& pane) {
  int32_t line = 0;
  int32_t column = 0;
  pane.GetSelection(&line, &column, nullptr, nullptr);
  engine.CompleteClosingTag(line, column);
}

bool HasNonBlankFrom(const std::wstring& text, int64_t index) {
  if (index < 0) {
    index = 0;
  }
  if (static_cast<uint64_t>(index) >= text.size()) {
    return false;
  }
  return text.find_first_not_of(BlankChars, static_cast<size_t>(index)) != std::wstring::npos;
}

}  // namespace

void DispatchKeystroke(CodeWindow* window, uint32_t message, uint8_t character,
                       VisualBasicEditor* pane, Route* route, bool* consumed) {
  if (window == nullptr || pane == nullptr || consumed == nullptr || !window->IsLive()) {
    throw BadException();
  }
  CommentEngine engine(window, pane);
  int32_t line = 0;
  int32_t column = 0;
  int32_t endLine = 0;
  int32_t endColumn = 0;
  pane->GetSelection(&line, &column, &endLine, &endColumn);

  if (message == kWmImeStartComposition) {
    pane->GetLine(line, lineBeforeComposition);
    return;
  }

  if (message == kWmImeEndComposition) {
    std::wstring lineAfterComposition;
    pane->GetLine(line, lineAfterComposition);
    if (lineAfterComposition == lineBeforeComposition) {
      return;
    }
    const size_t left = IndexAt(column, -2, lineAfterComposition.size());
    const wchar_t typed = left == std::wstring::npos ? L'\0' : lineAfterComposition[left];
    if (typed == L'\'') {
      RunTemplateSequence(engine, line, character);
    } else if (typed == L'>') {
      CompleteAtCaret(engine, *pane);
    }
    *consumed = true;
    return;
  }

  int32_t markerColumn = -1;
  const bool inBlock =
      engine.IsInCommentBlock(line, column, endLine, endColumn, &markerColumn, character == kVkTab);
  if (inBlock) {
    switch (character) {
      case kVkReturn:
        PassOn(route);
        engine.ContinueCommentLine(line, markerColumn);
        *consumed = true;
        break;
      case kVkTab: {
        std::vector<TagRange> ranges;
        engine.CollectTagRanges(line, ranges);
        if (engine.MoveToNextTag(line, column, ranges)) {
          *consumed = true;
        }
        break;
      }
      case kGreaterThan:
        PassOn(route);
        CompleteAtCaret(engine, *pane);
        *consumed = true;
        break;
      default:
        break;
    }
    return;
  }

  if (engine.IsBareMarkerLine(line)) {
    return;
  }
  if (engine.IsTemplateTrigger(line, column, character)) {
    PassOn(route);
    RunTemplateSequence(engine, line, character);
    *consumed = true;
  }
}

bool CommentEngine::IsInCommentBlock(int32_t line, int32_t column, int32_t endLine,
                                     int32_t endColumn, int32_t* markerColumn, bool tabForm) {
  std::wstring text;
  pane->GetLine(line, text);
  const size_t m = FindCommentMarker(text);
  if (markerColumn != nullptr) {
    *markerColumn = m == std::wstring::npos ? -1 : IndexPlus(m, 1);
  }
  if (m == std::wstring::npos) {
    return false;
  }
  const int64_t marker = static_cast<int64_t>(m);
  if (column < marker + 4) {
    return false;
  }
  // Comment text left of the caret.
  const size_t firstText = text.find_first_not_of(BlankChars, m + 3);
  if (firstText != std::wstring::npos && static_cast<int64_t>(firstText) < int64_t{column} - 1) {
    return true;
  }
  // A block from above, with text at or right of the selection's end.
  if (line > 1) {
    std::wstring above;
    pane->GetLine(line - 1, above);
    if (FindCommentMarker(above) != std::wstring::npos) {
      std::wstring endText;
      pane->GetLine(endLine, endText);
      if (HasNonBlankFrom(endText, int64_t{endColumn} - 1)) {
        return true;
      }
    }
  }
  if (tabForm) {
    return true;
  }
  // A block that goes on below.
  std::wstring below;
  pane->GetLine(Offset(endLine, 1), below);
  return FindCommentMarker(below) != std::wstring::npos;
}

bool CommentEngine::IsBareMarkerLine(int32_t line) {
  std::wstring text;
  pane->GetLine(line, text);
  return TrimBlanks(text) == CommentMarker;
}

bool CommentEngine::IsTemplateTrigger(int32_t line, int32_t column, uint8_t character) {
  if (character != kApostrophe && character != kVkReturn) {
    return false;
  }
  std::wstring text;
  pane->GetLine(line, text);
  // The typed apostrophe makes three with two before the caret; Enter completes
  // a marker that already has all three before the caret.
  const int32_t needed = character == kApostrophe ? 2 : 3;
  if (column < needed + 1) {
    return false;
  }
  const int64_t length = static_cast<int64_t>(text.size());
  if (length < int64_t{column} - 1) {
    return false;
  }
  for (int32_t back = 2; back < needed + 2; ++back) {
    if (text[static_cast<size_t>(column - back)] != L'\'') {
      return false;
    }
  }
  return true;
}

}  // namespace tarnwick
