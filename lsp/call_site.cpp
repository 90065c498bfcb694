#include "lsp/call_site.h"

#include <algorithm>
#include <cwctype>

#include "engine/declaration_parser.h"
#include "text/ascii.h"

namespace tarnwick::lsp {
namespace {

bool IsNameChar(wchar_t c) {
  return c == L'_' || (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') ||
         (c >= L'A' && c <= L'Z') || c >= 0x80;
}

// A statement continued onto the caret's line begins this many lines above.
constexpr int64_t kLongestStatement = 64;

// The statement's text from its first line to the caret, continuations joined.
std::wstring StatementBefore(const TextDocument& document, TextPosition caret) {
  int64_t first = caret.line;
  while (first > 0 && caret.line - first < kLongestStatement &&
         IsContinuedLine(document.Line(first - 1))) {
    --first;
  }
  std::wstring text;
  for (int64_t line = first; line < caret.line; ++line) {
    const std::wstring& piece = document.Line(line);
    text.append(piece, 0, piece.find_last_not_of(L" \t"));  // without the "_"
    text += L' ';
  }
  text += document.Line(caret.line).substr(0, static_cast<size_t>(caret.character));
  return text;
}

// The dotted name that ends at `end` in `text` ("acct.Deposit").
std::wstring DottedNameBefore(const std::wstring& text, size_t end) {
  size_t start = end;
  while (start > 0 && (IsNameChar(text[start - 1]) || text[start - 1] == L'.')) {
    --start;
  }
  return text.substr(start, end - start);
}

struct Level {
  std::wstring callee;
  int32_t commas = 0;
  size_t argumentStart = 0;
};

bool IsKeyword(const std::wstring& word) {
  static const wchar_t* const kWords[] = {
      L"If",  L"Then",   L"ElseIf", L"Else", L"While", L"Until", L"And",        L"Or",
      L"Not", L"Return", L"Set",    L"Let",  L"Dim",   L"Do",    L"Loop",       L"For",
      L"To",  L"Step",   L"Select", L"Case", L"With",  L"Print", L"Debug.Print"};
  return std::any_of(std::begin(kWords), std::end(kWords),
                     [&](const wchar_t* k) { return EqualsIgnoringAsciiCase(word, k); });
}

}  // namespace

std::optional<CallSite> FindCallSite(const TextDocument& document, TextPosition caret) {
  caret = document.Clamp(caret);
  const std::wstring text = StatementBefore(document, caret);
  // Level 0 is the statement itself: a Sub called without parentheses.
  std::vector<Level> levels(1);
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (inString) {
      inString = c != L'"';
      continue;
    }
    switch (c) {
      case L'"':
        inString = true;
        break;
      case L'\'':
        return std::nullopt;  // the caret is in a comment
      case L':':
        if (i + 1 < text.size() && text[i + 1] == L'=') {
          ++i;
        } else {
          levels.assign(1, Level{});  // a new statement on the same line
          levels[0].argumentStart = i + 1;
        }
        break;
      case L'(':
        levels.push_back({DottedNameBefore(text, i), 0, i + 1});
        break;
      case L')':
        if (levels.size() > 1) {
          levels.pop_back();
        }
        break;
      case L',':
        ++levels.back().commas;
        levels.back().argumentStart = i + 1;
        break;
      default:
        break;
    }
  }
  // The innermost call with a name; a bare parenthesis (grouping) does not call.
  while (levels.size() > 1 && levels.back().callee.empty()) {
    levels.pop_back();
  }
  CallSite site;
  Level level = levels.back();
  if (levels.size() == 1) {
    // Statement level: "Name args" or "Call Name args"; the callee is the
    // statement's first dotted name when a blank follows it.
    const size_t start = text.find_first_not_of(L" \t");
    std::wstring rest = start == std::wstring::npos ? std::wstring() : text.substr(start);
    // The statement after the last ':' that separates statements.
    size_t colon = std::wstring::npos;
    bool quoted = false;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == L'"') {
        quoted = !quoted;
      } else if (!quoted && rest[i] == L':' && (i + 1 >= rest.size() || rest[i + 1] != L'=')) {
        colon = i;
      }
    }
    if (colon != std::wstring::npos) {
      rest = rest.substr(colon + 1);
      rest.erase(0, std::min(rest.size(), rest.find_first_not_of(L" \t")));
    }
    size_t nameEnd = 0;
    while (nameEnd < rest.size() && (IsNameChar(rest[nameEnd]) || rest[nameEnd] == L'.')) {
      ++nameEnd;
    }
    std::wstring name = rest.substr(0, nameEnd);
    if (EqualsIgnoringAsciiCase(name, L"Call")) {
      rest.erase(0, nameEnd);
      rest.erase(0, std::min(rest.size(), rest.find_first_not_of(L" \t")));
      nameEnd = 0;
      while (nameEnd < rest.size() && (IsNameChar(rest[nameEnd]) || rest[nameEnd] == L'.')) {
        ++nameEnd;
      }
      name = rest.substr(0, nameEnd);
    }
    if (name.empty() || IsKeyword(name) || nameEnd >= rest.size() ||
        (rest[nameEnd] != L' ' && rest[nameEnd] != L'\t')) {
      return std::nullopt;
    }
    const size_t next = rest.find_first_not_of(L" \t", nameEnd);
    if (next != std::wstring::npos && rest[next] == L'=') {
      return std::nullopt;  // an assignment
    }
    level.callee = name;
  }
  site.callee = level.callee;
  site.argument = level.commas;
  // A named argument: "name:=" at the start of the argument being typed.
  const std::wstring argument = text.substr(std::min(level.argumentStart, text.size()));
  const size_t assign = argument.find(L":=");
  if (assign != std::wstring::npos) {
    size_t end = assign;
    while (end > 0 && (argument[end - 1] == L' ' || argument[end - 1] == L'\t')) {
      --end;
    }
    size_t begin = end;
    while (begin > 0 && IsNameChar(argument[begin - 1])) {
      --begin;
    }
    site.namedArgument = argument.substr(begin, end - begin);
  }
  return site;
}

std::optional<NameAt> FindNameAt(const TextDocument& document, TextPosition position) {
  position = document.Clamp(position);
  const std::wstring& line = document.Line(position.line);
  auto start = static_cast<size_t>(position.character);
  size_t end = start;
  while (start > 0 && IsNameChar(line[start - 1])) {
    --start;
  }
  while (end < line.size() && IsNameChar(line[end])) {
    ++end;
  }
  if (start == end || (line[start] >= L'0' && line[start] <= L'9')) {
    return std::nullopt;
  }
  NameAt at;
  at.name = line.substr(start, end - start);
  at.range = {{position.line, static_cast<int64_t>(start)},
              {position.line, static_cast<int64_t>(end)}};
  if (start > 0 && line[start - 1] == L'.') {
    size_t qualifierStart = start - 1;
    while (qualifierStart > 0 && IsNameChar(line[qualifierStart - 1])) {
      --qualifierStart;
    }
    at.qualifier = line.substr(qualifierStart, start - 1 - qualifierStart);
  }
  return at;
}

}  // namespace tarnwick::lsp
