#include "vba/module_reader.h"

#include <string_view>

#include "engine/text_helpers.h"

namespace tarnwick {

namespace {

std::wstring_view FirstWord(std::wstring_view text) {
  const size_t start = FirstNonBlank(text);
  if (start == std::wstring_view::npos) {
    return std::wstring_view();
  }
  const size_t end = text.find_first_of(BlankChars, start);
  return text.substr(start, end == std::wstring_view::npos ? end : end - start);
}

// The word after the first one.
std::wstring_view SecondWord(std::wstring_view text) {
  const size_t start = FirstNonBlank(text);
  if (start == std::wstring_view::npos) {
    return std::wstring_view();
  }
  const size_t end = text.find_first_of(BlankChars, start);
  return end == std::wstring_view::npos ? std::wstring_view() : FirstWord(text.substr(end));
}

bool IsBlankLine(const std::wstring& line) {
  return FirstNonBlank(line) == std::wstring::npos;
}

bool IsDocumentationLine(const std::wstring& line) {
  return FindCommentMarker(line) != std::wstring::npos;
}

bool IsCommentLine(const std::wstring& line) {
  const size_t start = FirstNonBlank(line);
  return start != std::wstring::npos &&
         (line[start] == L'\'' || EqualsIgnoringAsciiCase(FirstWord(line), L"Rem"));
}

bool IsDirectiveLine(const std::wstring& line) {
  const size_t start = FirstNonBlank(line);
  return start != std::wstring::npos && line[start] == L'#';
}

// The statement that starts on line `i`, joined across " _"; `i` moves past it.
Statement ReadStatement(const std::vector<std::wstring>& lines, size_t& i) {
  Statement statement;
  statement.line = static_cast<int32_t>(i + 1);
  const int64_t read = JoinContinuedLines(
      static_cast<int64_t>(i), static_cast<int64_t>(lines.size()),
      [&](int64_t line, std::wstring& text) { text = lines[static_cast<size_t>(line)]; },
      statement.text);
  i += static_cast<size_t>(read);
  statement.lineCount = static_cast<int32_t>(read);
  return statement;
}

// Does the statement end a procedure: an "End Sub", "End Function" or "End
// Property" of its own, or after a ':' that separates statements?
bool EndsProcedure(const std::wstring& text) {
  // Most statements of a body hold no "End" at all: those are told at once.
  bool end = false;
  for (size_t i = 0; !end && i + 2 < text.size(); ++i) {
    end = AsciiLower(text[i]) == L'e' && AsciiLower(text[i + 1]) == L'n' &&
          AsciiLower(text[i + 2]) == L'd';
  }
  if (!end) {
    return false;
  }
  const std::wstring code = CutTrailingComment(text);
  bool inString = false;
  size_t segment = 0;
  for (size_t i = 0; i <= code.size(); ++i) {
    const bool end = i == code.size();
    if (!end && code[i] == L'"') {
      inString = !inString;
    }
    if (end || (!inString && code[i] == L':' && (i + 1 == code.size() || code[i + 1] != L'='))) {
      const std::wstring_view part = std::wstring_view(code).substr(segment, i - segment);
      const std::wstring_view second = SecondWord(part);
      if (EqualsIgnoringAsciiCase(FirstWord(part), L"End") &&
          (EqualsIgnoringAsciiCase(second, L"Sub") ||
           EqualsIgnoringAsciiCase(second, L"Function") ||
           EqualsIgnoringAsciiCase(second, L"Property"))) {
        return true;
      }
      segment = i + 1;
    }
  }
  return false;
}

// The name an Enum member or a Type field declares: "[Any Name]" as written
// in its brackets, otherwise the first word without bounds or type character.
std::wstring ChildName(const std::wstring& text) {
  const std::wstring code = CutTrailingComment(text);
  const size_t start = code.find_first_not_of(BlankChars);
  if (start == std::wstring::npos) {
    return std::wstring();
  }
  if (code[start] == L'[') {
    const size_t close = code.find(L']', start);
    return close == std::wstring::npos ? std::wstring() : code.substr(start + 1, close - start - 1);
  }
  const size_t end = code.find_first_of(L" \t(=", start);
  std::wstring name = code.substr(start, end == std::wstring::npos ? end : end - start);
  if (!name.empty() && IsTypeCharacter(name.back())) {
    name.pop_back();
  }
  return name;
}

std::wstring QuotedValue(const std::wstring& statement) {
  const size_t equals = statement.find(L'=');
  if (equals == std::wstring::npos) {
    return std::wstring();
  }
  std::wstring value = TrimBlanks(statement.substr(equals + 1));
  if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The VBA string that stands alone from `from` on: after blanks (and, in an
// annotation, an opening parenthesis), with nothing after it but blanks, that
// parenthesis's closing one and a comment. Doubled quotes read as one. Empty
// otherwise: a string joined to more (& "...") is not a description to rewrite.
Description StringAt(const std::wstring& line, size_t from, int32_t lineNumber, bool annotation) {
  size_t open = line.find_first_not_of(BlankChars, std::min(from, line.size()));
  const bool parenthesis = annotation && open != std::wstring::npos && line[open] == L'(';
  if (parenthesis) {
    open = line.find_first_not_of(BlankChars, open + 1);
  }
  if (open == std::wstring::npos || line[open] != L'"') {
    return Description();
  }
  std::wstring text;
  for (size_t i = open + 1; i < line.size(); ++i) {
    if (line[i] != L'"') {
      text += line[i];
    } else if (i + 1 < line.size() && line[i + 1] == L'"') {
      text += L'"';
      ++i;
    } else {
      size_t rest = line.find_first_not_of(BlankChars, i + 1);
      if (parenthesis && rest != std::wstring::npos && line[rest] == L')') {
        rest = line.find_first_not_of(BlankChars, rest + 1);
      } else if (parenthesis) {
        return Description();
      }
      if (rest != std::wstring::npos && line[rest] != L'\'') {
        return Description();
      }
      return {lineNumber, std::move(text), open, i + 1};
    }
  }
  return Description();
}

// The description an Attribute statement gives `target` (empty: the module):
// "Attribute Target.VB_Description = "..."", or VB_VarDescription for a
// variable. A statement over several lines is passed over.
Description DescriptionAttribute(const Statement& statement, std::wstring_view target) {
  std::wstring_view word = SecondWord(statement.text);
  word = word.substr(0, word.find(L'='));
  const size_t dot = word.rfind(L'.');
  const std::wstring_view owner = dot == std::wstring_view::npos ? L"" : word.substr(0, dot);
  const std::wstring_view name = dot == std::wstring_view::npos ? word : word.substr(dot + 1);
  if (statement.lineCount != 1 || !EqualsIgnoringAsciiCase(owner, target) ||
      !(EqualsIgnoringAsciiCase(name, L"VB_Description") ||
        (!target.empty() && EqualsIgnoringAsciiCase(name, L"VB_VarDescription")))) {
    return Description();
  }
  const size_t equals = statement.text.find(L'=');
  return equals == std::wstring::npos ? Description()
                                      : StringAt(statement.text, equals + 1, statement.line, false);
}

Description MemberAttribute(const Statement& statement, const Member& member) {
  for (const std::wstring& name : member.declaration.names) {
    Description description = DescriptionAttribute(statement, name);
    if (!description.Empty()) {
      return description;
    }
  }
  return Description();
}

// Where an annotation line's "'@" is followed by its name; npos for other lines.
size_t AnnotationAt(const std::wstring& line) {
  size_t at = line.find_first_not_of(BlankChars);
  if (at == std::wstring::npos || line[at] != L'\'') {
    return std::wstring::npos;
  }
  at = line.find_first_not_of(BlankChars, at + 1);
  return at != std::wstring::npos && line[at] == L'@' ? at + 1 : std::wstring::npos;
}

// The position after "'@Name" when the line is that annotation (ASCII case
// ignored), or npos.
size_t AfterAnnotation(const std::wstring& line, std::wstring_view name) {
  const size_t at = AnnotationAt(line);
  if (at == std::wstring::npos ||
      !EqualsIgnoringAsciiCase(std::wstring_view(line).substr(at, name.size()), name) ||
      !IsNameStopAt(line, at + name.size())) {
    return std::wstring::npos;
  }
  return at + name.size();
}

class Reader {
 public:
  Reader(const std::vector<std::wstring>& lines, ModuleSource& module)
      : lines(lines), module(module) {}

  void Run() {
    ReadHeader();
    while (i < lines.size()) {
      Statement statement;
      if (!NextStatement(statement, pending)) {
        break;
      }
      Description above = std::move(annotation);
      annotation = Description();
      if (IsAttributeStatement(statement.text)) {
        if (EqualsIgnoringAsciiCase(SecondWord(statement.text), L"VB_Name")) {
          module.name = QuotedValue(statement.text);
        } else if (module.members.empty() && module.attribute.Empty()) {
          module.attribute = DescriptionAttribute(statement, L"");
        } else if (!module.members.empty() && module.members.back().attribute.Empty()) {
          // A variable's attribute follows its declaration.
          module.members.back().attribute = MemberAttribute(statement, module.members.back());
        }
        continue;
      }
      Declaration declaration = ParseDeclarationText(statement.text);
      if (declaration.kind == DeclarationKind::kNone) {
        Unattached();
        continue;
      }
      Member member;
      member.statement = std::move(statement);
      member.declaration = std::move(declaration);
      member.block = std::move(pending);
      member.annotation = std::move(above);
      pending = CommentBlock();
      Attached(member.block);
      if (member.declaration.kind == DeclarationKind::kEnum ||
          member.declaration.kind == DeclarationKind::kType) {
        ReadChildren(member);
      } else if (IsProcedureHeader(member.declaration.kind)) {
        member.oneLine = EndsProcedure(member.statement.text);
        if (!member.oneLine) {
          SkipBody(member);
        }
      }
      module.members.push_back(std::move(member));
    }
    Unattached();
  }

 private:
  // The header of a class or form: "VERSION ...", then BEGIN ... END, nested.
  void ReadHeader() {
    if (lines.empty() || !EqualsIgnoringAsciiCase(FirstWord(lines[0]), L"VERSION")) {
      return;
    }
    module.kind = ModuleKind::kForm;
    for (const std::wstring& word : SplitAny(lines[0], BlankChars)) {
      if (EqualsIgnoringAsciiCase(word, L"CLASS")) {
        module.kind = ModuleKind::kClass;
      }
    }
    i = 1;
    if (i == lines.size() || !EqualsIgnoringAsciiCase(FirstWord(lines[i]), L"Begin")) {
      return;
    }
    const size_t begin = i;
    int depth = 0;
    while (i < lines.size()) {
      const std::wstring_view word = FirstWord(lines[i++]);
      if (EqualsIgnoringAsciiCase(word, L"Begin") ||
          EqualsIgnoringAsciiCase(word, L"BeginProperty")) {
        ++depth;
      } else if (EqualsIgnoringAsciiCase(word, L"End") ||
                 EqualsIgnoringAsciiCase(word, L"EndProperty")) {
        if (--depth == 0) {
          return;
        }
      }
    }
    throw ModuleError(static_cast<int32_t>(begin + 1),
                      "the header's BEGIN has no END: not a VBA module");
  }

  // Moves to the next statement, collecting ''' lines into `block` on the way.
  // Blank lines and directives (#If ...) leave the block as it is; a comment
  // or a second run of ''' lines after a blank one ends it unattached.
  bool NextStatement(Statement& statement, CommentBlock& block) {
    while (i < lines.size()) {
      const std::wstring& line = lines[i];
      if (IsDocumentationLine(line)) {
        if (!block.Empty() && static_cast<size_t>(block.line) + block.lines.size() != i + 1) {
          EndBlock(block);
        }
        if (block.Empty()) {
          block.line = static_cast<int32_t>(i + 1);
        }
        block.lines.push_back(line);
        ++i;
      } else if (IsBlankLine(line) || IsDirectiveLine(line)) {
        ++i;
      } else if (AnnotationAt(line) != std::wstring::npos) {
        if (&block == &pending) {
          Annotation(i);
        }
        ++i;
      } else if (IsCommentLine(line)) {
        EndBlock(block);
        ++i;
      } else {
        statement = ReadStatement(lines, i);
        return true;
      }
    }
    return false;
  }

  void EndBlock(CommentBlock& block) {
    if (&block == &pending) {
      Unattached();
    }
    Stray(block, inBody ? StrayKind::kInBody : StrayKind::kDocumentsNothing);
  }

  // A block that documents no declaration documents the module when it stands
  // above all of them.
  void Unattached() {
    if (!pending.Empty() && module.members.empty() && module.block.Empty()) {
      module.block = std::move(pending);
      pending = CommentBlock();
    }
    Stray(pending, StrayKind::kDocumentsNothing);
  }

  void Stray(CommentBlock& block, StrayKind kind) {
    if (!block.Empty()) {
      module.strays.push_back({std::move(block), kind});
    }
    block = CommentBlock();
  }

  // A member was read with `block`: the blocks cut off above it since the
  // member before are second blocks for it.
  void Attached(const CommentBlock& block) {
    if (!block.Empty()) {
      for (size_t s = detached; s < module.strays.size(); ++s) {
        if (module.strays[s].kind == StrayKind::kDocumentsNothing) {
          module.strays[s].kind = StrayKind::kSecondBlock;
        }
      }
    }
    detached = module.strays.size();
  }

  // An annotation above a declaration: '@Description for the member below,
  // '@ModuleDescription for the module. The first of each counts.
  void Annotation(size_t index) {
    const std::wstring& line = lines[index];
    const auto number = static_cast<int32_t>(index + 1);
    size_t after = AfterAnnotation(line, L"Description");
    if (after != std::wstring::npos && annotation.Empty()) {
      annotation = StringAt(line, after, number, true);
    }
    after = AfterAnnotation(line, L"ModuleDescription");
    if (after != std::wstring::npos && module.annotation.Empty()) {
      module.annotation = StringAt(line, after, number, true);
    }
  }

  // Passes over a body to its End line, reading the member's description
  // attribute on the way. A procedure header inside it, where a body lacks its
  // End, begins the next member.
  void SkipBody(Member& member) {
    CommentBlock ignored;
    inBody = true;
    while (i < lines.size()) {
      Statement statement;
      if (!NextStatement(statement, ignored)) {
        break;
      }
      if (member.attribute.Empty() && IsAttributeStatement(statement.text)) {
        member.attribute = MemberAttribute(statement, member);
        continue;
      }
      if (EndsProcedure(statement.text)) {
        break;
      }
      if (IsProcedureHeader(ParseDeclarationText(statement.text).kind)) {
        i = static_cast<size_t>(statement.line - 1);
        break;
      }
    }
    Stray(ignored, StrayKind::kInBody);
    inBody = false;
  }

  void ReadChildren(Member& parent) {
    const bool isEnum = parent.declaration.kind == DeclarationKind::kEnum;
    CommentBlock block;
    while (i < lines.size()) {
      Statement statement;
      if (!NextStatement(statement, block)) {
        break;
      }
      if (EqualsIgnoringAsciiCase(FirstWord(statement.text), L"End") &&
          EqualsIgnoringAsciiCase(SecondWord(statement.text), isEnum ? L"Enum" : L"Type")) {
        break;
      }
      if (ParseDeclarationText(statement.text).kind != DeclarationKind::kNone &&
          !EqualsIgnoringAsciiCase(FirstWord(statement.text), L"Type") &&
          !EqualsIgnoringAsciiCase(FirstWord(statement.text), L"Enum")) {
        // An Enum or Type without its End line: the declaration is the next member.
        i = static_cast<size_t>(statement.line - 1);
        break;
      }
      std::wstring name = ChildName(statement.text);
      if (name.empty()) {
        Stray(block, StrayKind::kDocumentsNothing);
        continue;
      }
      Declaration declaration;
      declaration.kind = isEnum ? DeclarationKind::kConst : DeclarationKind::kVariable;
      declaration.names.push_back(std::move(name));
      Member child;
      child.statement = std::move(statement);
      child.declaration = std::move(declaration);
      child.block = std::move(block);
      parent.children.push_back(std::move(child));
      block = CommentBlock();
      Attached(parent.children.back().block);
    }
    Stray(block, StrayKind::kDocumentsNothing);
    detached = module.strays.size();
  }

  const std::vector<std::wstring>& lines;
  ModuleSource& module;
  size_t i = 0;
  CommentBlock pending;
  Description annotation;  // '@Description above the next statement
  bool inBody = false;
  size_t detached = 0;  // the strays from here on may be second blocks of the next member
};

}  // namespace

bool IsAttributeStatement(std::wstring_view line) {
  constexpr std::wstring_view kAttribute = L"Attribute";
  const size_t start = FirstNonBlank(line);
  if (start == std::wstring_view::npos) {
    return false;
  }
  const std::wstring_view rest = line.substr(start);
  return EqualsIgnoringAsciiCase(rest.substr(0, kAttribute.size()), kAttribute) &&
         (rest.size() == kAttribute.size() || IsBlank(rest[kAttribute.size()]) ||
          rest[kAttribute.size()] == L'=');
}

ModuleSource ReadModule(const std::vector<std::wstring>& lines) {
  ModuleSource module;
  Reader(lines, module).Run();
  return module;
}

}  // namespace tarnwick
