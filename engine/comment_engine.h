// The comment engine: the keystroke dispatcher and the editing actions it runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/code_window.h"
#include "engine/visual_basic_editor.h"

namespace tarnwick {

// One caret stop of tag navigation.
struct TagRange {
  int32_t startLine = 0;    // line of the opening tag
  int32_t startColumn = 0;  // column just after the opening tag's '>'
  int32_t endLine = 0;      // line of the closing tag
  int32_t endColumn = 0;    // column of the closing tag's '<'
  std::wstring name;
  bool closed = false;
};

// The caret line as it stood at the most recent start of an input-method
// composition, in any code window. Process-wide, used from the UI thread only.
extern std::wstring lineBeforeComposition;

// Decides what one watched message does. `character` is the low byte of wParam.
// Sets *consumed to true when the editor must not see the message; never sets it
// to false. Failures of the pane or an action pass out unchanged.
void DispatchKeystroke(CodeWindow* window, uint32_t message, uint8_t character,
                       VisualBasicEditor* pane, Route* route, bool* consumed);

// The pure part of the closing-tag action.
std::wstring FindOpeningTagName(const std::wstring& text, int32_t position);

// The per-message engine: the code window and the code pane, neither owned.
class CommentEngine {
 public:
  CommentEngine(CodeWindow* window, VisualBasicEditor* pane) : window(window), pane(pane) {}

  // Dispatcher predicates.
  bool IsInCommentBlock(int32_t line, int32_t column, int32_t endLine, int32_t endColumn,
                        int32_t* markerColumn, bool tabForm);
  bool IsBareMarkerLine(int32_t line);
  bool IsTemplateTrigger(int32_t line, int32_t column, uint8_t character);

  // Declaration reader.
  void ReadLogicalLine(int32_t start, std::wstring& out, int32_t* count);
  void ReadNextStatement(int32_t line, std::wstring& out, int32_t* outLine);
  void ReadPreviousStatement(int32_t line, std::wstring& out, int32_t* outLine);
  bool ReadDeclaration(int32_t line, wchar_t ch, std::wstring& out);

  // Template, continuation, tag navigation and closing tag.
  void InsertCommentTemplate(int32_t line, const std::wstring& declarationText,
                             const std::vector<std::wstring>& parameterNames, bool returnsValue);
  void ContinueCommentLine(int32_t line, int32_t markerColumn);
  int32_t FindCommentBlockTop(int32_t line);
  void CollectTagRanges(int32_t line, std::vector<TagRange>& ranges);
  int32_t FindCurrentTagRange(int32_t line, int32_t column, const std::vector<TagRange>& ranges);
  bool MoveToNextTag(int32_t line, int32_t column, const std::vector<TagRange>& ranges);
  void CompleteClosingTag(int32_t line, int32_t column);

 private:
  CodeWindow* const window;
  VisualBasicEditor* const pane;
};

}  // namespace tarnwick
