// Reading a declaration statement: its kind, names and parameter list.
#include "engine/declaration_parser.h"

#include <algorithm>
#include <array>

#include "engine/text_helpers.h"

namespace tarnwick {

namespace {

constexpr std::array<std::wstring_view, 12> kDeclarationKeywords = {
    L"function", L"sub",   L"public", L"private", L"friend",   L"static",
    L"dim",      L"const", L"enum",   L"declare", L"property", L"type"};

// "Global" is Public in a standard module; the template path never sees it,
// because it is not a declaration keyword.
constexpr std::array<std::wstring_view, 5> kDeclarationModifiers = {
    L"public", L"private", L"friend", L"static", L"global"};

// Every word a declaration can begin with: its modifiers and kinds.
constexpr std::array<std::wstring_view, 14> kFirstWords = {
    L"public", L"private",  L"friend", L"static", L"global", L"declare", L"function",
    L"sub",    L"property", L"event",  L"enum",   L"type",   L"const",   L"dim"};

bool IsModifier(std::wstring_view word) {
  for (std::wstring_view modifier : kDeclarationModifiers) {
    if (EqualsIgnoringAsciiCase(word, modifier)) {
      return true;
    }
  }
  return false;
}

// Whether the statement's first word (up to a blank, '(', quote or apostrophe)
// is one a declaration begins with: most statements of a module are not
// declarations, and this tells them apart without reading them.
bool MayDeclare(const std::wstring& text) {
  const size_t start = text.find_first_not_of(BlankChars);
  if (start == std::wstring::npos) {
    return false;
  }
  size_t end = start;
  while (end < text.size() && text[end] != L' ' && text[end] != L'\t' && text[end] != L'(' &&
         text[end] != L'"' && text[end] != L'\'') {
    ++end;
  }
  const std::wstring_view word = std::wstring_view(text).substr(start, end - start);
  return std::any_of(kFirstWords.begin(), kFirstWords.end(), [&](std::wstring_view keyword) {
    return EqualsIgnoringAsciiCase(word, keyword);
  });
}

// The pieces between delimiters, empty ones dropped (SplitAny's, without
// them), as views of `text`.
std::vector<std::wstring_view> NonEmptyWords(std::wstring_view text, std::wstring_view delimiters) {
  std::vector<std::wstring_view> words;
  words.reserve(8);
  // The delimiters are a space, and a tab with it or not.
  const bool tab = delimiters.find(L'\t') != std::wstring_view::npos;
  auto delimiter = [tab](wchar_t c) { return c == L' ' || (tab && c == L'\t'); };
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && delimiter(text[i])) {
      ++i;
    }
    const size_t start = i;
    while (i < text.size() && !delimiter(text[i])) {
      ++i;
    }
    if (i > start) {
      words.push_back(text.substr(start, i - start));
    }
  }
  return words;
}

// The text with the contents of its string literals blanked out, so that quoted
// commas, parentheses, apostrophes and equals signs can be told from real ones.
// The result has the same length; `""` inside a literal is an embedded quote.
std::wstring MaskStringLiterals(const std::wstring& text) {
  std::wstring masked = text;
  bool inString = false;
  for (wchar_t& c : masked) {
    if (c == L'"') {
      inString = !inString;
    } else if (inString) {
      c = L' ';
    }
  }
  return masked;
}

// Bounds [begin, end) of the parameter list in `code` (literals masked), or
// false when the statement has none. The list closes at the ')' that balances
// its '(', or runs to the end of the text.
bool FindParameterList(const std::wstring& code, size_t& begin, size_t& end) {
  const size_t open = code.find(L'(');
  if (open == std::wstring::npos) {
    return false;
  }
  const size_t firstClose = code.find(L')');
  if (firstClose != std::wstring::npos && firstClose < open) {
    return false;
  }
  begin = open + 1;
  end = code.size();
  int depth = 0;
  for (size_t i = begin; i < code.size(); ++i) {
    if (code[i] == L'(') {
      ++depth;
    } else if (code[i] == L')') {
      if (depth == 0) {
        end = i;
        break;
      }
      --depth;
    }
  }
  return true;
}

// Splits the list at the commas outside string literals and parentheses,
// keeping the pieces of the original text; empty pieces are dropped except the
// last, as SplitAny does.
std::vector<std::wstring_view> SplitParameters(std::wstring_view list, std::wstring_view code) {
  std::vector<std::wstring_view> pieces;
  size_t from = 0;
  int depth = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (code[i] == L'(') {
      ++depth;
    } else if (code[i] == L')' && depth > 0) {
      --depth;
    } else if (code[i] == L',' && depth == 0) {
      if (i > from) {
        pieces.push_back(list.substr(from, i - from));
      }
      from = i + 1;
    }
  }
  pieces.push_back(list.substr(from));
  return pieces;
}

