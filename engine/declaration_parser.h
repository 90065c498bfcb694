// Reading one declaration statement: what it declares, under which names, and
// its parameters. Pure text work, shared by the template path (over the code
// pane) and the module reader (over a module file's lines).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/text_helpers.h"
#include "text/ascii.h"

namespace tarnwick {

enum class DeclarationKind {
  kNone,  // not a declaration
  kSub,
  kFunction,
  kPropertyGet,
  kPropertyLet,
  kPropertySet,
  kDeclareSub,
  kDeclareFunction,
  kEvent,
  kEnum,
  kType,
  kConst,
  kVariable,
};

enum class Passing { kDefault, kByVal, kByRef };

struct Parameter {
  std::wstring name;          // without "()" and without its type-declaration character
  std::wstring type;          // the words after "As", as written; empty when none
  wchar_t typeCharacter = 0;  // one of % & ^ @ ! # $ written after the name, or 0
  Passing passing = Passing::kDefault;
  bool optional = false;
  bool paramArray = false;
  bool array = false;  // the name was written with "()"
};

struct Declaration {
  DeclarationKind kind = DeclarationKind::kNone;
  bool isPrivate = false;  // declared Private, or with Dim
  // The names declared: one for a procedure, an event, an enum or a type; each
  // variable or constant of the statement. Without type-declaration characters.
  std::vector<std::wstring> names;
  // The list in the statement's first parentheses outside string literals,
  // read as parameters; names may be empty. Only for the kinds that take
  // parameters (TakesParameters): a variable's or a constant's parentheses
  // hold bounds or a value, and the other kinds have none.
  std::vector<Parameter> parameters;
};

Declaration ParseDeclarationText(const std::wstring& text);

// The template path's view of a declaration: the names of its parameters (none
// left empty) and whether it returns a value.
void ParseDeclaration(const std::wstring& text, std::vector<std::wstring>& parameterNames,
                      bool& returnsValue);
// True for the words that open a declaration the template is written for:
// Public, Private, Friend, Static, Dim, Const, Sub, Function, Property,
// Declare, Enum and Type, ASCII case ignored.
bool IsDeclarationKeyword(const std::wstring& word);

// The names of the declaration's parameters, in order, those without a name
// left out: what the template writes a <param> line for and what a
// documentation block's <param> tags are matched against.
std::vector<std::wstring> ParameterNames(const Declaration& declaration);

// Sub, Function, Property Get/Let/Set, Declare Sub/Function and Event: the
// kinds whose parentheses list parameters.
bool TakesParameters(DeclarationKind kind);
// Function, Property Get and Declare Function return a value.
bool ReturnsValue(DeclarationKind kind);
// Sub, Function and Property Get/Let/Set: a statement that opens a body.
bool IsProcedureHeader(DeclarationKind kind);

// The one rule for VBA's line continuation, for every reader of statements.
// A line ending in " _" or "\t_" (trailing blanks aside) goes on on the next line.
bool IsContinuedLine(std::wstring_view text);

// Joins the statement that starts on line `first` across its continuations
// into `out`: each continued line goes in without its "_" and the blanks after
// it, the last one whole. `read(line, text)` reads a line into a std::wstring;
// lines from `end` on are not read. Returns how many lines were read. The code
// pane's reader and the module reader both join statements through this.
template <class ReadLine>
int64_t JoinContinuedLines(int64_t first, int64_t end, ReadLine&& read, std::wstring& out) {
  out.clear();
  std::wstring text;
  for (int64_t line = first; line < end; ++line) {
    read(line, text);
    if (!IsContinuedLine(text)) {
      out += text;
      return line - first + 1;
    }
    out.append(text, 0, text.find_last_not_of(BlankChars));
  }
  return end > first ? end - first : 0;
}
// The statement up to its first apostrophe outside a string literal.
std::wstring CutTrailingComment(const std::wstring& text);
// One of % & ^ @ ! # $.
bool IsTypeCharacter(wchar_t c);

}  // namespace tarnwick
