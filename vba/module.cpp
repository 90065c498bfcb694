#include "vba/module.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "text/ascii.h"

namespace tarnwick {
namespace {

bool IsBlankChar(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// A line is continued when it ends in a blank followed by an underscore.
bool IsContinued(const std::wstring& text) {
  const size_t last = text.find_last_not_of(L" \t");
  return last != std::wstring::npos && last >= 1 && text[last] == L'_' &&
         IsBlankChar(text[last - 1]);
}

std::vector<std::wstring> Words(const std::wstring& text) {
  std::vector<std::wstring> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlankChar(text[i])) {
      ++i;
    }
    const size_t start = i;
    while (i < text.size() && !IsBlankChar(text[i])) {
      ++i;
    }
    if (i > start) {
      words.push_back(text.substr(start, i - start));
    }
  }
  return words;
}

std::wstring CutAt(const std::wstring& word, const wchar_t* stops) {
  return word.substr(0, word.find_first_of(stops));
}

bool IsComment(const std::vector<std::wstring>& words) {
  if (words.empty()) {
    return false;
  }
  return words[0][0] == L'\'' || EqualsIgnoringAsciiCase(CutAt(words[0], L":"), L"rem");
}

struct Declaration {
  std::wstring name;
  int32_t kind = 0;
};

std::optional<Declaration> ReadProcDeclaration(const std::vector<std::wstring>& words) {
  size_t i = 0;
  while (i < words.size() && (EqualsIgnoringAsciiCase(words[i], L"public") ||
                              EqualsIgnoringAsciiCase(words[i], L"private") ||
                              EqualsIgnoringAsciiCase(words[i], L"friend") ||
                              EqualsIgnoringAsciiCase(words[i], L"static"))) {
    ++i;
  }
  if (i >= words.size()) {
    return std::nullopt;
  }
  Declaration declaration;
  size_t nameIndex = 0;
  if (EqualsIgnoringAsciiCase(words[i], L"sub") || EqualsIgnoringAsciiCase(words[i], L"function")) {
    nameIndex = i + 1;
  } else if (EqualsIgnoringAsciiCase(words[i], L"property") && i + 1 < words.size()) {
    const std::wstring& access = words[i + 1];
    if (EqualsIgnoringAsciiCase(access, L"get")) {
      declaration.kind = 3;
    } else if (EqualsIgnoringAsciiCase(access, L"let")) {
      declaration.kind = 1;
    } else if (EqualsIgnoringAsciiCase(access, L"set")) {
      declaration.kind = 2;
    } else {
      return std::nullopt;
    }
    nameIndex = i + 2;
  } else {
    return std::nullopt;
  }
  if (nameIndex >= words.size()) {
    return std::nullopt;
  }
  declaration.name = CutAt(words[nameIndex], L"(");
  // A type-declaration character is not part of the name (Function Name$()).
  if (!declaration.name.empty() &&
      std::wstring(L"%&!#@$").find(declaration.name.back()) != std::wstring::npos) {
    declaration.name.pop_back();
  }
  if (declaration.name.empty()) {
    return std::nullopt;
  }
  return declaration;
}

bool IsProcEnd(const std::vector<std::wstring>& words) {
  if (words.size() < 2 || !EqualsIgnoringAsciiCase(words[0], L"end")) {
    return false;
  }
  const std::wstring kind = CutAt(words[1], L":'");
  return EqualsIgnoringAsciiCase(kind, L"sub") || EqualsIgnoringAsciiCase(kind, L"function") ||
         EqualsIgnoringAsciiCase(kind, L"property");
}

}  // namespace

Module::Module(std::vector<std::wstring> lines) : lines(std::move(lines)) {}

const std::wstring& Module::Line(int32_t line) const {
  static const std::wstring empty;
  if (line < 1 || line > LineCount()) {
    return empty;
  }
  return lines[static_cast<size_t>(line - 1)];
}

bool Module::JoinLines(int32_t start, int32_t count, std::wstring& text) const {
  if (start < 0 || count < 0 || int64_t{start} + count > int64_t{LineCount()} + 2) {
    return false;
  }
  std::wstring joined;
  for (int64_t line = start; line < int64_t{start} + count; ++line) {
    if (line != start) {
      joined += L"\r\n";
    }
    joined += Line(static_cast<int32_t>(line));
  }
  text = std::move(joined);
  return true;
}

std::vector<std::wstring> Module::SplitReplacement(const std::wstring& text) {
  const std::wstring written = text.substr(0, text.find(L'\0'));
  std::vector<std::wstring> pieces;
  size_t start = 0;
  for (;;) {
    const size_t lf = written.find(L'\n', start);
    std::wstring piece = written.substr(start, lf == std::wstring::npos ? lf : lf - start);
    if (lf != std::wstring::npos && !piece.empty() && piece.back() == L'\r') {
      piece.pop_back();
    }
    pieces.push_back(std::move(piece));
    if (lf == std::wstring::npos) {
      break;
    }
    start = lf + 1;
  }
  return pieces;
}

