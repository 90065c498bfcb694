#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/doc/doc_test_support.h"
#include "files/read_file.h"
#include "text/source_text.h"
#include "tarnwick_version.h"
#include "tools/doc/doc_command.h"

namespace tarnwick {
namespace {

constexpr const char kMark[] =
    "Written by tarnwick-doc markdown, which replaces this file when run again.";

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
  EXPECT_EQ(check.out, good + ":8: TWD011 Sub Twice: parameter \"n\" has no <param>\n");
  // The system's reason, in its own words.
  const std::string missingLine = missing + ": error: cannot read the file: ";
  ASSERT_EQ(check.err.rfind(missingLine, 0), 0u) << check.err;
  EXPECT_GT(check.err.find('\n'), missingLine.size()) << check.err;
  EXPECT_EQ(
      check.err.substr(check.err.find('\n') + 1),
      junk + ":1: error: the control character U+0002 stands in the text: not a VBA module\n" +
          japanese + ":3: error: byte at column 3 is no character in cp932 (read as cp932)\n");

  const std::string before = folder.Read("Junk.bas");
  const DocRun sync = RunDoc({"sync", "--write", junk, good});
  EXPECT_EQ(sync.status, kDocBadInput);
  EXPECT_EQ(folder.Read("Junk.bas"), before);
  EXPECT_NE(folder.Read("Good.bas").find("<param name=\"n\"></param>"), std::string::npos);

  const DocRun usage = RunDoc({"check", "--encoding", "latin-9", good});
  EXPECT_EQ(usage.status, kDocBadInput);
  EXPECT_NE(usage.err.find("unknown encoding 'latin-9'"), std::string::npos);
}

#ifndef _WIN32
// A file whose name is not UTF-8, as Linux allows, is read like any other,
// named with its bad byte escaped, and written back under its own name.
TEST(DocCommand, ReadsFilesWhoseNamesAreNotUtf8) {
  ScratchFolder folder;
  folder.Write("bad\xFF.bas", "''' <summary>S.</summary>\r\nSub S(a)\r\nEnd Sub\r\n");
  const DocRun check = RunDoc({"check", folder.Utf8("")});
  EXPECT_EQ(check.status, kDocFound) << check.err;
  EXPECT_EQ(check.out,
            folder.Utf8("") + "bad\\xFF.bas:2: TWD011 Sub S: parameter \"a\" has no <param>\n");
  EXPECT_EQ(RunDoc({"sync", "--write", folder.Utf8("")}).status, kDocDone);
  EXPECT_NE(folder.Read("bad\xFF.bas").find("<param name=\"a\"></param>"), std::string::npos);
}
#endif

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
  EXPECT_EQ(
      folder.Read("md/mkdocs.yml"),
      "# " + std::string(kMark) +
          "\nsite_name: \"project\"\nnav:\n  - \"Index\": index.md\n  - \"Good\": \"Good.md\"\n");
  EXPECT_EQ(folder.Read("md/docs/index.md"),
            "<!-- " + std::string(kMark) +
                " -->\n# project\n\n| Module | Kind | Summary |\n| --- | --- | --- |\n"
                "| [Good](Good.md) | Standard module |  |\n");
  EXPECT_EQ(
      folder.Read("md/docs/Good.md"),
      "<!-- " + std::string(kMark) +
          " -->\n# Good\n\nStandard module.\n\n"
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

// A module's name comes from its file: it names its page only where it is a
// plain file name in DIR/docs, not the index's and not one already taken.
TEST(DocCommand, MarkdownPagesStayInTheSiteWhateverTheModulesAreNamed) {
  ScratchFolder folder;
  const char* names[] = {"../../Escaped",
                         "CON",
                         "Index",
                         "Plain",
                         "PLAIN",
                         "sub/dir",
                         "\xC3\x9C"
                         "bersicht",
                         "\xC3\xBC"
                         "bersicht"};
  std::vector<std::string> paths;
  for (size_t i = 0; i < std::size(names); ++i) {
    paths.push_back(folder.Write("in/M" + std::to_string(i) + ".bas",
                                 std::string("Attribute VB_Name = \"") + names[i] + "\"\n"));
  }
  std::vector<std::string> arguments = {"markdown", "--out", folder.Utf8("site/md")};
  arguments.insert(arguments.end(), paths.begin(), paths.end());
  const DocRun markdown = RunDoc(arguments);
  EXPECT_EQ(markdown.status, kDocDone) << markdown.err;
  EXPECT_EQ(folder.Read("site/md/mkdocs.yml"),
            "# " + std::string(kMark) +
                "\nsite_name: \"M0\"\nnav:\n  - \"Index\": index.md\n"
                "  - \"../../Escaped\": \"module-1.md\"\n  - \"CON\": \"module-2.md\"\n"
                "  - \"Index\": \"module-3.md\"\n  - \"Plain\": \"Plain.md\"\n"
                "  - \"PLAIN\": \"module-5.md\"\n  - \"sub/dir\": \"module-6.md\"\n"
                "  - \"\xC3\x9C"
                "bersicht\": \"\xC3\x9C"
                "bersicht.md\"\n"
                "  - \"\xC3\xBC"
                "bersicht\": \"module-8.md\"\n");
  EXPECT_NE(folder.Read("site/md/docs/index.md").find("| [Index](module-3.md) |"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Escaped.md"));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "site" / "Escaped.md"));
}

// No output lands on a file that was read, whatever path leads to it, and the
// site replaces only the files it wrote unless told to.
TEST(DocCommand, WritesNeitherOverAnInputNorOverAHandWrittenFile) {
  ScratchFolder folder;
  const std::string keep = folder.Write("keep.bas", kDocumented);
  std::vector<std::string> outs = {keep, folder.Utf8("./keep.bas")};
  std::error_code noLinks;  // Windows may refuse to make one
  std::filesystem::create_symlink("keep.bas", folder.Path() / "link.xml", noLinks);
  if (!noLinks) {
    outs.push_back(folder.Utf8("link.xml"));
  }
  for (const std::string& out : outs) {
    const DocRun xml = RunDoc({"xml", "--out", out, keep});
    EXPECT_EQ(xml.status, kDocBadInput) << out;
    EXPECT_EQ(xml.err, out + ": error: it is one of the files read; nothing was written over it\n");
    EXPECT_EQ(folder.Read("keep.bas"), kDocumented);
  }
  // A module that is a page of the site: refused even with --force.
  const std::string page = folder.Write("site/docs/Good.md", kDocumented);
  const DocRun input = RunDoc({"markdown", "--force", "--out", folder.Utf8("site"), page, keep});
  EXPECT_EQ(input.status, kDocBadInput);
  EXPECT_NE(input.err.find(page + ": error: it is one of the files read"), std::string::npos)
      << input.err;
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "site" / "mkdocs.yml"));

  folder.Write("site/mkdocs.yml", "site_name: Mine\n");
  folder.Write("site/docs/index.md", "# Mine\n");
  const DocRun kept = RunDoc({"markdown", "--out", folder.Utf8("site"), keep});
  EXPECT_EQ(kept.status, kDocBadInput);
  std::string refusals;
  for (const char* name : {"site/mkdocs.yml", "site/docs/index.md", "site/docs/Good.md"}) {
    refusals += folder.Utf8(name) +
                ": error: the file was not written by markdown; --force replaces it, and "
                "nothing was written\n";
  }
  EXPECT_EQ(kept.err, refusals);
  EXPECT_EQ(folder.Read("site/mkdocs.yml"), "site_name: Mine\n");
  EXPECT_EQ(folder.Read("site/docs/Good.md"), kDocumented);  // nothing written at all
  const DocRun forced = RunDoc({"markdown", "--force", "--out", folder.Utf8("site"), keep});
  EXPECT_EQ(forced.status, kDocDone) << forced.err;
  // What the site wrote it replaces when run again, without --force.
  const DocRun again = RunDoc({"markdown", "--out", folder.Utf8("site"), keep});
  EXPECT_EQ(again.status, kDocDone) << again.err;
  EXPECT_EQ(folder.Read("site/docs/index.md").rfind("<!-- ", 0), 0u);
}

// The module of both formats, in a folder whose name GitHub's properties must
// escape; its cref holds a '%' for the message's escapes, and a line feed
// (an XML character reference) that is shown as '?' before any format sees it.
TEST(DocCommand, ReportsInGithubAndSarifFormats) {
  ScratchFolder folder;
  const std::string module =
      folder.Write("50% done, really/Report.bas",
                   ReadFileBytes(std::string(TARNWICK_DOC_FIXTURES) + "/Report.bas"));
  std::string file = folder.Utf8("");
  for (size_t at = file.find(':'); at != std::string::npos; at = file.find(':', at)) {
    file.replace(at, 1, "%3A");  // a drive's colon, under Wine
  }
  file = "::warning file=" + file + "50%25 done%2C really/Report.bas";
  const DocRun github = RunDoc({"check", "--format", "github", module});
  EXPECT_EQ(github.status, kDocFound) << github.err;
  EXPECT_EQ(github.out,
            file +
                ",line=2,title=TWD010::Function Total: cref=\"Report.x?50%25\" names no member "
                "of Report\n" +
                file + ",line=3,title=TWD011::Function Total: parameter \"a\" has no <param>\n" +
                file + ",line=3,title=TWD013::Function Total has no <returns>\n" + file +
                ",line=5,title=TWD001::Sub Reset is public and has no ''' block\n");

  const DocRun sarif = RunDoc({"check", "--format", "sarif", module});
  EXPECT_EQ(sarif.status, kDocFound) << sarif.err;
  for (const char* part :
       {"\"version\": \"2.1.0\"", "\"name\": \"tarnwick-doc\"",
        "\"version\": \"" TARNWICK_VERSION_TEXT "\"",
        "{\"id\": \"TWD016\", \"name\": \"DescriptionDiffers\"",
        "{\"ruleId\": \"TWD010\", \"ruleIndex\": 9, \"level\": \"warning\", \"message\": "
        "{\"text\": \"Function Total: cref=\\\"Report.x?50%\\\" names no member of Report.\"}",
        "50%25%20done%2C%20really/Report.bas\"}, \"region\": {\"startLine\": 5}}"}) {
    EXPECT_NE(sarif.out.find(part), std::string::npos) << part << "\n" << sarif.out;
  }
}

// --help, -h and help print the usage, each command its own; --version; and
// the options' bad values are usage errors.
TEST(DocCommand, AnswersHelpAndVersion) {
  const DocRun usage = RunDoc({"--help"});
  EXPECT_EQ(usage.status, kDocDone);
  EXPECT_TRUE(usage.out.starts_with("usage: tarnwick-doc xml ")) << usage.out;
  EXPECT_EQ(RunDoc({"-h"}).out, usage.out);
  EXPECT_EQ(RunDoc({"help"}).out, usage.out);
  const DocRun check = RunDoc({"check", "--help"});
  EXPECT_EQ(check.status, kDocDone);
  EXPECT_EQ(RunDoc({"help", "check"}).out, check.out);
  for (const char* part :
       {"usage: tarnwick-doc check [--encoding ENC] [--format FMT]", "--missing WHICH",
        "  TWD004  A second block for one member. (BC42301)", "  TWD016  "}) {
    EXPECT_NE(check.out.find(part), std::string::npos) << part << "\n" << check.out;
  }
  EXPECT_EQ(RunDoc({"markdown", "-h"}).out.find("--format"), std::string::npos);
  const DocRun version = RunDoc({"--version"});
  EXPECT_EQ(version.status, kDocDone);
  EXPECT_EQ(version.out, "tarnwick-doc " TARNWICK_VERSION_TEXT "\n");
  const std::vector<std::vector<std::string>> bad = {
      {"check", "--ignore", "TWD999", "x.bas"}, {"check", "--missing", "some", "x.bas"},
      {"check", "--format", "xml", "x.bas"},    {"markdown", "x.bas"},
      {"sync", "--format", "text", "x.bas"},    {"help", "lint"}};
  for (const std::vector<std::string>& arguments : bad) {
    const DocRun run = RunDoc(arguments);
    EXPECT_EQ(run.status, kDocBadInput) << arguments[1];
    EXPECT_NE(run.err.find("\nusage: "), std::string::npos) << arguments[1];
  }
}

}  // namespace
}  // namespace tarnwick
