// The actions against a small in-memory pane, for what the pure tables cannot
// reach: the failure contracts, hostile positions and the self-closing tag.
#include "engine/comment_engine.h"
#include "engine/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// Lines and a caret; the keystroke passed on is applied the way the editor
// would, and a typed space is inserted at the caret.
class FakeEditor final : public VisualBasicEditor, public CodeWindow, public Route {
 public:
  // `text` holds the lines separated by LF, with '^' at the caret.
  explicit FakeEditor(const std::wstring& text) {
    std::wstring current;
    for (wchar_t c : text) {
      if (c == L'\n') {
        lines.push_back(current);
        current.clear();
      } else if (c == L'^') {
        line = static_cast<int32_t>(lines.size()) + 1;
        column = static_cast<int32_t>(current.size()) + 1;
      } else {
        current += c;
      }
    }
    lines.push_back(current);
  }

  std::wstring Text() const {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) {
      std::wstring l = lines[i];
      if (static_cast<int32_t>(i) + 1 == line && column >= 1 && size_t(column) <= l.size() + 1) {
        l.insert(size_t(column) - 1, 1, L'^');
      }
      text += (i ? L"\n" : L"") + l;
    }
    return text;
  }

  int32_t GetLineCount() override { return static_cast<int32_t>(lines.size()) + 1; }
  void GetSelection(int32_t* sl, int32_t* sc, int32_t* el, int32_t* ec) override {
    if (!sl && !sc && !el && !ec) {
      throw std::bad_exception();
    }
    if (sl) {
      *sl = line;
    }
    if (sc) {
      *sc = column;
    }
    if (el) {
      *el = line;
    }
    if (ec) {
      *ec = column;
    }
  }
  void SetCaret(int32_t l, int32_t c) override { SetSelection(l, c, l, c); }
  // Like the editor, keeps the caret at most one column past the line's end.
  void SetSelection(int32_t l, int32_t c, int32_t, int32_t) override {
    line = l;
    column = c;
    if (l >= 1 && l <= static_cast<int32_t>(lines.size())) {
      column =
          static_cast<int32_t>(std::min<int64_t>(c, static_cast<int64_t>(lines[l - 1].size()) + 1));
    }
  }
  void GetLine(int32_t l, std::wstring& text) override {
    if (l < 0 || l > GetLineCount()) {
      throw std::bad_exception();
    }
    text = (l == 0 || l == GetLineCount()) ? L"" : lines[l - 1];
  }
  void GetLines(int32_t, int32_t, std::vector<std::wstring>&) override {
    throw std::bad_exception();
  }
  void GetProcOfLine(int32_t, std::wstring& name, int32_t*) override { name.clear(); }
  int32_t GetProcBodyLine(const std::wstring&, int32_t) override { throw std::bad_exception(); }
  bool IsInProcBody(int32_t) override { return false; }
  void ReplaceLine(int32_t l, const std::wstring& text) override {
    if (l < 1 || l >= GetLineCount()) {
      throw std::bad_exception();
    }
    std::vector<std::wstring> parts(1);
    for (wchar_t c : text) {
      if (c == L'\n') {
        parts.emplace_back();
      } else {
        parts.back() += c;
      }
    }
    lines.erase(lines.begin() + (l - 1));
    lines.insert(lines.begin() + (l - 1), parts.begin(), parts.end());
  }

  bool IsLive() override { return true; }
  void TypeSpace() override { Type(L' '); }
  intptr_t CallOriginal() override {
    if (key == kVkReturn) {
      const std::wstring rest = lines[line - 1].substr(column - 1);
      lines[line - 1].erase(column - 1);
      lines.insert(lines.begin() + line, rest);
      ++line;
      column = 1;
    } else {
      Type(static_cast<wchar_t>(key));
    }
    return 0;
  }

  void Type(wchar_t c) {
    std::wstring& l = lines[line - 1];
    l.insert(l.begin() + std::min<size_t>(column - 1, l.size()), c);
    ++column;
  }

  std::vector<std::wstring> lines;
  int32_t line = 1;
  int32_t column = 1;
  uint8_t key = 0;
};

struct KeyCase {
  std::wstring before;
  uint32_t message;
  uint8_t key;
  std::wstring after;
  bool consumed;
};

void Press(const KeyCase& c) {
  FakeEditor editor(c.before);
  editor.key = c.key;
  bool consumed = false;
  DispatchKeystroke(&editor, c.message, c.key, &editor, &editor, &consumed);
  EXPECT_EQ(editor.Text(), c.after) << "before:\n" << std::string(c.before.begin(), c.before.end());
  EXPECT_EQ(consumed, c.consumed) << std::string(c.before.begin(), c.before.end());
}

