#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "documentation/documentation.h"
#include "text/utf.h"

namespace tarnwick {
namespace {

std::vector<std::string> Located(const DocModule& module, const std::vector<Finding>& findings) {
  std::vector<std::string> lines;
  for (const Finding& finding : findings) {
    lines.push_back(tarnwick::Located(module, finding));
  }
  return lines;
}

// A module held in memory: its name from the text or else the one given, its
// kind from what contains it or else its header, its lines split once.
TEST(DocumentationModule, ReadsAModuleHeldInMemory) {
  const struct {
    const wchar_t* text;
    std::optional<ModuleKind> given;
    const wchar_t* name;
    ModuleKind kind;
    size_t lines;
  } cases[] = {
      {L"Attribute VB_Name = \"Calc\"\r\nSub A()\r\nEnd Sub", std::nullopt, L"Calc",
       ModuleKind::kStandard, 3},
      {L"Sub A()\nEnd Sub\n", std::nullopt, L"Given", ModuleKind::kStandard, 2},
      {L"VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\n", std::nullopt, L"Given",
       ModuleKind::kClass, 4},
      {L"VERSION 1.0 CLASS\nBEGIN\nEND\n", ModuleKind::kStandard, L"Given", ModuleKind::kStandard,
       3},
      {L"Sub A()\r\nEnd Sub\r\n", ModuleKind::kForm, L"Given", ModuleKind::kForm, 2},
  };
  for (const auto& c : cases) {
    const DocModule module = ReadModuleText(c.text, "src/Given.bas", L"Given", c.given);
    EXPECT_EQ(module.path, "src/Given.bas") << WideToUtf8(c.text);
    EXPECT_EQ(module.module.name, c.name) << WideToUtf8(c.text);
    EXPECT_EQ(module.module.kind, c.kind) << WideToUtf8(c.text);
    EXPECT_EQ(module.source.lines.size(), c.lines) << WideToUtf8(c.text);
    EXPECT_FALSE(module.origin.InOfficeFile());
  }

  const DocModule calc = ReadModuleText(
      L"''' <summary>Sums.</summary>\r\nPublic Function Sum(a) As Long\r\nEnd Function\r\n",
      "src/Calc.bas", L"Calc");
  EXPECT_EQ(Located(calc, CheckModule(calc)),
            (std::vector<std::string>{
                "src/Calc.bas:2: TWD011 Function Sum: parameter \"a\" has no <param>",
                "src/Calc.bas:2: TWD013 Function Sum has no <returns>"}));
  EXPECT_THROW(ReadModuleText(L"VERSION 1.0 CLASS\nBEGIN\n", "M.cls", L"M"), ModuleError);
}

// An editor's buffer handed over line by line is the module its text joined
// with LF would be: the same lines, the same bytes and line ends.
TEST(DocumentationModule, LinesHeldByAnEditorAreTheTextTheyMake) {
  for (const std::wstring text :
       {L"", L"\n", L"a", L"a\n", L"a\nb", L"a\n\n", L"\u00e9 x\n\u20ac\U0001F600\nEnd Sub\n"}) {
    std::vector<std::wstring> lines{L""};
    for (const wchar_t unit : text) {
      if (unit == L'\n') {
        lines.emplace_back();
      } else {
        lines.back() += unit;
      }
    }
    const DocModule fromText = ModuleFromText({}, text);
    const DocModule fromLines = ModuleFromLines({}, lines);
    EXPECT_EQ(fromLines.source.lines, fromText.source.lines) << WideToUtf8(text);
    EXPECT_EQ(fromText.source.body, WideToUtf8(text));
    EXPECT_EQ(fromLines.source.body, fromText.source.body) << WideToUtf8(text);
    ASSERT_EQ(fromLines.source.spans.size(), fromText.source.spans.size());
    for (size_t i = 0; i < fromText.source.spans.size(); ++i) {
      EXPECT_EQ(fromLines.source.Bytes(i), fromText.source.Bytes(i));
      EXPECT_EQ(fromLines.source.End(i), fromText.source.End(i));
    }
  }
}

// A module of an Office file: its kind from the project, its text as export
// writes it, and its findings on the lines the editor's code pane shows.
TEST(DocumentationModule, NumbersAnOfficeModuleAsTheEditorDoes) {
  office::VbaModule sheet;
  sheet.name = L"Sheet1";
  sheet.kind = office::ModuleKind::kDocument;
  sheet.source =
      L"Attribute VB_Name = \"Sheet1\"\r\nAttribute VB_Base = \"0{00020820}\"\r\n"
      L"Option Explicit\r\n''' <summary>S.</summary>\r\nPublic Function F() As Long\r\n"
      L"End Function\r\n";
  DocModule module = ModuleFromProject("Book.xlsm", sheet, 1252);
  ParseModule(module);
  EXPECT_EQ(module.path, "Book.xlsm/Sheet1.cls");
  EXPECT_EQ(module.origin.exportName, "Sheet1.cls");
  EXPECT_EQ(module.origin.codePage, 1252u);
  EXPECT_EQ(module.module.kind, ModuleKind::kClass);
  EXPECT_EQ(ExportText(module),
            L"VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n" + sheet.source);
  // Four header lines and two Attribute lines hidden: the Function is line 3.
  EXPECT_EQ(
      Located(module, CheckModule(module)),
      (std::vector<std::string>{"Book.xlsm/Sheet1.cls:3: TWD013 Function F has no <returns>"}));

  office::VbaModule form = sheet;
  form.name = L"Entry";
  form.kind = office::ModuleKind::kForm;
  DocModule entry = ModuleFromProject("Book.xlsm", form, 1252);
  ParseModule(entry);
  EXPECT_EQ(entry.path, "Book.xlsm/Entry.frm");
  EXPECT_EQ(entry.origin.exportName, "Entry.frm.bas");
  EXPECT_EQ(entry.module.kind, ModuleKind::kForm);
}

// Applying sync's edits to the module's lines gives the lines sync planned,
// whatever it adds, removes or moves.
TEST(DocumentationSync, EditsGiveTheSyncedLines) {
  const struct {
    const char* name;
    const wchar_t* text;
    SyncOptions options;
  } cases[] = {
      {"a param added, returns added",
       L"''' <summary>S.</summary>\nFunction F(a, b)\nEnd Function\n",
       {}},
      {"an empty param removed",
       L"''' <summary>S.</summary>\n''' <param name=\"gone\"></param>\nSub S()\nEnd Sub\n",
       {}},
      {"params reordered",
       L"''' <summary>S.</summary>\n''' <param name=\"b\">B.</param>\n"
       L"''' <param name=\"a\">A.</param>\nSub S(a, b)\nEnd Sub\n",
       {}},
      {"two blocks and a description",
       L"''' <summary>One.</summary>\nPublic Sub A(x)\nEnd Sub\n"
       L"''' <summary>Two.</summary>\nPublic Function B() As Long\nEnd Function\n",
       {true}},
      {"nothing to do", L"''' <summary>S.</summary>\nSub S()\nEnd Sub\n", {}},
  };
  for (const auto& c : cases) {
    const DocModule module = ReadModuleText(c.text, "M.bas", L"M");
    const SyncResult result = SyncModule(module, c.options);
    std::vector<std::wstring> expected;
    for (const SyncedLine& line : result.lines) {
      expected.push_back(line.source >= 0 ? module.source.lines[line.source] : line.text);
    }
    std::vector<std::wstring> lines = module.source.lines;
    const std::vector<LineEdit> edits = SyncEdits(module.source, result);
    EXPECT_EQ(edits.empty(), !result.changed) << c.name;
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
      lines.erase(lines.begin() + edit->first, lines.begin() + edit->first + edit->count);
      lines.insert(lines.begin() + edit->first, edit->lines.begin(), edit->lines.end());
    }
    EXPECT_EQ(lines, expected) << c.name;
  }
}

// Well-formed fragments read as their nodes and are written back as they
// mean; any other is stopped where it stops being well-formed.
TEST(DocumentationXmlFragment, ReadsFragmentsAndFindsWhereTheyBreak) {
  const struct {
    const wchar_t* text;
    std::optional<size_t> problem;  // its offset, or well-formed
    const char* written;            // well-formed: WriteXml of the nodes
  } cases[] = {
      {L"<summary>a &amp; b &#x41;&#66;</summary>", std::nullopt,
       "<summary>a &amp; b AB</summary>"},
      {L"<see cref=\"A.B\"/> <c>x&lt;y</c>", std::nullopt, "<see cref=\"A.B\" /> <c>x&lt;y</c>"},
      {L"<![CDATA[<x> & y]]><!-- gone -->", std::nullopt, "&lt;x&gt; &amp; y"},
      {L"<a><b></a>", 6, ""},
      {L"text </a>", 5, ""},
      {L"<a>", 0, ""},  // at the element never closed
      {L"a & b", 2, ""},
      {L"<a x=\"1\" x=\"2\"/>", 14, ""},
  };
  for (const auto& c : cases) {
    std::vector<XmlNode> nodes;
    const std::optional<XmlProblem> problem = ParseXmlFragment(c.text, nodes);
    ASSERT_EQ(problem.has_value(), c.problem.has_value()) << WideToUtf8(c.text);
    if (problem) {
      EXPECT_EQ(problem->offset, *c.problem) << WideToUtf8(c.text) << ": " << problem->message;
    } else {
      EXPECT_EQ(WriteXml(nodes), c.written) << WideToUtf8(c.text);
    }
  }
}

// A summary as the Object Browser's plain text, and cut to fit the line.
TEST(DocumentationDescriptions, PlainSummariesAndTheirFit) {
  const struct {
    std::vector<std::wstring> block;
    std::optional<std::wstring> plain;
  } cases[] = {
      {{L"''' <summary>Adds <paramref name=\"a\"/> to <c>b</c>,", L"'''   \"checked\".</summary>"},
       L"Adds a to b, \"checked\"."},
      {{L"''' <summary>See <see cref=\"M:Calc.Add(System.Int32)\"/>.</summary>"}, L"See Calc.Add."},
      {{L"''' <summary>One<para>Two</para></summary>"}, L"One Two"},
      {{L"''' <summary>  </summary>"}, std::nullopt},
      {{L"''' <remarks>R.</remarks>"}, std::nullopt},
      {{L"''' <summary>Broken"}, std::nullopt},
  };
  for (const auto& c : cases) {
    CommentBlock block;
    block.line = 1;
    block.lines = c.block;
    EXPECT_EQ(PlainSummary(block), c.plain) << WideToUtf8(c.block.front());
  }
  const std::wstring words = L"one two \"three\" four";
  EXPECT_EQ(FitDescription(words, 0), words);
  EXPECT_EQ(FitDescription(words, kLongestLine - 9), L"one two");
  EXPECT_EQ(FitDescription(words, kLongestLine - 16), L"one two");  // quotes count twice
  EXPECT_EQ(FitDescription(words, kLongestLine - 17), L"one two \"three\"");
  EXPECT_EQ(FitDescription(L"unbroken", kLongestLine - 3), L"unb");
}

// The renderers over one module: each ID of the XML file, and a property's
// accessors as one member for a hover.
TEST(DocumentationRenderers, DocumentAPropertyAsOneMember) {
  const DocModule module = ReadModuleText(
      L"''' <summary>The <c>size</c>.</summary>\n''' <returns>It.</returns>\n"
      L"Public Property Get Size() As Long\nEnd Property\n"
      L"Private Property Let Size(ByVal value As Long)\nEnd Property\n"
      L"''' <summary>Kinds.</summary>\nPublic Enum Kind\n    ''' <summary>First.</summary>\n"
      L"    First\nEnd Enum\n",
      "M.cls", L"Shape");
  std::vector<std::wstring> ids;
  for (const XmlBlock& block : XmlBlocks(L"P", module)) {
    for (const auto& [id, element] : block.members) {
      ids.push_back(id);
    }
  }
  EXPECT_EQ(ids, (std::vector<std::wstring>{L"P:P.Shape.Size", L"T:P.Shape.Kind",
                                            L"F:P.Shape.Kind.First"}));

  const std::vector<DocumentedMember> members = DocumentedMembers(module.module);
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(MemberMarkdown(module, members[0]),
            "## Size\n\n```vb\nPublic Property Get Size() As Long\n"
            "Private Property Let Size(ByVal value As Long)\n```\n\n"
            "The `size`.\n\n**Returns:** It.\n\n");
  EXPECT_EQ(MemberMarkdown(module, members[1]),
            "## Kind\n\n```vb\nPublic Enum Kind\n```\n\nKinds.\n\n"
            "| Member | Description |\n| --- | --- |\n| `First` | First. |\n\n");
}

}  // namespace
}  // namespace tarnwick
