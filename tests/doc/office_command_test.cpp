// The commands on Office files built by the test writer: the names and lines of
// messages, sync's refusal to write, export and what it refuses, and the files
// that cannot be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/doc/doc_test_support.h"
#include "text/utf.h"
#include "tests/office/writer/project_writer.h"
#include "tests/office/writer/zip_writer.h"
#include "tools/doc/doc_command.h"
#include "tools/doc/doc_paths.h"

namespace tarnwick {
namespace {

using office::ModuleKind;
using office::testing::Container;
using office::testing::ModuleFixture;
using office::testing::ProjectFixture;

ModuleFixture Module(const std::wstring& name, ModuleKind kind, const std::wstring& code) {
  ModuleFixture module;
  module.name = name;
  module.kind = kind;
  module.source = office::testing::ModuleSource(name, kind, code);
  return module;
}

// A module of each kind. Each line of code is numbered as the editor shows it.
ProjectFixture Book() {
  ProjectFixture project;
  project.name = L"Ledger";
  project.modules = {
      Module(L"ThisWorkbook", ModuleKind::kDocument,
             L"Option Explicit\r\n"                    // 1
             L"Public Sub Refresh()\r\nEnd Sub\r\n"),  // 2
      Module(L"Calc", ModuleKind::kStandard,
             L"''' <summary>Sums, in \u00e9cus.</summary>\r\n"  // 1
             L"Public Function Sum(a, b) As Long\r\n"           // 2
             L"End Function\r\n"                                // 3
             L"''' <summary>Clears.</summary>\r\n"              // 4
             L"Public Sub Clear()\r\n"                          // 5
             L"Attribute Clear.VB_Description = \"Empties.\"\r\n"
             L"End Sub\r\n"),  // 6
      Module(L"Account", ModuleKind::kClass,
             L"''' <summary>An account.</summary>\r\nOption Explicit\r\n"      // 1, 2
             L"''' <summary>Adds.</summary>\r\n"                               // 3
             L"Public Sub Deposit(ByVal amount As Currency)\r\nEnd Sub\r\n"),  // 4
      Module(L"Entry", ModuleKind::kForm,
             L"''' <summary>Shows it.</summary>\r\nPublic Sub Present(ByVal title As String)\r\n"
             L"End Sub\r\n"),
  };
  return project;
}

TEST(DocOfficeFiles, MessagesNameTheModuleAndTheEditorsLine) {
  ScratchFolder folder;
  const std::string book = folder.Write("Book.xlsm", OfficeFile(Container::kXlsm, Book()));
  const DocRun check = RunDoc({"check", book});
  EXPECT_EQ(check.status, kDocFound) << check.err;
  EXPECT_EQ(check.out,
            book + "/ThisWorkbook.cls:2: TWD001 Sub Refresh is public and has no ''' block\n" +
                book + "/Calc.bas:2: TWD011 Function Sum: parameter \"a\" has no <param>\n" + book +
                "/Calc.bas:2: TWD011 Function Sum: parameter \"b\" has no <param>\n" + book +
                "/Calc.bas:2: TWD013 Function Sum has no <returns>\n" + book +
                "/Calc.bas:5: TWD016 Sub Clear: the description differs from the summary\n" + book +
                "/Account.cls:4: TWD011 Sub Deposit: parameter \"amount\" has no <param>\n" + book +
                "/Entry.frm:2: TWD011 Sub Present: parameter \"title\" has no <param>\n");

  const DocRun xml = RunDoc({"xml", book});
  EXPECT_NE(xml.out.find("<name>Ledger</name>"), std::string::npos);
  EXPECT_NE(xml.out.find("<member name=\"M:Ledger.Account.Deposit(System.Decimal)\">"),
            std::string::npos);
  EXPECT_NE(RunDoc({"xml", "--project", "Other", book}).out.find("<name>Other</name>"),
            std::string::npos);
}

// The diff is shown; --write refuses the Office file and still writes the
// module file beside it.
TEST(DocOfficeFiles, SyncShowsItsDiffButNeverWritesIntoTheFile) {
  ScratchFolder folder;
  const std::string bytes = OfficeFile(Container::kXlsm, Book());
  const std::string book = folder.Write("Book.xlsm", bytes);
  const std::string calc = folder.Write(
      "Calc.bas",
      "''' <summary>S.</summary>\r\nPublic Function Sum(a) As Long\r\nEnd Function\r\n");
  const DocRun diff = RunDoc({"sync", book});
  EXPECT_EQ(diff.status, kDocDone) << diff.err;
  EXPECT_NE(diff.out.find("+++ b/" + book + "/Calc.bas\n"), std::string::npos);
  EXPECT_NE(diff.out.find("+''' <param name=\"a\"></param>"), std::string::npos);

  const DocRun write = RunDoc({"sync", "--write", book, calc});
  EXPECT_EQ(write.status, kDocBadInput);
  EXPECT_EQ(write.err, book +
                           ": error: Tarnwick never writes into an Office file; export its "
                           "modules (tarnwick-doc export), sync the exported files with --write, "
                           "and import them again in the editor\n");
  EXPECT_EQ(folder.Read("Book.xlsm"), bytes);
  EXPECT_NE(folder.Read("Calc.bas").find("<param name=\"a\"></param>"), std::string::npos);
}

// Export, then document the exported files: the same members as the workbook.
TEST(DocOfficeFiles, ExportedFilesDocumentAsTheWorkbookDoes) {
  ScratchFolder folder;
  const std::string book = folder.Write("Book.xlsm", OfficeFile(Container::kXlsm, Book()));
  const DocRun exported = RunDoc({"export", "--out", folder.Utf8("out"), book});
  EXPECT_EQ(exported.status, kDocDone) << exported.err;
  EXPECT_EQ(exported.err, book + "/Entry.frm: note: its code only went to " +
                              folder.Utf8("out/Entry.frm.bas") +
                              ": a form's layout lives in the designer storage of the Office "
                              "file, which no export of code holds; the editor imports this file "
                              "as a standard module\n");
  EXPECT_EQ(folder.Read("out/Account.cls"),
            "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
            "Attribute VB_Name = \"Account\"\r\nAttribute VB_GlobalNameSpace = False\r\n"
            "Attribute VB_Creatable = False\r\nAttribute VB_PredeclaredId = False\r\n"
            "Attribute VB_Exposed = False\r\n''' <summary>An account.</summary>\r\n"
            "Option Explicit\r\n''' <summary>Adds.</summary>\r\n"
            "Public Sub Deposit(ByVal amount As Currency)\r\nEnd Sub\r\n");
  EXPECT_NE(folder.Read("out/Calc.bas")
                .find("in \xE9"
                      "cus"),
            std::string::npos);  // windows-1252
  EXPECT_EQ(folder.Read("out/Entry.frm.bas").substr(0, 30), "Attribute VB_Name = \"Entry\"\r\n'");

  // The exported files in the project's order, which a folder's path order is not.
  std::vector<std::string> files;
  for (const char* name : {"ThisWorkbook.cls", "Calc.bas", "Account.cls", "Entry.frm.bas"}) {
    files.push_back(folder.Utf8(std::string("out/") + name));
  }
  auto run = [&](std::vector<std::string> arguments, const std::vector<std::string>& paths) {
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    return RunDoc(arguments);
  };
  const DocRun fromFiles = run({"xml", "--project", "Ledger"}, files);
  EXPECT_EQ(fromFiles.status, kDocDone) << fromFiles.err;
  EXPECT_EQ(fromFiles.out, RunDoc({"xml", book}).out);
  run({"markdown", "--project", "Ledger", "--out", folder.Utf8("md2")}, files);
  RunDoc({"markdown", "--out", folder.Utf8("md1"), book});
  EXPECT_EQ(folder.Read("md2/docs/index.md"), folder.Read("md1/docs/index.md"));
}

// A name that cannot be a file of its own refuses the workbook: nothing of it
// is written. Files that exist are replaced only with --force, and without it
// nothing at all is written.
TEST(DocOfficeFiles, ExportRefusesHostileNamesAndKeepsFilesWithoutForce) {
  const struct {
    std::wstring name;
    const char* message;  // empty: exported
  } cases[] = {
      {L"Module1", ""},
      {L"M\u00f3dulo1", ""},
      {L"..", "the module name \"..\" is no VBA identifier"},
      {L"a/b", "the module name \"a/b\" is no VBA identifier"},
      {L"..\\..\\evil", "the module name \"..\\..\\evil\" is no VBA identifier"},
      {L"Two Words", "the module name \"Two Words\" is no VBA identifier"},
      {L"1st", "the module name \"1st\" is no VBA identifier"},
      {L"Bell\x07\x1b[2J", "the module name \"Bell??[2J\" is no VBA identifier"},
      {L"", "a module has no name"},
      {L"ThisNameIsLongerThanThirtyOneChars", "is no VBA identifier"},
      {L"CON", "the module name \"CON\" is a device name of Windows"},
      {L"nul", "the module name \"nul\" is a device name of Windows"},
      {L"Com1", "the module name \"Com1\" is a device name of Windows"},
      {L"LPT9", "the module name \"LPT9\" is a device name of Windows"},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    ProjectFixture project;
    project.modules = {Module(L"Fine", ModuleKind::kStandard, L""),
                       Module(c.name, ModuleKind::kClass, L"")};
    project.modules[1].streamName = L"Hostile";  // a stream's name has 31 characters at most
    // The name in the project's directory; the text's own is a plain one (a
    // control character there is refused as in any module's text).
    project.modules[1].source = office::testing::ModuleSource(L"Hostile", ModuleKind::kClass, L"");
    const std::string book = folder.Write("Book.xlsm", OfficeFile(Container::kXlsm, project));
    const DocRun run = RunDoc({"export", "--out", folder.Utf8("out"), book});
    const std::string shown(c.message);
    if (shown.empty()) {
      EXPECT_EQ(run.status, kDocDone) << run.err;
      const std::string name = WideToUtf8(c.name) + ".cls";
      EXPECT_TRUE(std::filesystem::exists(folder.Path() / "out" / PathOf(name))) << name;
      continue;
    }
    EXPECT_EQ(run.status, kDocBadInput);
    EXPECT_EQ(run.err.rfind(book + ": error: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(shown), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("; nothing of it was exported\n"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "out")) << run.err;
  }

  ScratchFolder folder;
  const std::string book = folder.Write("Book.xlsm", OfficeFile(Container::kXlsm, Book()));
  folder.Write("out/Calc.bas", "mine");
  const DocRun kept = RunDoc({"export", "--out", folder.Utf8("out"), book});
  EXPECT_EQ(kept.status, kDocBadInput);
  EXPECT_EQ(kept.err, folder.Utf8("out/Calc.bas") +
                          ": error: the file exists; --force replaces it, and nothing was "
                          "written\n");
  EXPECT_EQ(folder.Read("out/Calc.bas"), "mine");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "out" / "Account.cls"));
  const DocRun forced = RunDoc({"export", "--force", "--out", folder.Utf8("out"), book});
  EXPECT_EQ(forced.status, kDocDone) << forced.err;
  EXPECT_EQ(folder.Read("out/Calc.bas").substr(0, 26), "Attribute VB_Name = \"Calc\"");
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "out" / "Account.cls"));
}