TEST(EngineActions, SelfClosingTagGetsNoClosingTag) {
  const KeyCase cases[] = {
      {L"''' <br/^", kWmChar, kGreaterThan, L"''' <br/>^", true},
      {L"''' <see cref=\"x\"/^", kWmChar, kGreaterThan, L"''' <see cref=\"x\"/>^", true},
      {L"''' <br /^", kWmChar, kGreaterThan, L"''' <br />^", true},
      {L"''' <a href=\"/\"^", kWmChar, kGreaterThan, L"''' <a href=\"/\">^</a>", true},
      {L"''' <summary^", kWmChar, kGreaterThan, L"''' <summary>^</summary>", true},
      {L"    ''' <c^rest", kWmChar, kGreaterThan, L"    ''' <c>^</c>rest", true},
      {L"If a ^ b Then", kWmChar, kGreaterThan, L"If a ^ b Then", false},
  };
  for (const KeyCase& c : cases) {
    Press(c);
  }
}

TEST(EngineActions, TemplateAndContinuation) {
  const KeyCase cases[] = {
      {L"''^\nPrivate Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long", kWmChar,
       kApostrophe,
       L"''' <summary>\n''' ^\n''' </summary>\n''' <returns></returns>\n''' <remarks></remarks>\n"
       L"Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long",
       true},
      {L"\t''^\n\n\tSub S(a() As Byte, n As Long)", kWmChar, kApostrophe,
       L"\t''' <summary>\n\t''' ^\n\t''' </summary>\n\t''' <param name=\"a\"></param>\n"
       L"\t''' <param name=\"n\"></param>\n\t''' <remarks></remarks>\n\n\tSub S(a() As Byte, n "
       L"As Long)",
       true},
      {L"  ''' Returns the ^sum", kWmKeyDown, kVkReturn, L"  ''' Returns the \n  ''' ^sum", true},
      {L"''' x^", kWmKeyDown, kVkReturn, L"''' x\n''' ^", true},
  };
  for (const KeyCase& c : cases) {
    Press(c);
  }
}

TEST(EngineActions, TabWalksTheTemplate) {
  FakeEditor editor(
      L"''' <summary>\n'''^\n''' </summary>\n''' <param name=\"a\"></param>\n"
      L"''' <returns></returns>\n''' <remarks></remarks>\nSub S()");
  editor.key = kVkTab;
  const std::pair<int32_t, int32_t> stops[] = {{4, 21}, {5, 14}, {6, 14}, {6, 24}, {2, 5}};
  for (const auto& [line, column] : stops) {
    bool consumed = false;
    DispatchKeystroke(&editor, kWmKeyDown, kVkTab, &editor, &editor, &consumed);
    EXPECT_TRUE(consumed);
    EXPECT_EQ(editor.line, line);
    EXPECT_EQ(editor.column, column);
  }
  // Column 5 lay past the end of the bare body line: a space was typed to reach it.
  EXPECT_EQ(editor.lines[1], L"''' ");
}

TEST(EngineActions, FailuresAreExceptionsNotCrashes) {
  FakeEditor editor(L"''' x");
  CommentEngine engine(&editor, &editor);
  // No marker on the caret line any more.
  editor.lines = {L"x", L""};
  EXPECT_THROW(engine.ContinueCommentLine(1, 1), std::out_of_range);
  EXPECT_EQ(editor.lines[1], L"");
  // The caret is past the end of the line after '>'.
  editor.lines = {L"''' <c>"};
  EXPECT_THROW(engine.CompleteClosingTag(1, 12), std::out_of_range);
  EXPECT_EQ(editor.lines[0], L"''' <c>");
  EXPECT_THROW(engine.MoveToNextTag(1, 5, {}), std::out_of_range);

  bool consumed = false;
  EXPECT_THROW(DispatchKeystroke(nullptr, kWmChar, kApostrophe, &editor, &editor, &consumed),
               std::bad_exception);
  EXPECT_THROW(DispatchKeystroke(&editor, kWmChar, kApostrophe, nullptr, &editor, &consumed),
               std::bad_exception);
  EXPECT_FALSE(consumed);
  try {
    DispatchKeystroke(nullptr, kWmChar, kApostrophe, &editor, &editor, &consumed);
  } catch (const std::bad_exception& failure) {
    EXPECT_STREQ(failure.what(), "bad exception");
  }
}

TEST(EngineActions, HostileCaretPositionsReadNothingOutOfRange) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const int32_t columns[] = {kMin, -5, 0, 1, 2, 3, 4, 5, 9, 40, kMax};
  const std::wstring texts[] = {L"", L"'", L"''", L"'''", L"''' <a", L"''' <a>", L"  ''' x"};
  const uint8_t keys[] = {kApostrophe, kGreaterThan, kVkTab, kVkReturn};
  for (const std::wstring& text : texts) {
    for (int32_t column : columns) {
      for (uint8_t key : keys) {
        FakeEditor editor(text + L"\n''' y");
        editor.column = column;
        editor.key = key;
        CommentEngine engine(&editor, &editor);
        int32_t marker = 0;
        EXPECT_NO_THROW(engine.IsInCommentBlock(1, column, 1, column, &marker, key == kVkTab));
        EXPECT_NO_THROW(engine.IsTemplateTrigger(1, column, key));
        EXPECT_NO_THROW(FindOpeningTagName(text, column));
        std::vector<TagRange> ranges;
        EXPECT_NO_THROW(engine.CollectTagRanges(1, ranges));
        if (!ranges.empty()) {
          EXPECT_NO_THROW(engine.FindCurrentTagRange(1, column, ranges));
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarnwick
