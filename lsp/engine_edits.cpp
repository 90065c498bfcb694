#include "lsp/engine_edits.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "engine/comment_engine.h"
#include "engine/declaration_parser.h"
#include "engine/text_helpers.h"
#include "engine/messages.h"
#include "lsp/document_pane.h"

namespace tarnwick::lsp {
namespace {

// The key reaches the editor: typed at the caret, or Enter's split.
class KeyRoute final : public Route {
 public:
  KeyRoute(DocumentPane& pane, TypedKey key) : pane(pane), key(key) {}
  intptr_t CallOriginal() override {
    switch (key) {
      case TypedKey::kEnter:
        pane.SplitAtCaret();
        break;
      case TypedKey::kApostrophe:
        pane.TypeAtCaret(L"'");
        break;
      case TypedKey::kGreaterThan:
        pane.TypeAtCaret(L">");
        break;
    }
    return 0;
  }

 private:
  DocumentPane& pane;
  const TypedKey key;
};

TextPosition ToPosition(int32_t line, int32_t column) {
  return {int64_t{line} - 1, int64_t{column} - 1};
}

// Runs the key through the engine's dispatcher on `pane`, which holds the text
// as it stood before the key, with the caret where the key was typed. False
// when the engine left the key to the editor or failed.
bool Dispatch(DocumentPane& pane, TypedKey key) {
  KeyRoute route(pane, key);
  bool consumed = false;
  const uint32_t message = key == TypedKey::kEnter ? kWmKeyDown : kWmChar;
  const uint8_t character = key == TypedKey::kEnter        ? kVkReturn
                            : key == TypedKey::kApostrophe ? kApostrophe
                                                           : kGreaterThan;
  try {
    DispatchKeystroke(&pane, message, character, &pane, &route, &consumed);
  } catch (const std::exception&) {
    // The add-in's policy: a failed action changes nothing the user sees.
    return false;
  }
  return consumed;
}

// The Tab walk of a template, walked by the engine itself on a copy of the
// pane: from the caret, stop after stop, until it comes round again.
void WalkTemplate(const DocumentPane& pane, LineEdit& edit) {
  DocumentPane walk(pane);
  CommentEngine engine(&walk, &walk);
  const Selection start = walk.Caret();
  std::vector<TextPosition> visited;
  try {
    for (int step = 0; step < 256; ++step) {
      const Selection at = walk.Caret();
      std::vector<TagRange> ranges;
      engine.CollectTagRanges(at.startLine, ranges);
      engine.MoveToNextTag(at.startLine, at.startColumn, ranges);
      if (walk.Written() != pane.Written()) {
        return;  // the walk had to type: no stops can be promised
      }
      const Selection landed = walk.Caret();
      if (landed == start) {
        break;
      }
      visited.push_back(ToPosition(landed.startLine, landed.startColumn));
    }
  } catch (const std::exception&) {
    return;
  }
  if (visited.empty()) {
    return;
  }
  edit.walkEnd = visited.back();
  visited.pop_back();
  edit.stops.push_back(edit.caret);
  edit.stops.insert(edit.stops.end(), visited.begin(), visited.end());
}

// The lines of `pane`'s run that differ from the document, widened to hold
// every position of `keep` (0-based lines of the edited text) and one line
// on each side at least.
std::optional<LineEdit> Difference(const TextDocument& document, const DocumentPane& pane,
                                   LineEdit edit) {
  const std::vector<std::wstring>& written = pane.Written();
  int64_t first = pane.First() - 1;  // 0-based, both texts
  int64_t replaced = pane.Replaced();
  int64_t writtenFirst = 0;
  int64_t writtenCount = static_cast<int64_t>(written.size());

  int64_t keepFirst = edit.caret.line;
  int64_t keepLast = edit.caret.line;
  for (const TextPosition& stop : edit.stops) {
    keepFirst = std::min(keepFirst, stop.line);
    keepLast = std::max(keepLast, stop.line);
  }
  if (edit.walkEnd) {
    keepFirst = std::min(keepFirst, edit.walkEnd->line);
    keepLast = std::max(keepLast, edit.walkEnd->line);
  }
  // Equal lines at the top and bottom of the run go, unless kept.
  while (replaced > 0 && writtenCount > 0 && first < keepFirst &&
         document.Line(first) == written[static_cast<size_t>(writtenFirst)]) {
    ++first;
    --replaced;
    ++writtenFirst;
    --writtenCount;
  }
  while (replaced > 0 && writtenCount > 0 && first + writtenCount - 1 > keepLast &&
         document.Line(first + replaced - 1) ==
             written[static_cast<size_t>(writtenFirst + writtenCount - 1)]) {
    --replaced;
    --writtenCount;
  }
  if (replaced == writtenCount &&
      std::equal(written.begin() + writtenFirst, written.begin() + writtenFirst + writtenCount,
                 document.Lines().Lines().begin() + first)) {
    return std::nullopt;  // the action changed nothing
  }
  edit.lines.assign(written.begin() + writtenFirst, written.begin() + writtenFirst + writtenCount);
  // An edit that only inserts or only removes lines takes a neighbour along.
  if (replaced == 0 || edit.lines.empty()) {
    if (first + replaced < document.LineCount()) {
      edit.lines.push_back(document.Line(first + replaced));
      ++replaced;
    } else if (first > 0) {
      --first;
      edit.lines.insert(edit.lines.begin(), document.Line(first));
      ++replaced;
    }
  }
  if (replaced == 0 || edit.lines.empty()) {
    return std::nullopt;
  }
  // Every kept position must fall in the lines written.
  const int64_t lastWritten = first + static_cast<int64_t>(edit.lines.size()) - 1;
  if (keepFirst < first || keepLast > lastWritten) {
    return std::nullopt;
  }
  edit.firstLine = first;
  edit.lineCount = replaced;
  return edit;
}

std::optional<LineEdit> Finish(const TextDocument& document, const DocumentPane& pane, bool walk) {
  LineEdit edit;
  const Selection caret = pane.Caret();
  edit.caret = ToPosition(caret.startLine, caret.startColumn);
  if (walk) {
    WalkTemplate(pane, edit);
  }
  return Difference(document, pane, std::move(edit));
}

// A template replaces one marker line with four at least; the other actions
// add no line to the text the client already has.
bool WroteTemplate(const TextDocument& document, const DocumentPane& pane) {
  return pane.LineCount() - document.LineCount() >= 3;
}

}  // namespace

std::optional<LineEdit> EditForTypedKey(const TextDocument& document, TextPosition after,
                                        TypedKey key) {
  if (after.line < 0 || after.line >= document.LineCount() || after.character < 0) {
    return std::nullopt;
  }
  const std::wstring& line = document.Line(after.line);
  if (after.character > static_cast<int64_t>(line.size())) {
    return std::nullopt;
  }
  DocumentPane pane(document.Lines());
  const auto row = static_cast<int32_t>(after.line + 1);
  if (key == TypedKey::kEnter) {
    // The line as it stood before Enter: the one above joined with the new
    // one, without the indentation a client may have put in front of it.
    if (after.line == 0 || line.find_first_not_of(L" \t") < static_cast<size_t>(after.character)) {
      return std::nullopt;
    }
    const std::wstring& above = document.Line(after.line - 1);
    pane.Write(row - 1, {above + line.substr(static_cast<size_t>(after.character))});
    pane.Write(row, {});
    pane.PlaceCaret(row - 1, static_cast<int32_t>(above.size()) + 1);
  } else {
    const wchar_t typed = key == TypedKey::kApostrophe ? L'\'' : L'>';
    if (after.character == 0 || line[static_cast<size_t>(after.character - 1)] != typed) {
      return std::nullopt;
    }
    std::wstring before = line;
    before.erase(static_cast<size_t>(after.character - 1), 1);
    pane.Write(row, {std::move(before)});
    pane.PlaceCaret(row, static_cast<int32_t>(after.character));
  }
  if (!Dispatch(pane, key)) {
    return std::nullopt;
  }
  return Finish(document, pane, key != TypedKey::kGreaterThan && WroteTemplate(document, pane));
}

std::optional<LineEdit> TemplateAbove(const TextDocument& document, int64_t line) {
  if (line < 0 || line >= document.LineCount()) {
    return std::nullopt;
  }
  // Only on the first line of a declaration.
  const std::wstring& text = document.Line(line);
  const size_t start = FirstNonBlank(text);
  if (start == std::wstring::npos || !IsDeclarationKeyword(FirstWordFrom(text, start)) ||
      (line > 0 && IsContinuedLine(document.Line(line - 1)))) {
    return std::nullopt;
  }
  DocumentPane pane(document.Lines());
  const auto row = static_cast<int32_t>(line + 1);
  pane.Write(row, {L"''", document.Line(line)});
  pane.PlaceCaret(row, 3);
  if (!Dispatch(pane, TypedKey::kApostrophe) || !WroteTemplate(document, pane)) {
    return std::nullopt;
  }
  return Finish(document, pane, true);
}

}  // namespace tarnwick::lsp