// A declared name without its bounds or "()" and without a type-declaration
// character: "arr(1 To 3)" and "cb&" name "arr" and "cb".
std::wstring BareName(std::wstring word) {
  word.erase(std::min(word.find(L'('), word.size()));
  if (!word.empty() && IsTypeCharacter(word.back())) {
    word.pop_back();
  }
  return word;
}

// One parameter: modifiers, the name before "As" (or the last word), the type.
// A default value is cut off first, at the piece's first '=' outside a literal.
Parameter ReadParameter(std::wstring_view piece) {
  Parameter parameter;
  size_t equals = std::wstring_view::npos;
  bool inString = false;
  for (size_t i = 0; i < piece.size() && equals == std::wstring_view::npos; ++i) {
    if (piece[i] == L'"') {
      inString = !inString;
    } else if (piece[i] == L'=' && !inString) {
      equals = i;
    }
  }
  const std::vector<std::wstring_view> words = NonEmptyWords(piece.substr(0, equals), L" ");
  size_t as = 0;
  while (as < words.size() && !EqualsIgnoringAsciiCase(words[as], L"As")) {
    ++as;
  }
  if (words.empty() || as == 0) {
    return parameter;
  }
  const size_t nameAt = as < words.size() ? as - 1 : words.size() - 1;
  for (size_t w = 0; w < nameAt; ++w) {
    if (EqualsIgnoringAsciiCase(words[w], L"Optional")) {
      parameter.optional = true;
    } else if (EqualsIgnoringAsciiCase(words[w], L"ParamArray")) {
      parameter.paramArray = true;
    } else if (EqualsIgnoringAsciiCase(words[w], L"ByVal")) {
      parameter.passing = Passing::kByVal;
    } else if (EqualsIgnoringAsciiCase(words[w], L"ByRef")) {
      parameter.passing = Passing::kByRef;
    }
  }
  // "()" is cut wherever it stands in the word, so "a()x" names "a".
  std::wstring name(words[nameAt]);
  const size_t suffix = name.find(L"()");
  if (suffix != std::wstring::npos) {
    parameter.array = true;
    name.erase(suffix);
  }
  if (!name.empty() && IsTypeCharacter(name.back())) {
    parameter.typeCharacter = name.back();
    name.pop_back();
  }
  parameter.name = std::move(name);
  for (size_t w = as + 1; w < words.size(); ++w) {
    if (w > as + 1) {
      parameter.type += L' ';
    }
    parameter.type += words[w];
  }
  return parameter;
}

std::vector<Parameter> ReadParameters(const std::wstring& code, const std::wstring& masked) {
  std::vector<Parameter> parameters;
  size_t begin = 0;
  size_t end = 0;
  if (!FindParameterList(masked, begin, end)) {
    return parameters;
  }
  const std::wstring_view list = std::wstring_view(code).substr(begin, end - begin);
  for (const std::wstring_view piece :
       SplitParameters(list, std::wstring_view(masked).substr(begin, end - begin))) {
    parameters.push_back(ReadParameter(piece));
  }
  return parameters;
}

// The names of "a As Long, b(1 To 3) As String" or "A = 1, B As Long = 2".
std::vector<std::wstring> ReadVariableNames(const std::wstring& rest) {
  std::vector<std::wstring> names;
  const std::wstring masked = MaskStringLiterals(rest);
  for (const std::wstring_view piece : SplitParameters(rest, masked)) {
    const std::vector<std::wstring_view> words = NonEmptyWords(piece, BlankChars);
    size_t w = 0;
    if (w < words.size() && EqualsIgnoringAsciiCase(words[w], L"WithEvents")) {
      ++w;
    }
    if (w < words.size()) {
      std::wstring name = BareName(std::wstring(words[w].substr(0, words[w].find(L'='))));
      if (!name.empty()) {
        names.push_back(std::move(name));
      }
    }
  }
  return names;
}

