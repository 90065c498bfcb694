#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/doc/doc_test_support.h"
#include "tools/doc/doc_tasks.h"

namespace tarnwick {
namespace {

// The module's bytes after sync, and the notes it gave.
std::string Synced(const std::string& bytes, std::vector<std::string>* notes = nullptr,
                   Encoding fallback = Encoding::kWindows1252) {
  const DocModule doc = ModuleOf(bytes, fallback);
  const SyncResult result = SyncModule(doc);
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
