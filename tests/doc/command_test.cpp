#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/doc/doc_test_support.h"
#include "tools/doc/doc_command.h"

namespace tarnwick {
namespace {

constexpr const char kDocumented[] =
    "Attribute VB_Name = \"Good\"\r\n"
    "''' <summary>Halves <paramref name=\"n\"/>; see <see cref=\"Good.Twice\"/>.</summary>\r\n"
    "''' <param name=\"n\">A number.</param>\r\n''' <returns>Half.</returns>\r\n"
    "Public Function Half(ByVal n As Double) As Double\r\nEnd Function\r\n"
    "''' <summary>Doubles.</summary>\r\nPublic Sub Twice(n)\r\nEnd Sub\r\n"
    "''' <summary>The size.</summary>\r\n''' <returns>It.</returns>\r\n"
    "Public Property Get Size() As Long\r\nEnd Property\r\n"
    "Public Property Let Size(ByVal v As Long)\r\nEnd Property\r\n"
    "Public Sub Clear()\r\nAttribute Clear.VB_Description = \"Clears it.\"\r\nEnd Sub\r\n";

// A missing file, binary junk and undecodable bytes: one message each, naming
// the file (and line), exit status 2, nothing written for them, the rest done.
TEST(DocCommand, BadInputIsReportedAndTheOtherFilesAreStillDone) {
  ScratchFolder folder;
  const std::string good = folder.Write("Good.bas", kDocumented);
  const std::string junk = folder.Write("Junk.bas", std::string("\x7F"
                                                                "ELF\x02\x01\x01\0\0",
                                                                9));
  const std::string japanese = folder.Write("Japanese.bas", "Sub A()\r\nEnd Sub\r\n' \x85\x40\r\n");
  const std::string missing = folder.Utf8("Missing.bas");
  const DocRun check = RunDoc({"check", "--encoding", "cp932", missing, junk, japanese, good});
  EXPECT_EQ(check.status, kDocBadInput);
  EXPECT_EQ(check.out, good + ":8: Sub Twice: parameter \"n\" has no <param>\n");
  EXPECT_EQ(check.err,
            missing + ": error: cannot read the file\n" + junk +
                ":1: error: the control character U+0002 stands in the text: not a VBA module\n" +
                japanese +
                ":3: error: byte at column 3 is no character in cp932 (read as cp932)\n");

  const std::string before = folder.Read("Junk.bas");
  const DocRun sync = RunDoc({"sync", "--write", junk, good});
  EXPECT_EQ(sync.status, kDocBadInput);
  EXPECT_EQ(folder.Read("Junk.bas"), before);
  EXPECT_NE(folder.Read("Good.bas").find("<param name=\"n\"></param>"), std::string::npos);

  const DocRun usage = RunDoc({"check", "--encoding", "latin-9", good});
  EXPECT_EQ(usage.status, kDocBadInput);
  EXPECT_NE(usage.err.find("unknown encoding 'latin-9'"), std::string::npos);
}

TEST(DocCommand, WritesXmlAndMarkdownFiles) {
  ScratchFolder folder;
  folder.Write("project/Good.bas", kDocumented);
  folder.Write("project/sub/Notes.txt", "not a module");
  const DocRun xml = RunDoc({"xml", "--out", folder.Utf8("doc.xml"), folder.Utf8("project/")});
  EXPECT_EQ(xml.status, kDocDone) << xml.err;
  EXPECT_NE(folder.Read("doc.xml").find("<name>project</name>"), std::string::npos);
  EXPECT_NE(folder.Read("doc.xml").find("<member name=\"M:project.Good.Half(System.Double)\">"),
            std::string::npos);

  const DocRun markdown = RunDoc({"markdown", "--out", folder.Utf8("md"), folder.Utf8("project")});
  EXPECT_EQ(markdown.status, kDocDone) << markdown.err;
  EXPECT_EQ(folder.Read("md/index.md"),
            "# project\n\n| Module | Kind | Summary |\n| --- | --- | --- |\n"
            "| [Good](Good.md) | Standard module |  |\n");
  EXPECT_EQ(folder.Read("md/Good.md"),
            "# Good\n\nStandard module.\n\n"
            "## Half\n\n```vb\nPublic Function Half(ByVal n As Double) As Double\n```\n\n"
            "Halves `n`; see [`Good.Twice`](Good.md#twice).\n\n"
            "| Parameter | Type | Description |\n| --- | --- | --- |\n"
            "| `n` | Double | A number. |\n\n"
            "**Returns:** Half.\n\n"
            "## Twice\n\n```vb\nPublic Sub Twice(n)\n```\n\nDoubles.\n\n"
            "## Size\n\n```vb\nPublic Property Get Size() As Long\n"
            "Public Property Let Size(ByVal v As Long)\n```\n\nThe size.\n\n**Returns:** It.\n\n"
            "## Clear\n\n```vb\nPublic Sub Clear()\n```\n\nClears it.\n\n");
}

}  // namespace
}  // namespace tarnwick
