// Replacing a completed marker line with the documentation template.
#include "engine/comment_engine.h"
#include "engine/positions.h"
#include "engine/text_helpers.h"
#include "engine/typed_space.h"

namespace tarnwick {

void CommentEngine::InsertCommentTemplate(int32_t line, const std::wstring& declarationText,
                                          const std::vector<std::wstring>& parameterNames,
                                          bool returnsValue) {
  const size_t indentEnd = declarationText.find_first_not_of(BlankChars);
  const std::wstring indent = declarationText.substr(
      0, indentEnd == std::wstring::npos ? declarationText.size() : indentEnd);

  std::wstring text;
  text += indent + L"''' <summary>\n";
  text += indent + L"'''\n";
  text += indent + L"''' </summary>\n";
  for (const std::wstring& name : parameterNames) {
    text += indent + L"''' <param name=\"" + name + L"\"></param>\n";
  }
  if (returnsValue) {
    text += indent + L"''' <returns></returns>\n";
  }
  text += indent + L"''' <remarks></remarks>";

  pane->ReplaceLine(line, text);
  // The caret goes after the summary body's marker; the typed space opens the
  // line for the summary text.
  pane->SetCaret(Offset(line, 1), IndexPlus(indent.size(), 4));
  TypeSpaceInto(window);
}

}  // namespace tarnwick