// Names that are one file on a Windows disk, though not in ASCII's case
// folding: nothing at all is exported, and the line names both modules.
TEST(DocOfficeFiles, ExportRefusesModulesThatWouldBeOneFileOnWindows) {
  ScratchFolder folder;
  ProjectFixture twins;
  twins.modules = {Module(L"\u00DCbersicht", ModuleKind::kStandard, L""),
                   Module(L"\u00FCbersicht", ModuleKind::kStandard, L"")};
  twins.modules[1].streamName = L"Second";
  ProjectFixture other;
  other.modules = {Module(L"\u0160UM", ModuleKind::kStandard, L"")};
  ProjectFixture clash;
  clash.modules = {Module(L"\u0161um", ModuleKind::kStandard, L"")};
  const std::string a = folder.Write("A.xlsm", OfficeFile(Container::kXlsm, twins));
  const std::string b = folder.Write("B.xlsm", OfficeFile(Container::kXlsm, other));
  const std::string c = folder.Write("C.xlsm", OfficeFile(Container::kXlsm, clash));
  const DocRun run = RunDoc({"export", "--force", "--out", folder.Utf8("out"), b, a, c});
  EXPECT_EQ(run.status, kDocBadInput);
  EXPECT_EQ(run.err, a +
                         ": error: its modules \xC3\x9C"
                         "bersicht and \xC3\xBC"
                         "bersicht would be "
                         "written to one file on Windows (\xC3\xBC"
                         "bersicht.bas); nothing was "
                         "exported\n" +
                         c + ": error: its module \xC5\xA1um would be written to the file that " +
                         b +
                         "'s module \xC5\xA0UM is written to (\xC5\xA1um.bas); nothing was "
                         "exported\n");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "out"));
}

