// Finding the declaration below a marker line and reading its parameter names.
#include <array>
#include <string_view>

#include "engine/comment_engine.h"
#include "engine/positions.h"
#include "engine/text_helpers.h"

namespace tarnwick {

namespace {

constexpr std::array<std::wstring_view, 12> kDeclarationKeywords = {
    L"function", L"sub",   L"public", L"private", L"friend",   L"static",
    L"dim",      L"const", L"enum",   L"declare", L"property", L"type"};

constexpr std::array<std::wstring_view, 4> kDeclarationModifiers = {L"public", L"private",
                                                                    L"friend", L"static"};

wchar_t AsciiLower(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c;
}

// Whole-word comparison that ignores the case of A-Z only.
bool EqualsIgnoringAsciiCase(std::wstring_view word, std::wstring_view keyword) {
  if (word.size() != keyword.size()) {
    return false;
  }
  for (size_t i = 0; i < word.size(); ++i) {
    if (AsciiLower(word[i]) != AsciiLower(keyword[i])) {
      return false;
    }
  }
  return true;
}

bool IsModifier(const std::wstring& word) {
  for (std::wstring_view modifier : kDeclarationModifiers) {
    if (EqualsIgnoringAsciiCase(word, modifier)) {
      return true;
    }
  }
  return false;
}

bool HasNonBlank(const std::wstring& text) {
  return text.find_first_not_of(BlankChars) != std::wstring::npos;
}

// A line ending in " _" or "\t_" (trailing blanks aside) goes on on the next line.
bool IsContinued(const std::wstring& text) {
  const size_t last = text.find_last_not_of(BlankChars);
  return last != std::wstring::npos && last >= 1 && text[last] == L'_' && IsBlank(text[last - 1]);
}

std::vector<std::wstring> NonEmptyWords(const std::wstring& text, const std::wstring& delimiters) {
  std::vector<std::wstring> words;
  for (std::wstring& word : SplitAny(text, delimiters)) {
    if (!word.empty()) {
      words.push_back(std::move(word));
    }
  }
  return words;
}

// The code of a declaration with the contents of its string literals blanked
// out, so that quoted commas and parentheses can be told from real ones. The
// result has the same length; `""` inside a literal is an embedded quote.
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
// false when the declaration has none.
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
  // The ')' that balances the list's '(' is taken only when an array parameter's
  // "()" stands in the list; otherwise the list ends at its first ')'.
  size_t balancing = std::wstring::npos;
  int depth = 0;
  for (size_t i = begin; i < code.size(); ++i) {
    if (code[i] == L'(') {
      ++depth;
    } else if (code[i] == L')') {
      if (depth == 0) {
        balancing = i;
        break;
      }
      --depth;
    }
  }
  const size_t balancedEnd = balancing == std::wstring::npos ? code.size() : balancing;
  const bool hasArraySuffix =
      code.substr(begin, balancedEnd - begin).find(L"()") != std::wstring::npos;
  if (hasArraySuffix) {
    end = balancedEnd;
  } else {
    const size_t close = code.find(L')', begin);
    end = close == std::wstring::npos ? code.size() : close;
  }
  return true;
}

// Splits the list at commas outside string literals, keeping the pieces of the
// original text; empty pieces are dropped except the last, as SplitAny does.
std::vector<std::wstring> SplitParameters(const std::wstring& list, const std::wstring& code) {
  std::vector<std::wstring> pieces;
  size_t from = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (code[i] == L',') {
      if (i > from) {
        pieces.push_back(list.substr(from, i - from));
      }
      from = i + 1;
    }
  }
  pieces.push_back(list.substr(from));
  return pieces;
}

// The name a parameter declares: the word before "As", or its last word.
std::wstring ParameterName(const std::wstring& piece) {
  const std::vector<std::wstring> words = NonEmptyWords(piece, L" ");
  if (words.empty()) {
    return std::wstring();
  }
  size_t as = 0;
  while (as < words.size() && words[as] != L"As") {
    ++as;
  }
  if (as == 0) {
    return std::wstring();
  }
  std::wstring name = as < words.size() ? words[as - 1] : words.back();
  const size_t suffix = name.find(L"()");
  if (suffix != std::wstring::npos) {
    name.erase(suffix);
  }
  return name;
}

bool ReturnsValue(const std::vector<std::wstring>& words) {
  size_t w = 0;
  while (w < words.size() && IsModifier(words[w])) {
    ++w;
  }
  if (w == words.size()) {
    return false;
  }
  bool declared = false;
  if (EqualsIgnoringAsciiCase(words[w], L"declare")) {
    declared = true;
    ++w;
    if (w < words.size() && EqualsIgnoringAsciiCase(words[w], L"ptrsafe")) {
      ++w;
    }
  }
  if (w < words.size() && EqualsIgnoringAsciiCase(words[w], L"function")) {
    return true;
  }
  return !declared && w + 1 < words.size() && EqualsIgnoringAsciiCase(words[w], L"property") &&
         EqualsIgnoringAsciiCase(words[w + 1], L"get");
}

}  // namespace

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
  parameterNames.clear();
  returnsValue = false;
  const std::wstring code = MaskStringLiterals(text);

  const size_t open = code.find(L'(');
  const std::wstring head = open == std::wstring::npos ? text : text.substr(0, open);
  returnsValue = ReturnsValue(NonEmptyWords(head, BlankChars));

  size_t begin = 0;
  size_t end = 0;
  if (!FindParameterList(code, begin, end)) {
    return;
  }
  const std::wstring list = text.substr(begin, end - begin);
  for (const std::wstring& piece : SplitParameters(list, code.substr(begin, end - begin))) {
    std::wstring name = ParameterName(piece);
    if (!name.empty()) {
      parameterNames.push_back(std::move(name));
    }
  }
}

void CommentEngine::ReadLogicalLine(int32_t start, std::wstring& out, int32_t* count) {
  out.clear();
  const int32_t end = pane->GetLineCount();
  int32_t i = start;
  std::wstring text;
  while (i < end) {
    pane->GetLine(i, text);
    if (!IsContinued(text)) {
      out += text;
      break;
    }
    out.append(text, 0, text.size() - 1);
    ++i;
  }
  if (count != nullptr) {
    *count = Offset(i, 1 - int64_t{start});
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
      if (IsContinued(above)) {
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
  if (pane->IsInProcBody(line)) {
    return false;
  }
  std::wstring declaration;
  ReadNextStatement(line, declaration, nullptr);
  if (!IsDeclarationKeyword(FirstWordFrom(declaration, 0))) {
    return false;
  }
  out = std::move(declaration);
  return true;
}

}  // namespace tarnwick
