#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/doc/doc_test_support.h"
#include "documentation/check.h"
#include "documentation/descriptions.h"
#include "documentation/sync.h"

namespace tarnwick {
namespace {

// The module's bytes after sync, and the notes it gave.
std::string Synced(const std::string& bytes, std::vector<std::string>* notes = nullptr,
                   Encoding fallback = Encoding::kWindows1252, SyncOptions options = {}) {
  const DocModule doc = ModuleOf(bytes, fallback);
  const SyncResult result = SyncModule(doc, options);
  if (notes != nullptr) {
    *notes = Lines(result.notes);
  }
  return SyncedBytes(doc.source, result);
}

struct SyncCase {
  const char* name;
  const char* before;
  const char* after;
  std::vector<std::string> notes;
};

TEST(DocSync, BringsBlocksInLineKeepingEveryWord) {
  const SyncCase cases[] = {
      {"missing params added in signature order; an empty stale one goes, one with text stays",
       "    ''' <summary>Adds.</summary>\n"
       "    ''' <param name=\"b\">Second.</param>\n"
       "    ''' <param name=\"old\"></param>\n"
       "    ''' <param name=\"gone\">Was here,\n"
       "    '''   over two lines.</param>\n"
       "    ''' <remarks>Kept.</remarks>\n"
       "    Public Function Add(ByVal a As Long, ByVal b As Long, c) As Long\n"
       "    End Function",
       "    ''' <summary>Adds.</summary>\n"
       "    ''' <param name=\"a\"></param>\n"
       "    ''' <param name=\"b\">Second.</param>\n"
       "    ''' <param name=\"c\"></param>\n"
       "    ''' <param name=\"gone\">Was here,\n"
       "    '''   over two lines.</param>\n"
       "    ''' <returns></returns>\n"
       "    ''' <remarks>Kept.</remarks>\n"
       "    Public Function Add(ByVal a As Long, ByVal b As Long, c) As Long\n"
       "    End Function",
       {"4: Function Add: kept <param name=\"gone\">, which names no parameter, for its text"}},
      {"params put back in signature order with their text",
       "''' <summary>S.</summary>\n''' <param name=\"y\">Y.</param>\n'''\n"
       "''' <param name=\"x\">X.</param>\nSub S(x, y)\nEnd Sub",
       "''' <summary>S.</summary>\n''' <param name=\"x\">X.</param>\n"
       "''' <param name=\"y\">Y.</param>\n'''\nSub S(x, y)\nEnd Sub",
       {}},
      {"returns: an empty one goes where none is due, one with text stays; one is added after "
       "the summary",
       "''' <summary>S.</summary>\n''' <returns></returns>\nSub S()\nEnd Sub\n"
       "''' <summary>T.</summary>\n''' <returns>Text.</returns>\nSub T()\nEnd Sub\n"
       "'''<summary>G.</summary>\n'''<remarks/>\nProperty Get G() As Long\nEnd Property",
       "''' <summary>S.</summary>\nSub S()\nEnd Sub\n"
       "''' <summary>T.</summary>\n''' <returns>Text.</returns>\nSub T()\nEnd Sub\n"
       "'''<summary>G.</summary>\n'''<returns></returns>\n'''<remarks/>\n"
       "Property Get G() As Long\nEnd Property",
       {"6: Sub T: kept <returns>, which this member has no value for, for its text"}},
      {"a block it cannot parse, and one whose tags share a line, are left alone",
       "''' <summary>Open\nSub S(a)\nEnd Sub\n"
       "''' <summary>T.</summary><param name=\"b\"/>\nSub T(a)\nEnd Sub\n"
       "''' Plain words.\nSub U(a)\nEnd Sub",
       "''' <summary>Open\nSub S(a)\nEnd Sub\n"
       "''' <summary>T.</summary><param name=\"b\"/>\nSub T(a)\nEnd Sub\n"
       "''' Plain words.\nSub U(a)\nEnd Sub",
       {"1: Sub S: the block is left as it is: it is not well-formed XML",
        "4: Sub T: the block is left as it is: its tags do not stand on lines of their own",
        "7: Sub U: the block is left as it is: its tags do not stand on lines of their own"}},
      {"a block sync would empty is kept, so that the block above does not take its place",
       "''' <summary>Module.</summary>\n\n''' <returns/>\nSub S()\nEnd Sub",
       "''' <summary>Module.</summary>\n\n''' <returns/>\nSub S()\nEnd Sub",
       {"3: Sub S: the block is left as it is: sync would remove all of it"}},
      {"no block is created, and a block in line is not touched",
       "Sub S(a)\nEnd Sub\n''' <summary>T.</summary>\n''' <param name=\"a\">A.</param>\n"
       "Sub T(a)\nEnd Sub",
       "Sub S(a)\nEnd Sub\n''' <summary>T.</summary>\n''' <param name=\"a\">A.</param>\n"
       "Sub T(a)\nEnd Sub",
       {}},
  };
  for (const SyncCase& c : cases) {
    std::vector<std::string> notes;
    const std::string once = Synced(c.before, &notes);
    EXPECT_EQ(once, c.after) << c.name;
    EXPECT_EQ(notes, c.notes) << c.name;
    EXPECT_EQ(Synced(once), once) << c.name << ": a second sync changes nothing";
  }
}

TEST(DocSync, KeepsLineEndsAndEncodingsByteForByte) {
  // CR LF, windows-1252 in a comment and in a kept line; the new line ends in CR LF.
  EXPECT_EQ(Synced("' caf\xE9\r\n''' <summary>\xC0 la carte.</summary>\r\n"
                   "Sub S(\xE9t\xE9)\r\nEnd Sub"),
            "' caf\xE9\r\n''' <summary>\xC0 la carte.</summary>\r\n"
            "''' <param name=\"\xE9t\xE9\"></param>\r\n"
            "Sub S(\xE9t\xE9)\r\nEnd Sub");
  // cp932: the new param's name is written back in cp932.
  const std::string cp932 =
      "''' <summary>\x93\xFA\x95\x74.</summary>\r\nFunction F(\x93\xFA\x95\x74 As Date) As Long";
  EXPECT_EQ(Synced(cp932, nullptr, Encoding::kCp932),
            "''' <summary>\x93\xFA\x95\x74.</summary>\r\n"
            "''' <param name=\"\x93\xFA\x95\x74\"></param>\r\n"
            "''' <returns></returns>\r\n"
            "Function F(\x93\xFA\x95\x74 As Date) As Long");
  const std::string wide("\xFF\xFE'\0'\0'\0<\0c\0/\0>\0\r\0\n\0S\0u\0b\0 \0S\0(\0a\0)\0", 36);
  // UTF-16 with its byte-order mark; without a summary the param goes first.
  EXPECT_EQ(Synced(wide),
            std::string("\xFF\xFE", 2) +
                std::string("'\0'\0'\0<\0p\0a\0r\0a\0m\0 \0n\0a\0m\0e\0=\0\"\0a\0\""
                            "\0>\0<\0/\0p\0a\0r\0a\0m\0>\0\r\0\n\0",
                            58) +
                std::string("'\0'\0'\0<\0c\0/\0>\0\r\0\n\0S\0u\0b\0 \0S\0(\0a\0)\0", 34));
}

// "word0001 word0002 ..." up to `count`.
std::string Words(int count) {
  std::string words;
  for (int i = 1; i <= count; ++i) {
    const std::string number = std::to_string(10000 + i).substr(1);
    words += (words.empty() ? "word" : " word") + number;
  }
  return words;
}

struct DescriptionCase {
  const char* name;
  std::string before;
  std::string plain;               // after sync; empty: as before
  std::string described;           // after sync --descriptions; empty: as after sync
  std::vector<std::string> notes;  // of sync --descriptions
};

TEST(DocSync, BringsDescriptionsInLineAndAddsThemOnRequest) {
  const std::string sum =
      "''' <summary>Sums.</summary>\n''' <param name=\"a\">A.</param>\n"
      "''' <returns>The sum.</returns>\nPublic Function Sum( _\n    ByVal a As Long) As Long\n";
  const DescriptionCase cases[] = {
      {"a stale attribute and annotation take the summary as plain text",
       "''' <summary>Adds <paramref name=\"a\"/> to <c>b</c>, see <see cref=\"M.Sum\"/>."
       "</summary>\n''' <param name=\"a\">A.</param>\n''' <param name=\"b\">B.</param>\n"
       "'@Description(\"Adds.\") ' kept\nPublic Sub Add(a, b)\n"
       "Attribute Add.VB_Description = \"Adds.\"\nEnd Sub",
       "''' <summary>Adds <paramref name=\"a\"/> to <c>b</c>, see <see cref=\"M.Sum\"/>."
       "</summary>\n''' <param name=\"a\">A.</param>\n''' <param name=\"b\">B.</param>\n"
       "'@Description(\"Adds a to b, see M.Sum.\") ' kept\nPublic Sub Add(a, b)\n"
       "Attribute Add.VB_Description = \"Adds a to b, see M.Sum.\"\nEnd Sub",
       "",
       {}},
      {"added after the declaration's last line, for public procedures with a summary only",
       sum + "    Sum = a\nEnd Function\n''' <summary>P.</summary>\nPrivate Sub P()\nEnd Sub\n"
             "''' <summary>K.</summary>\nPublic Const K = 1\n"
             "Sub D()\nAttribute D.VB_Description = \"D.\"\nEnd Sub\n"
             "''' <summary>R.</summary>\nSub R(): Beep: End Sub",
       "",
       sum + "Attribute Sum.VB_Description = \"Sums.\"\n    Sum = a\nEnd Function\n"
             "''' <summary>P.</summary>\nPrivate Sub P()\nEnd Sub\n"
             "''' <summary>K.</summary>\nPublic Const K = 1\n"
             "Sub D()\nAttribute D.VB_Description = \"D.\"\nEnd Sub\n"
             "''' <summary>R.</summary>\nSub R(): Beep: End Sub",
       {"17: Sub R: no description added: its End stands on its declaration's line"}},
      {"a property's goes in the accessor with the block, unless another accessor has one",
       "Property Get Size() As Long\nEnd Property\n''' <summary>The size.</summary>\n"
       "''' <param name=\"v\">V.</param>\nProperty Let Size(ByVal v As Long)\nEnd Property\n"
       "Property Get Count() As Long\nAttribute Count.VB_Description = \"Old.\"\nEnd Property\n"
       "''' <summary>The count.</summary>\n''' <param name=\"v\">V.</param>\n"
       "Property Let Count(ByVal v As Long)\nEnd Property",
       "Property Get Size() As Long\nEnd Property\n''' <summary>The size.</summary>\n"
       "''' <param name=\"v\">V.</param>\nProperty Let Size(ByVal v As Long)\nEnd Property\n"
       "Property Get Count() As Long\nAttribute Count.VB_Description = \"The count.\"\n"
       "End Property\n''' <summary>The count.</summary>\n''' <param name=\"v\">V.</param>\n"
       "Property Let Count(ByVal v As Long)\nEnd Property",
       "Property Get Size() As Long\nEnd Property\n''' <summary>The size.</summary>\n"
       "''' <param name=\"v\">V.</param>\nProperty Let Size(ByVal v As Long)\n"
       "Attribute Size.VB_Description = \"The size.\"\nEnd Property\n"
       "Property Get Count() As Long\nAttribute Count.VB_Description = \"The count.\"\n"
       "End Property\n''' <summary>The count.</summary>\n''' <param name=\"v\">V.</param>\n"
       "Property Let Count(ByVal v As Long)\nEnd Property",
       {}},
      {"quotes doubled, whitespace collapsed, the text of other tags kept",
       "''' <summary>\n'''   Reads a \"quoted\" <b>word</b>\n'''   and &lt;more&gt;.\n"
       "''' </summary>\nSub Q()\nEnd Sub",
       "",
       "''' <summary>\n'''   Reads a \"quoted\" <b>word</b>\n'''   and &lt;more&gt;.\n"
       "''' </summary>\nSub Q()\n"
       "Attribute Q.VB_Description = \"Reads a \"\"quoted\"\" word and <more>.\"\nEnd Sub",
       {}},
      {"a long summary cut at a word, the line within 1023 characters",
       "''' <summary>" + Words(130) + "</summary>\nSub L()\nEnd Sub",
       "",
       "''' <summary>" + Words(130) + "</summary>\nSub L()\nAttribute L.VB_Description = \"" +
           Words(110) + "\"\nEnd Sub",
       {}},
      {"a summary the file's encoding cannot hold leaves the description alone",
       "' caf\xE9\n''' <summary>To &#x2192;.</summary>\nSub A()\nAttribute A.VB_Description = "
       "\"To.\"\n"
       "End Sub\n''' <summary>To &#x2192;.</summary>\nSub B()\nEnd Sub",
       "",
       "",
       {"4: Sub A: the description is left as it is: the summary holds a character that "
        "windows-1252 cannot hold",
        "7: Sub B: no description added: the summary holds a character that windows-1252 "
        "cannot hold"}},
  };
  for (const DescriptionCase& c : cases) {
    const std::string plain = c.plain.empty() ? c.before : c.plain;
    const std::string described = c.described.empty() ? plain : c.described;
    const SyncOptions add{true};
    std::vector<std::string> notes;
    EXPECT_EQ(Synced(c.before), plain) << c.name;
    EXPECT_EQ(Synced(c.before, &notes, Encoding::kWindows1252, add), described) << c.name;
    EXPECT_EQ(notes, c.notes) << c.name;
    EXPECT_EQ(Synced(described, nullptr, Encoding::kWindows1252, add), described)
        << c.name << ": a second sync changes nothing";
    // Check finds no stale description that sync could write.
    for (const Finding& finding : CheckModule(ModuleOf(described))) {
      EXPECT_TRUE(finding.code != kStaleDescription || !c.notes.empty())
          << c.name << ": " << finding.message;
    }
  }
}

TEST(DocSync, WritesDescriptionsInTheFilesEncodingAndLineEnds) {
  // cp932 with CR LF, a last line without its end: the stale attribute is
  // rewritten, the new one added, every other byte kept.
  const std::string before =
      "' \x93\xFA\x96\x7B\r\n''' <summary>\x93\xFA\x95\x74.</summary>\r\n"
      "Sub A()\r\nAttribute A.VB_Description = \"\x8C\xC3\x82\xA2.\"\r\nEnd Sub\r\n"
      "''' <summary>\x8E\x9E\x8D\x8F.</summary>\r\nSub B()\r\nEnd Sub";
  EXPECT_EQ(Synced(before, nullptr, Encoding::kCp932, {true}),
            "' \x93\xFA\x96\x7B\r\n''' <summary>\x93\xFA\x95\x74.</summary>\r\n"
            "Sub A()\r\nAttribute A.VB_Description = \"\x93\xFA\x95\x74.\"\r\nEnd Sub\r\n"
            "''' <summary>\x8E\x9E\x8D\x8F.</summary>\r\nSub B()\r\n"
            "Attribute B.VB_Description = \"\x8E\x9E\x8D\x8F.\"\r\nEnd Sub");
  // A declaration on the last line: the line end it lacked comes from the file.
  EXPECT_EQ(Synced("''' <summary>S.</summary>\r\nSub S()", nullptr, Encoding::kWindows1252, {true}),
            "''' <summary>S.</summary>\r\nSub S()\r\nAttribute S.VB_Description = \"S.\"");
}

TEST(DocSync, ShowsAUnifiedDiffOfTheChange) {
  const DocModule doc = ModuleOf(
      "Option Explicit\n''' <summary>S.</summary>\n''' <param name=\"b\"></param>\n"
      "Sub S(a)\nEnd Sub");
  EXPECT_EQ(UnifiedDiff("M.bas", doc.source, SyncModule(doc)),
            "--- a/M.bas\n+++ b/M.bas\n@@ -1,5 +1,5 @@\n Option Explicit\n"
            " ''' <summary>S.</summary>\n-''' <param name=\"b\"></param>\n"
            "+''' <param name=\"a\"></param>\n Sub S(a)\n End Sub\n");
}

}  // namespace
}  // namespace tarnwick