// What cannot be read is said in one line, with exit status 2, and nothing is
// written for it: no documentation, no exported file.
TEST(DocOfficeFiles, FilesThatCannotBeReadSaySoAndWriteNothing) {
  const std::string xlsm = OfficeFile(Container::kXlsm, Book());
  std::string jet("\x00\x01\x00\x00Standard Jet DB\x00", 20);
  jet.resize(4096, '\0');
  const std::string xlsx = office::testing::WriteZip(
      {{"[Content_Types].xml",
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
       {"xl/workbook.xml", "<w/>"}});
  const struct {
    const char* name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"Book.xlsx", xlsx, "the package holds no VBA project"},
      {"Cut.xlsm", xlsm.substr(0, xlsm.size() / 2), "damaged"},
      {"Data.accdb", jet, "Access databases are not supported"},
      {"Book.xlsm", "PK\x03\x04 not much of a zip", "damaged"},
  };
  for (const auto& c : cases) {
    for (const char* command : {"xml", "check", "export"}) {
      ScratchFolder folder;
      const std::string file = folder.Write(c.name, c.bytes);
      const bool check = std::string(command) == "check";
      const DocRun run =
          check ? RunDoc({command, file}) : RunDoc({command, "--out", folder.Utf8("out"), file});
      EXPECT_EQ(run.status, kDocBadInput) << c.name << " " << command;
      EXPECT_EQ(run.err.rfind(file + ": error: ", 0), 0u) << run.err;
      EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
      EXPECT_EQ(run.out, "");
      EXPECT_FALSE(std::filesystem::exists(folder.Path() / "out")) << c.name << " " << command;
    }
  }
}

// A module's text out of an Office file is screened as a module file's is:
// nothing is exported that reading it back would refuse, and no escape
// reaches the terminal.
TEST(DocOfficeFiles, AControlCharacterInAModulesTextRefusesItsFile) {
  ProjectFixture project = Book();
  project.modules[1] = Module(L"Calc", ModuleKind::kStandard,
                              L"Public Sub Sum()\r\n' \x1b]0;owned\x07\r\nEnd Sub\r\n");
  for (const char* command : {"check", "export"}) {
    ScratchFolder folder;
    const std::string book = folder.Write("Book.xlsm", OfficeFile(Container::kXlsm, project));
    const bool check = std::string(command) == "check";
    const DocRun run =
        check ? RunDoc({command, book}) : RunDoc({command, "--out", folder.Utf8("out"), book});
    EXPECT_EQ(run.status, kDocBadInput) << command;
    EXPECT_EQ(run.err, book +
                           "/Calc.bas:2: error: the control character U+001B stands in the "
                           "text: not a VBA module\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "out")) << command;
  }
}

}  // namespace
}  // namespace tarnwick