// Kind and names from the words of the statement; `code` is the statement with
// its comment cut, `masked` the same with its literals blanked.
void ReadKind(const std::wstring& code, const std::wstring& masked, Declaration& declaration) {
  const size_t open = masked.find(L'(');
  const std::vector<std::wstring_view> words =
      NonEmptyWords(std::wstring_view(masked).substr(0, open), BlankChars);
  size_t w = 0;
  while (w < words.size() && IsModifier(words[w])) {
    declaration.isPrivate = declaration.isPrivate || EqualsIgnoringAsciiCase(words[w], L"private");
    ++w;
  }
  if (w == words.size()) {
    return;
  }
  auto is = [&](size_t at, std::wstring_view keyword) {
    return at < words.size() && EqualsIgnoringAsciiCase(words[at], keyword);
  };
  auto named = [&](DeclarationKind kind, size_t at) {
    declaration.kind = kind;
    if (at < words.size()) {
      declaration.names.push_back(BareName(std::wstring(words[at])));
    }
  };
  // The rest of the statement after the word at `at`, for lists of names.
  auto restAfter = [&](size_t at) {
    size_t position = 0;
    for (size_t i = 0; i <= at && position != std::wstring::npos; ++i) {
      position = masked.find_first_of(BlankChars, masked.find_first_not_of(BlankChars, position));
    }
    return position == std::wstring::npos ? std::wstring() : code.substr(position);
  };
  const bool modified = w > 0;
  if (is(w, L"declare")) {
    const size_t k = is(w + 1, L"ptrsafe") ? w + 2 : w + 1;
    if (is(k, L"function")) {
      named(DeclarationKind::kDeclareFunction, k + 1);
    } else if (is(k, L"sub")) {
      named(DeclarationKind::kDeclareSub, k + 1);
    }
  } else if (is(w, L"function")) {
    named(DeclarationKind::kFunction, w + 1);
  } else if (is(w, L"sub")) {
    named(DeclarationKind::kSub, w + 1);
  } else if (is(w, L"property")) {
    if (is(w + 1, L"get")) {
      named(DeclarationKind::kPropertyGet, w + 2);
    } else if (is(w + 1, L"let")) {
      named(DeclarationKind::kPropertyLet, w + 2);
    } else if (is(w + 1, L"set")) {
      named(DeclarationKind::kPropertySet, w + 2);
    }
  } else if (is(w, L"event")) {
    named(DeclarationKind::kEvent, w + 1);
  } else if (is(w, L"enum")) {
    named(DeclarationKind::kEnum, w + 1);
  } else if (is(w, L"type")) {
    named(DeclarationKind::kType, w + 1);
  } else if (is(w, L"const")) {
    declaration.kind = DeclarationKind::kConst;
    declaration.names = ReadVariableNames(restAfter(w));
  } else if (is(w, L"dim") && !modified) {
    declaration.kind = DeclarationKind::kVariable;
    declaration.isPrivate = true;
    declaration.names = ReadVariableNames(restAfter(w));
  } else if (modified) {
    declaration.kind = DeclarationKind::kVariable;
    declaration.names = ReadVariableNames(restAfter(w - 1));
  }
  std::erase(declaration.names, std::wstring());
}

}  // namespace

bool IsTypeCharacter(wchar_t c) {
  return c == L'%' || c == L'&' || c == L'^' || c == L'@' || c == L'!' || c == L'#' || c == L'$';
}

bool IsContinuedLine(std::wstring_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) {
    --end;
  }
  return end >= 2 && text[end - 1] == L'_' && IsBlank(text[end - 2]);
}

std::wstring CutTrailingComment(const std::wstring& text) {
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'"') {
      inString = !inString;
    } else if (text[i] == L'\'' && !inString) {
      return text.substr(0, i);
    }
  }
  return text;
}

bool ReturnsValue(DeclarationKind kind) {
  return kind == DeclarationKind::kFunction || kind == DeclarationKind::kPropertyGet ||
         kind == DeclarationKind::kDeclareFunction;
}

bool TakesParameters(DeclarationKind kind) {
  return IsProcedureHeader(kind) || kind == DeclarationKind::kDeclareSub ||
         kind == DeclarationKind::kDeclareFunction || kind == DeclarationKind::kEvent;
}

std::vector<std::wstring> ParameterNames(const Declaration& declaration) {
  std::vector<std::wstring> names;
  for (const Parameter& parameter : declaration.parameters) {
    if (!parameter.name.empty()) {
      names.push_back(parameter.name);
    }
  }
  return names;
}

bool IsProcedureHeader(DeclarationKind kind) {
  return kind == DeclarationKind::kSub || kind == DeclarationKind::kFunction ||
         kind == DeclarationKind::kPropertyGet || kind == DeclarationKind::kPropertyLet ||
         kind == DeclarationKind::kPropertySet;
}

Declaration ParseDeclarationText(const std::wstring& text) {
  Declaration declaration;
  if (!MayDeclare(text)) {
    return declaration;
  }
  const std::wstring code = CutTrailingComment(text);
  const std::wstring masked = MaskStringLiterals(code);
  ReadKind(code, masked, declaration);
  // A variable's or a constant's parentheses hold its bounds or its value.
  if (TakesParameters(declaration.kind)) {
    declaration.parameters = ReadParameters(code, masked);
  }
  return declaration;
}

bool IsDeclarationKeyword(const std::wstring& word) {
  for (std::wstring_view keyword : kDeclarationKeywords) {
    if (EqualsIgnoringAsciiCase(word, keyword)) {
      return true;
    }
  }
  return false;
}

void ParseDeclaration(const std::wstring& text, std::vector<std::wstring>& parameterNames,
                      bool& returnsValue) {
  const Declaration declaration = ParseDeclarationText(text);
  returnsValue = ReturnsValue(declaration.kind);
  parameterNames = ParameterNames(declaration);
}

}  // namespace tarnwick
