// The document under incremental edits: line ends kept and merged as the text
// says, positions clamped, UTF-16 units counted as the client counts them.
#include <gtest/gtest.h>

#include "lsp/text_document.h"

namespace tarnwick::lsp {
namespace {

struct EditCase {
  const char* name;
  const wchar_t* before;
  TextRange range;
  const wchar_t* text;
  const wchar_t* after;
  int32_t lines;
};

const EditCase kEdits[] = {
    {"an insertion inside a line",
     L"Sub A()\r\nEnd Sub",
     {{0, 5}, {0, 5}},
     L"bc",
     L"Sub Abc()\r\nEnd Sub",
     2},
    {"a deletion across a CR LF", L"ab\r\ncd", {{0, 1}, {1, 1}}, L"", L"ad", 1},
    {"an LF typed after a lone CR makes one CR LF", L"a\rb", {{1, 0}, {1, 0}}, L"\n", L"a\r\nb", 2},
    {"a CR typed before an LF makes one CR LF", L"a\nb", {{0, 1}, {0, 1}}, L"\r", L"a\r\nb", 2},
    {"mixed line ends stay as they were",
     L"a\r\nb\nc\rd",
     {{1, 0}, {1, 1}},
     L"B",
     L"a\r\nB\nc\rd",
     4},
    {"a line ending the text leaves an empty last line",
     L"a",
     {{0, 1}, {0, 1}},
     L"\r\n",
     L"a\r\n",
     2},
    {"a character past the line's end is its end",
     L"ab\ncd",
     {{0, 99}, {0, 99}},
     L"!",
     L"ab!\ncd",
     2},
    {"a line past the last is the end of the text",
     L"ab\ncd",
     {{7, 0}, {9, 3}},
     L"!",
     L"ab\ncd!",
     2},
    {"negative positions are the start", L"ab", {{-1, -5}, {0, -1}}, L"!", L"!ab", 1},
    {"an end before the start inserts at the start", L"abcd", {{0, 3}, {0, 1}}, L"!", L"abc!d", 1},
    {"a surrogate pair counts two units and may be split",
     L"\xD83D\xDE00x",
     {{0, 1}, {0, 1}},
     L"-",
     L"\xD83D-\xDE00x",
     1},
    {"the whole text replaced by nothing", L"a\r\nb\r\n", {{0, 0}, {2, 0}}, L"", L"", 1},
};

class DocumentEdits : public testing::TestWithParam<EditCase> {};

TEST_P(DocumentEdits, GiveTheTextBack) {
  const EditCase& c = GetParam();
  TextDocument document(c.before);
  document.Replace(c.range, c.text);
  EXPECT_EQ(document.Text(), c.after) << c.name;
  EXPECT_EQ(document.LineCount(), c.lines) << c.name;
  // The lines are the text cut at its line ends, and nothing else.
  EXPECT_EQ(TextDocument(c.after).Lines().Lines(), document.Lines().Lines()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, DocumentEdits, testing::ValuesIn(kEdits));

TEST(TextDocument, NewLinesTakeTheFirstLinesEnd) {
  EXPECT_EQ(TextDocument(L"a\r\nb\nc").PreferredLineEnd(), L"\r\n");
  EXPECT_EQ(TextDocument(L"a").PreferredLineEnd(), L"\n");
}

}  // namespace
}  // namespace tarnwick::lsp
