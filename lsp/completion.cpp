#include "lsp/completion.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <optional>

#include "engine/declaration_parser.h"
#include "engine/text_helpers.h"
#include "lsp/engine_edits.h"
#include "text/ascii.h"

namespace tarnwick::lsp {
namespace {

// The member a ''' block documents: the statement after the block's last line,
// blank lines between.
struct BlockContext {
  Declaration declaration;
  std::vector<std::wstring> documented;  // names of the block's <param> tags
  bool hasReturns = false;
};

// The first quoted value from `from` on: a tag's name="value", or empty.
std::wstring AttributeValue(const std::wstring& text, size_t from) {
  const size_t open = text.find(L'"', from);
  if (open == std::wstring::npos) {
    return {};
  }
  const size_t close = text.find(L'"', open + 1);
  return text.substr(open + 1, close == std::wstring::npos ? std::wstring::npos : close - open - 1);
}

std::optional<BlockContext> ReadBlockContext(const TextDocument& document, int64_t line) {
  BlockContext context;
  int64_t top = line;
  while (top > 0 && FindCommentMarker(document.Line(top - 1)) != std::wstring::npos) {
    --top;
  }
  int64_t next = line;
  const int64_t count = document.LineCount();
  // Blocks of any length are read, but a runaway one is not followed further.
  constexpr int64_t kLongestBlock = 10000;
  while (next < count && next - top < kLongestBlock &&
         FindCommentMarker(document.Line(next)) != std::wstring::npos) {
    ++next;
  }
  for (int64_t i = top; i < next; ++i) {
    const std::wstring& text = document.Line(i);
    for (size_t at = text.find(L"<param"); at != std::wstring::npos;
         at = text.find(L"<param", at + 1)) {
      if (at + 6 < text.size() && !IsNameStopAt(text, at + 6)) {
        continue;  // <paramref
      }
      context.documented.push_back(AttributeValue(text, at));
    }
    if (text.find(L"<returns") != std::wstring::npos) {
      context.hasReturns = true;
    }
  }
  while (next < count && TrimBlanks(document.Line(next)).empty()) {
    ++next;
  }
  if (next >= count) {
    return context;
  }
  std::wstring statement;
  JoinContinuedLines(
      next, std::min(count, next + 200),
      [&](int64_t l, std::wstring& text) { text = document.Line(l); }, statement);
  context.declaration = ParseDeclarationText(CutTrailingComment(statement));
  return context;
}

bool IsDocumented(const BlockContext& context, const std::wstring& name) {
  return std::any_of(context.documented.begin(), context.documented.end(),
                     [&](const std::wstring& d) { return EqualsIgnoringAsciiCase(d, name); });
}

struct TagShape {
  const wchar_t* name;
  const wchar_t* snippet;  // after '<'
  const wchar_t* detail;
};

// The tags, in the order they are offered.
constexpr TagShape kBlockTags[] = {
    {L"summary", L"summary>$0</summary>", L"What the member does"},
    {L"remarks", L"remarks>$0</remarks>", L"More about the member"},
    {L"example", L"example>$0</example>", L"An example of its use"},
    {L"exception", L"exception cref=\"$1\">$0</exception>", L"An error it raises"},
    {L"seealso", L"seealso cref=\"$1\"/>$0", L"A related member"},
};
constexpr TagShape kInlineTags[] = {
    {L"c", L"c>$0</c>", L"Code within text"},
    {L"code", L"code>$0</code>", L"A block of code"},
    {L"para", L"para>$0</para>", L"A paragraph"},
    {L"see", L"see cref=\"$1\"/>$0", L"A link to a member"},
};

// The snippet as plain text: the tab stops taken out.
std::wstring Unsnippet(const std::wstring& snippet) {
  std::wstring plain;
  for (size_t i = 0; i < snippet.size(); ++i) {
    if (snippet[i] == L'$' && i + 1 < snippet.size() && iswdigit(snippet[i + 1])) {
      ++i;
      continue;
    }
    plain += snippet[i];
  }
  return plain;
}

CompletionEntry TagEntry(const std::wstring& label, const std::wstring& snippet,
                         const std::wstring& detail, TextRange range, bool snippets) {
  CompletionEntry entry;
  entry.kind = CompletionEntry::Kind::kTag;
  entry.label = label;
  entry.detail = detail;
  entry.filterText = L"<" + label;
  entry.snippet = snippets;
  entry.edit = {range, L"<" + (snippets ? snippet : Unsnippet(snippet))};
  return entry;
}

std::vector<CompletionEntry> TagEntries(const TextDocument& document, TextPosition position,
                                        size_t open, bool snippets) {
  std::vector<CompletionEntry> entries;
  const auto context = ReadBlockContext(document, position.line);
  if (!context) {
    return entries;
  }
  const TextRange range{{position.line, static_cast<int64_t>(open)}, position};
  const Declaration& declaration = context->declaration;
  auto add = [&](const TagShape& tag) {
    entries.push_back(TagEntry(tag.name, tag.snippet, tag.detail, range, snippets));
  };
  add(kBlockTags[0]);
  for (const Parameter& parameter : declaration.parameters) {
    if (parameter.name.empty() || IsDocumented(*context, parameter.name)) {
      continue;
    }
    const std::wstring escaped = snippets ? EscapeSnippet(parameter.name) : parameter.name;
    entries.push_back(TagEntry(L"param name=\"" + parameter.name + L"\"",
                               L"param name=\"" + escaped + L"\">$0</param>",
                               L"The parameter " + parameter.name, range, snippets));
  }
  if (ReturnsValue(declaration.kind) && !context->hasReturns) {
    entries.push_back(
        TagEntry(L"returns", L"returns>$0</returns>", L"What the member returns", range, snippets));
  }
  for (size_t i = 1; i < std::size(kBlockTags); ++i) {
    add(kBlockTags[i]);
  }
  for (const TagShape& tag : kInlineTags) {
    add(tag);
  }
  if (!declaration.parameters.empty()) {
    entries.push_back(TagEntry(L"paramref", L"paramref name=\"$1\"/>$0",
                               L"A reference to a parameter", range, snippets));
  }
  return entries;
}

// Inside name="..." of a param or paramref tag: the parameters' names.
std::vector<CompletionEntry> NameEntries(const TextDocument& document, TextPosition position,
                                         const std::wstring& tag, size_t valueStart) {
  std::vector<CompletionEntry> entries;
  const auto context = ReadBlockContext(document, position.line);
  if (!context) {
    return entries;
  }
  const TextRange range{{position.line, static_cast<int64_t>(valueStart)}, position};
  for (const Parameter& parameter : context->declaration.parameters) {
    if (parameter.name.empty() || (tag == L"param" && IsDocumented(*context, parameter.name))) {
      continue;
    }
    CompletionEntry entry;
    entry.kind = CompletionEntry::Kind::kParameter;
    entry.label = parameter.name;
    entry.detail = parameter.type.empty() ? L"Parameter" : L"As " + parameter.type;
    entry.edit = {range, parameter.name};
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

std::vector<CompletionEntry> Complete(const TextDocument& document, TextPosition position,
                                      bool snippets) {
  position = document.Clamp(position);
  const std::wstring& line = document.Line(position.line);
  const auto caret = static_cast<size_t>(position.character);
  const size_t marker = FindCommentMarker(line);

  // The template, once the marker is complete.
  if (caret >= 3 && line.compare(caret - 3, 3, L"'''") == 0) {
    std::vector<CompletionEntry> entries;
    if (const auto edit = EditForTypedKey(document, position, TypedKey::kApostrophe)) {
      CompletionEntry entry;
      entry.kind = CompletionEntry::Kind::kTemplate;
      entry.label = L"''' <summary>";
      entry.detail = L"Documentation comment";
      entry.filterText = L"'''";
      entry.snippet = snippets;
      entry.preselect = true;
      entry.edit = snippets ? SnippetEdit(document, *edit) : PlainEdit(document, *edit);
      entries.push_back(std::move(entry));
    }
    return entries;
  }
  if (marker == std::wstring::npos || caret < marker + 3) {
    return {};
  }
  const std::wstring before = line.substr(marker + 3, caret - marker - 3);
  const size_t lt = before.rfind(L'<');
  if (lt == std::wstring::npos || before.find(L'>', lt) != std::wstring::npos) {
    return {};
  }
  const size_t open = marker + 3 + lt;
  const std::wstring inTag = before.substr(lt + 1);
  // A tag name being typed.
  if (std::all_of(inTag.begin(), inTag.end(), [](wchar_t c) { return iswalpha(c) != 0; })) {
    return TagEntries(document, position, open, snippets);
  }
  // An attribute's value being typed: an odd number of quotes in the tag.
  const auto quotes = std::count(inTag.begin(), inTag.end(), L'"');
  if (quotes % 2 == 1) {
    const size_t quote = inTag.rfind(L'"');
    const std::wstring head = inTag.substr(0, quote);
    const std::wstring tag = head.substr(0, head.find_first_of(BlankChars));
    if ((tag == L"param" || tag == L"paramref") && head.size() >= 5 &&
        head.compare(head.size() - 5, 5, L"name=") == 0) {
      return NameEntries(document, position, tag, open + 1 + quote + 1);
    }
  }
  return {};
}

}  // namespace tarnwick::lsp