bool Module::ReplaceLine(int32_t line, const std::wstring& text) {
  if (line < 1 || line > LineCount()) {
    return false;
  }
  return ReplaceLines(line, 1, SplitReplacement(text));
}

bool Module::ReplaceLines(int32_t first, int32_t count, std::vector<std::wstring> replacement) {
  if (first < 1 || count < 0 || int64_t{first} + count > int64_t{LineCount()} + 1) {
    return false;
  }
  const auto at = lines.begin() + (first - 1);
  const size_t common = std::min(static_cast<size_t>(count), replacement.size());
  std::move(replacement.begin(), replacement.begin() + static_cast<ptrdiff_t>(common), at);
  if (replacement.size() > common) {
    lines.insert(at + static_cast<ptrdiff_t>(common),
                 std::make_move_iterator(replacement.begin() + static_cast<ptrdiff_t>(common)),
                 std::make_move_iterator(replacement.end()));
  } else {
    lines.erase(at + static_cast<ptrdiff_t>(common), at + count);
  }
  Changed();
  return true;
}

void Module::SetLine(int32_t line, std::wstring text) {
  if (line < 1 || line > LineCount()) {
    return;
  }
  lines[static_cast<size_t>(line - 1)] = std::move(text);
  Changed();
}

void Module::InsertLine(int32_t before, std::wstring text) {
  before = std::clamp(before, 1, LineCount() + 1);
  lines.insert(lines.begin() + (before - 1), std::move(text));
  Changed();
}

void Module::EraseLines(int32_t first, int32_t count) {
  if (first < 1 || count <= 0 || first > LineCount()) {
    return;
  }
  const int32_t end = std::min(first + count, LineCount() + 1);
  lines.erase(lines.begin() + (first - 1), lines.begin() + (end - 1));
  Changed();
}

const std::vector<Procedure>& Module::Procedures() const {
  if (mapped) {
    return procedures;
  }
  procedures.clear();
  const int32_t count = LineCount();
  int32_t nextFirst = 1;  // first line the next procedure would own
  bool open = false;      // the last procedure has not reached its End line
  for (int32_t i = 1; i <= count;) {
    std::wstring statement;
    int32_t last = i;
    for (;; ++last) {
      const std::wstring& text = Line(last);
      if (last < count && IsContinued(text)) {
        statement += text.substr(0, text.find_last_not_of(L" \t"));
        continue;
      }
      statement += text;
      break;
    }
    const std::vector<std::wstring> words = Words(statement);
    if (const auto declaration = ReadProcDeclaration(words)) {
      if (open) {
        procedures.back().lastLine = i - 1;
        nextFirst = i;
      }
      procedures.push_back({declaration->name, declaration->kind, nextFirst, i, count});
      open = true;
    } else if (open && IsProcEnd(words)) {
      procedures.back().lastLine = last;
      open = false;
      nextFirst = last + 1;
    } else if (procedures.empty() && !words.empty() && !IsComment(words)) {
      nextFirst = last + 1;  // still in the declarations section
    }
    i = last + 1;
  }
  if (!procedures.empty()) {
    procedures.back().lastLine = count;
  }
  mapped = true;
  return procedures;
}

const Procedure* Module::ProcOfLine(int32_t line) const {
  const std::vector<Procedure>& table = Procedures();
  const auto after =
      std::upper_bound(table.begin(), table.end(), line,
                       [](int32_t l, const Procedure& p) { return l < p.firstLine; });
  if (after == table.begin()) {
    return nullptr;
  }
  const Procedure& candidate = *(after - 1);
  return line <= candidate.lastLine ? &candidate : nullptr;
}

const Procedure* Module::FindProc(const std::wstring& name, int32_t kind) const {
  for (const Procedure& procedure : Procedures()) {
    if (procedure.kind == kind && EqualsIgnoringAsciiCase(procedure.name, name)) {
      return &procedure;
    }
  }
  return nullptr;
}

Selection Module::Clamp(Selection selection) const {
  auto clampPosition = [this](int32_t& line, int32_t& column) {
    line = std::clamp(line, 1, std::max(1, LineCount()));
    const auto length = static_cast<int32_t>(Line(line).size());
    column = std::clamp(column, 1, length + 1);
  };
  clampPosition(selection.startLine, selection.startColumn);
  clampPosition(selection.endLine, selection.endColumn);
  if (std::pair(selection.endLine, selection.endColumn) <
      std::pair(selection.startLine, selection.startColumn)) {
    std::swap(selection.startLine, selection.endLine);
    std::swap(selection.startColumn, selection.endColumn);
  }
  return selection;
}

}  // namespace tarnwick
