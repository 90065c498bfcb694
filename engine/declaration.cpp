// Finding the declaration below a marker line, through the code pane.
#include "engine/comment_engine.h"
#include "engine/declaration_parser.h"
#include "engine/positions.h"
#include "engine/text_helpers.h"

namespace tarnwick {

namespace {

bool HasNonBlank(const std::wstring& text) {
  return text.find_first_not_of(BlankChars) != std::wstring::npos;
}

}  // namespace

void CommentEngine::ReadLogicalLine(int32_t start, std::wstring& out, int32_t* count) {
  const int64_t read = JoinContinuedLines(
      start, pane->GetLineCount(),
      [&](int64_t line, std::wstring& text) { pane->GetLine(static_cast<int32_t>(line), text); },
      out);
  if (count != nullptr) {
    *count = Offset(start, read) - start;
  }
}

void CommentEngine::ReadNextStatement(int32_t line, std::wstring& out, int32_t* outLine) {
  const int32_t end = pane->GetLineCount();
  int64_t r = int64_t{line} + 1;
  if (r < 1) {
    r = 1;
  }
  std::wstring text;
  while (r < end) {
    const int32_t current = static_cast<int32_t>(r);
    pane->GetLine(current, text);
    if (!HasNonBlank(text)) {
      ++r;
      continue;
    }
    int32_t taken = 1;
    ReadLogicalLine(current, text, &taken);
    if (HasNonBlank(text)) {
      out = std::move(text);
      if (outLine != nullptr) {
        *outLine = current;
      }
      return;
    }
    r += taken;
  }
  out.clear();
  if (outLine != nullptr) {
    *outLine = end;
  }
}

void CommentEngine::ReadPreviousStatement(int32_t line, std::wstring& out, int32_t* outLine) {
  int32_t b = Offset(line, -1);
  std::wstring text;
  while (b > 0) {
    pane->GetLine(b, text);
    if (!HasNonBlank(text)) {
      --b;
      continue;
    }
    if (b > 1) {
      std::wstring above;
      pane->GetLine(b - 1, above);
      if (IsContinuedLine(above)) {
        --b;
        continue;
      }
    }
    ReadLogicalLine(b, text, nullptr);
    if (HasNonBlank(text)) {
      out = std::move(text);
      if (outLine != nullptr) {
        *outLine = b;
      }
      return;
    }
    --b;
  }
  ReadLogicalLine(1, out, nullptr);
  if (outLine != nullptr) {
    *outLine = 1;
  }
}

bool CommentEngine::ReadDeclaration(int32_t line, wchar_t ch, std::wstring& out) {
  if (!IsBareMarkerLine(line)) {
    return false;
  }
  if (line > 1) {
    std::wstring previous;
    ReadPreviousStatement(line, previous, nullptr);
    if (previous.compare(0, 3, CommentMarker) == 0) {
      return false;
    }
  }
  if (ch == L'\r') {
    // The editor has just split the line; touching the marker line and coming
    // back settles its caret where the template expects it.
    int32_t caretLine = 0;
    int32_t caretColumn = 0;
    pane->GetSelection(&caretLine, &caretColumn, nullptr, nullptr);
    pane->SetCaret(Offset(caretLine, -1), 1);
    pane->SetCaret(caretLine, caretColumn);
  }
  // A procedure header is never inside a body. The editor's own answer can say
  // otherwise: it looks a procedure up by name, so a marker above the second
  // copy of one declared in both branches of #If ... #Else finds the first.
  const bool inBody = pane->IsInProcBody(line);
  std::wstring declaration;
  ReadNextStatement(line, declaration, nullptr);
  if (inBody && !IsProcedureHeader(ParseDeclarationText(declaration).kind)) {
    return false;
  }
  if (!IsDeclarationKeyword(FirstWordFrom(declaration, 0))) {
    return false;
  }
  out = std::move(declaration);
  return true;
}

}  // namespace tarnwick
