#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/source_text.h"
#include "text/utf.h"
#include "tests/doc/doc_test_support.h"
#include "documentation/members.h"
#include "documentation/xml_file.h"

namespace tarnwick {
namespace {

struct IdCase {
  const char* declaration;
  std::vector<std::string> ids;  // the member's, then its first child's
};

TEST(DocMemberIds, ForEachKindOfDeclaration) {
  const IdCase cases[] = {
      {"Public Function Add(ByVal a As Long, ByVal b As Long) As Long",
       {"M:P.Geo.Add(System.Int32,System.Int32)"}},
      {"Sub Reset()", {"M:P.Geo.Reset"}},
      {"Sub S(a As LongLong, b As longptr, c As Integer, d As Byte, e As Boolean, f As Single)",
       {"M:P.Geo.S(System.Int64@,System.IntPtr@,System.Int16@,System.Byte@,System.Boolean@,"
        "System.Single@)"}},
      {"Sub S(ByRef g As Double, ByVal h As Currency, ByVal i As Date, ByVal j As String)",
       {"M:P.Geo.S(System.Double@,System.Decimal,System.DateTime,System.String)"}},
      {"Sub S(ByVal v As Variant, ByVal o As Object, ByVal n, ByVal r As Excel.Range)",
       {"M:P.Geo.S(System.Object,System.Object,System.Object,Excel.Range)"}},
      {"Sub S(ByVal a%, ByVal b&, ByVal c^, ByVal d@, ByVal e!, ByVal f#, g$)",
       {"M:P.Geo.S(System.Int16,System.Int32,System.Int64,System.Decimal,System.Single,"
        "System.Double,System.String@)"}},
      {"Sub S(bytes() As Byte, ParamArray rest() As Variant)",
       {"M:P.Geo.S(System.Byte[]@,System.Object[])"}},
      {"Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long",
       {"M:P.Geo.GetTickCount"}},
      {"Declare PtrSafe Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",
       {"M:P.Geo.Sleep(System.Int32)"}},
      {"Property Get Item(ByVal i As Long) As Variant", {"P:P.Geo.Item"}},
      {"Public Property Let Item(ByVal i As Long, ByVal v As Variant)", {"P:P.Geo.Item"}},
      {"Public Event Changed(ByVal v As Long)", {"E:P.Geo.Changed"}},
      {"Public Enum Shape\n    Circle = 1\nEnd Enum", {"T:P.Geo.Shape", "F:P.Geo.Shape.Circle"}},
      {"Private Type Point\n    X As Double\nEnd Type", {"T:P.Geo.Point", "F:P.Geo.Point.X"}},
      {"Public Const A As Long = 1, B = 2", {"F:P.Geo.A", "F:P.Geo.B"}},
      {"Dim m_x As Long", {"F:P.Geo.m_x"}},
  };
  for (const IdCase& c : cases) {
    const DocModule doc = ModuleOf(std::string(c.declaration) + "\nEnd Sub");
    ASSERT_FALSE(doc.module.members.empty()) << c.declaration;
    const Member& member = doc.module.members.front();
    std::vector<std::string> ids;
    for (const std::wstring& id : MemberIds(L"P.Geo", member, nullptr)) {
      ids.push_back(WideToUtf8(id));
    }
    for (const Member& child : member.children) {
      ids.push_back(WideToUtf8(MemberIds(L"P.Geo", child, &member).front()));
    }
    EXPECT_EQ(ids, c.ids) << c.declaration;
  }
}

// The entries of the XML file for one module "M" of project "P", as
// "ID: body" with the body's lines trimmed and joined.
std::vector<std::string> Entries(const std::string& module) {
  std::vector<std::string> warnings;
  const std::string xml = XmlDocumentation(L"P", {ModuleOf(module)}, warnings);
  std::vector<std::string> entries;
  for (size_t at = xml.find("<member name=\""); at != std::string::npos;
       at = xml.find("<member name=\"", at + 1)) {
    const size_t id = at + 14;
    const size_t body = xml.find("\">", id) + 2;
    std::string entry = xml.substr(id, body - 2 - id) + ":";
    const std::string text = xml.substr(body, xml.find("</member>", body) - body);
    for (size_t line = 0; line < text.size();) {
      const size_t end = std::min(text.find('\n', line), text.size());
      const std::string part = text.substr(line, end - line);
      const size_t first = part.find_first_not_of(' ');
      entry += first == std::string::npos ? "" : " " + part.substr(first);
      line = end + 1;
    }
    entries.push_back(entry);
  }
  return entries;
}

struct DescriptionCase {
  const char* name;
  const char* module;
  std::vector<std::string> entries;
};

TEST(DocXmlFile, TakesTheSummaryFromADescriptionWhereNoBlockStands) {
  const DescriptionCase cases[] = {
      {"the attribute inside the member, doubled quotes read as one",
       "Public Sub A()\nAttribute A.VB_Description = \"Adds \"\"one\"\" & more.\"\nEnd Sub",
       {"M:P.M.A: <summary>Adds \"one\" &amp; more.</summary>"}},
      {"both forms of the annotation above the member, comments and blanks between",
       "'@Description(\"In parentheses.\")\n' a comment\n\nFunction F() As Long\nEnd Function\n"
       "  ' @description \"After a space.\"\nSub S()\nEnd Sub",
       {"M:P.M.F: <summary>In parentheses.</summary>",
        "M:P.M.S: <summary>After a space.</summary>"}},
      {"the attribute before the annotation; a block before both, with the annotation "
       "between it and its declaration",
       "'@Description(\"Annotation.\")\nSub T()\nAttribute T.VB_Description = \"Attribute.\"\n"
       "End Sub\n''' <summary>Block.</summary>\n'@Description(\"Annotation.\")\nSub U()\n"
       "Attribute U.VB_Description = \"Attribute.\"\nEnd Sub",
       {"M:P.M.T: <summary>Attribute.</summary>", "M:P.M.U: <summary>Block.</summary>"}},
      {"the module's attribute in the header; a variable's after its declaration",
       "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1\nEND\nAttribute VB_Name = \"M\"\n"
       "Attribute VB_Description = \"Accounts.\"\n'@ModuleDescription(\"Not this one.\")\n"
       "Public Count As Long\nAttribute Count.VB_VarDescription = \"How many.\"",
       {"T:P.M: <summary>Accounts.</summary>", "F:P.M.Count: <summary>How many.</summary>"}},
      {"the module's annotation; an attribute of another name, or a string joined to more, "
       "is no description",
       "Attribute VB_Name = \"M\"\n'@ModuleDescription \"Tools.\"\nOption Explicit\n"
       "Sub V()\nAttribute W.VB_Description = \"Not V's.\"\nEnd Sub\n"
       "Sub J()\nAttribute J.VB_Description = \"a\" & \"b\"\nEnd Sub\n"
       "'@Description(\"a\", \"b\")\nSub K()\nEnd Sub",
       {"T:P.M: <summary>Tools.</summary>"}},
      {"a property is one entry: a block on its Let wins over a description on its Get",
       "Property Get Size() As Long\nAttribute Size.VB_Description = \"Old.\"\nEnd Property\n"
       "''' <summary>The size.</summary>\nProperty Let Size(ByVal v As Long)\nEnd Property\n"
       "'@Description(\"Lines.\")\nProperty Get Lines() As Long\nEnd Property\n"
       "Property Set Lines(ByVal v As Object)\nEnd Property",
       {"P:P.M.Size: <summary>The size.</summary>", "P:P.M.Lines: <summary>Lines.</summary>"}},
  };
  for (const DescriptionCase& c : cases) {
    EXPECT_EQ(Entries(c.module), c.entries) << c.name;
  }
}

// A small module set, written by the test, against the golden file.
TEST(DocXmlFile, MatchesTheGoldenFile) {
  ScratchFolder folder;
  folder.Write("src/Geo.bas",
               "Attribute VB_Name = \"Geo\"\r\n"
               "''' <summary>Shapes &amp; sizes.</summary>\r\n"
               "Option Explicit\r\n"
               "\r\n"
               "''' <summary>\r\n"
               "'''   Adds <paramref name=\"a\"/> to <c>b</c>.\r\n"
               "''' </summary>\r\n"
               "''' <param name=\"a\">The first.</param>\r\n"
               "''' <param name=\"b\">The second.</param>\r\n"
               "''' <returns>a &lt; a + b, mostly.</returns>\r\n"
               "Public Function Add(ByVal a As Long, Optional b& = 1) As Long\r\n"
               "    Add = a + b\r\n"
               "End Function\r\n"
               "''' <summary>Kinds of shape.</summary>\r\n"
               "Public Enum Shape\r\n"
               "    ''' <summary>Round.</summary>\r\n"
               "    Circle = 1\r\n"
               "    Square = 2\r\n"
               "End Enum\r\n"
               "''' <summary>Bad <b>nesting</i>, \"quoted\".</summary>\r\n"
               "Public Const Limit = 10\r\n");
  folder.Write("src/Account.cls",
               "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
               "Attribute VB_Name = \"Account\"\r\n"
               "''' <summary>Raised after a change of <see cref=\"Balance\"/>.</summary>\r\n"
               "Public Event Changed(ByVal amount As Currency)\r\n"
               "''' <summary>The balance in caf\xE9s.</summary>\r\n"
               "Public Property Get Balance() As Currency\r\nEnd Property\r\n"
               "''' <summary>Sets it.</summary>\r\n"
               "Public Property Let Balance(ByVal value As Currency)\r\nEnd Property\r\n");
  const DocRun run = RunDoc({"xml", "--project", "Demo", folder.Utf8("src")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ReadFileBytes(std::string(TARNWICK_DOC_GOLDEN) + "/demo.xml"));
  EXPECT_EQ(run.err, folder.Utf8("src/Geo.bas") +
                         ":20: warning: the block is not well-formed XML (</i> does not close "
                         "<b>); its text is written as its summary\n");
}

}  // namespace
}  // namespace tarnwick
