#include "lsp/edit_scope.h"

#include <algorithm>
#include <iterator>

#include "engine/declaration_parser.h"
#include "engine/text_helpers.h"
#include "text/ascii.h"

namespace tarnwick::lsp {
namespace {

// Words that open a line the module reader reads as more than a statement of
// a body.
bool OpensDeclarationLine(const std::wstring& text) {
  const size_t start = FirstNonBlank(text);
  if (start == std::wstring::npos) {
    return false;
  }
  if (text[start] == L'#' || (text[start] == L'\'' && text.compare(start, 2, L"'@") == 0)) {
    return true;
  }
  static const wchar_t* const kWords[] = {
      L"Public", L"Private",   L"Friend",   L"Static",     L"Dim",     L"Const", L"Global",
      L"Sub",    L"Function",  L"Property", L"Declare",    L"Enum",    L"Type",  L"Event",
      L"End",    L"Attribute", L"Option",   L"Implements", L"VERSION", L"BEGIN", L"ReDim"};
  const std::wstring word = FirstWordFrom(text, start);
  const std::wstring bare = word.substr(0, word.find_first_of(L"(:"));
  return std::any_of(std::begin(kWords), std::end(kWords),
                     [&](const wchar_t* k) { return EqualsIgnoringAsciiCase(bare, k); });
}

bool MattersAlone(const std::wstring& text) {
  return FindCommentMarker(text) != std::wstring::npos || OpensDeclarationLine(text) ||
         IsContinuedLine(text);
}

}  // namespace

bool ChangesDeclarations(const std::wstring& before, const std::wstring& after,
                         const std::wstring& above, const DocModule* parsed, int64_t line) {
  if (parsed == nullptr || MattersAlone(before) || MattersAlone(after) || IsContinuedLine(above)) {
    return true;
  }
  // The member above the line: inside an Enum or a Type every line may be one
  // of its members.
  const std::vector<Member>& members = parsed->module.members;
  const auto after_ =
      std::upper_bound(members.begin(), members.end(), line + 1,
                       [](int64_t l, const Member& member) { return l < member.statement.line; });
  if (after_ != members.begin()) {
    const DeclarationKind kind = std::prev(after_)->declaration.kind;
    if (kind == DeclarationKind::kEnum || kind == DeclarationKind::kType) {
      return true;
    }
  }
  return false;
}

}  // namespace tarnwick::lsp
