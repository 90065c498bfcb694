#include "lsp/sync_actions.h"

#include <algorithm>

namespace tarnwick::lsp {
namespace {

struct LineSpan {
  int64_t first = 0;  // 0-based, inclusive
  int64_t last = -1;
  void Take(int64_t line) {
    if (line < 0) {
      return;
    }
    if (last < first) {
      first = last = line;
    } else {
      first = std::min(first, line);
      last = std::max(last, line);
    }
  }
};

LineSpan SpanOf(const Member& member) {
  LineSpan span;
  span.Take(member.statement.line - 1);
  span.Take(member.statement.line - 1 + member.statement.lineCount - 1);
  if (!member.block.Empty()) {
    span.Take(member.block.line - 1);
  }
  if (!member.attribute.Empty()) {
    span.Take(member.attribute.line - 1);
  }
  if (!member.annotation.Empty()) {
    span.Take(member.annotation.line - 1);
  }
  return span;
}

const Member* MemberAt(const std::vector<Member>& members, int64_t line) {
  for (const Member& member : members) {
    const LineSpan span = SpanOf(member);
    if (line >= span.first && line <= span.last) {
      return &member;
    }
    if (const Member* child = MemberAt(member.children, line)) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<tarnwick::LineEdit> SyncEditsOf(const DocModule& module, bool descriptions) {
  SyncOptions options;
  options.addDescriptions = descriptions;
  return SyncEdits(module.source, SyncModule(module, options));
}

std::vector<tarnwick::LineEdit> MemberEdits(const DocModule& module,
                                            const std::vector<tarnwick::LineEdit>& edits,
                                            int64_t line) {
  std::vector<tarnwick::LineEdit> picked;
  const Member* member = MemberAt(module.module.members, line);
  if (member == nullptr) {
    return picked;
  }
  const LineSpan span = SpanOf(*member);
  for (const tarnwick::LineEdit& edit : edits) {
    const int64_t first = edit.first;
    const int64_t last = edit.first + std::max(edit.count, 1) - 1;
    if (last >= span.first && first <= span.last + 1) {
      picked.push_back(edit);
    }
  }
  return picked;
}

std::vector<TextEdit> ToTextEdits(const TextDocument& document,
                                  const std::vector<tarnwick::LineEdit>& edits) {
  std::vector<TextEdit> out;
  const std::wstring end(document.PreferredLineEnd());
  const int64_t count = document.LineCount();
  for (const tarnwick::LineEdit& edit : edits) {
    const int64_t first = edit.first;
    const int64_t after = edit.first + edit.count;  // the first line kept below
    TextEdit text;
    if (after < count) {
      text.range = {{first, 0}, {after, 0}};
      for (const std::wstring& line : edit.lines) {
        text.newText += line + end;
      }
    } else {
      // Up to the end of the text, which has no line end after its last line.
      const int64_t last = count - 1;
      const TextPosition textEnd{last, static_cast<int64_t>(document.Line(last).size())};
      if (edit.count == 0) {
        text.range = {textEnd, textEnd};
        for (const std::wstring& line : edit.lines) {
          text.newText += end + line;
        }
      } else {
        text.range = {{first, 0}, textEnd};
        for (size_t i = 0; i < edit.lines.size(); ++i) {
          text.newText += (i ? end : L"") + edit.lines[i];
        }
      }
    }
    out.push_back(std::move(text));
  }
  return out;
}

}  // namespace tarnwick::lsp
