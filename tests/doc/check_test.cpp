#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/doc/doc_test_support.h"
#include "documentation/check.h"

namespace tarnwick {
namespace {

// A module that breaks each rule once, beside members that break none: the
// module's block (with a cref to a member and one outside the checked files),
// Area, Kind with its member's cref, Limit.
constexpr const char* kModule[] = {
    /*  1 */ "Attribute VB_Name = \"Geo\"",
    /*  2 */
    "''' <summary>Shapes: <see cref=\"Geo.Area\"/>, <see cref=\"Excel.Range\"/>.</summary>",
    /*  3 */ "Option Explicit",
    /*  4 */ "",
    /*  5 */ "''' <summary>Areas.</summary>",
    /*  6 */ "''' <param name=\"side\">The side.</param>",
    /*  7 */ "''' <returns>The area.</returns>",
    /*  8 */ "Public Function Area(ByVal side As Double) As Double",
    /*  9 */ "    ''' <summary>Inside.</summary>",
    /* 10 */ "    Area = side * side",
    /* 11 */ "End Function",
    /* 12 */ "Public Sub Undocumented()",
    /* 13 */ "End Sub",
    /* 14 */ "''' <summary>Unclosed",
    /* 15 */ "Sub Broken()",
    /* 16 */ "End Sub",
    /* 17 */ "''' <summary>Orphan.</summary>",
    /* 18 */ "' a plain comment",
    /* 19 */ "Private Sub Plain()",
    /* 20 */ "End Sub",
    /* 21 */ "''' <summary>First.</summary>",
    /* 22 */ "' between",
    /* 23 */ "''' <summary>Second.</summary>",
    /* 24 */ "Private Sub Twice()",
    /* 25 */ "End Sub",
    /* 26 */ "''' <summary>Once.</summary>",
    /* 27 */ "''' <summary>Once.</summary>",
    /* 28 */ "Private Sub Repeated()",
    /* 29 */ "End Sub",
    /* 30 */ "''' <summary>Nothing to return.</summary>",
    /* 31 */ "''' <returns>x</returns>",
    /* 32 */ "Private Sub NoValue()",
    /* 33 */ "End Sub",
    /* 34 */ "''' <summary>S.</summary>",
    /* 35 */ "''' <param name=\"a\">A.</param>",
    /* 36 */ "''' <param name=\"z\">Z.</param>",
    /* 37 */ "Private Sub Named(a)",
    /* 38 */ "End Sub",
    /* 39 */ "''' <summary>S.</summary>",
    /* 40 */ "''' <param>Unnamed.</param>",
    /* 41 */ "''' <param name=\"a\">A.</param>",
    /* 42 */ "Private Sub Unnamed(a)",
    /* 43 */ "End Sub",
    /* 44 */ "''' <summary>See <see cref=\"Geo.Volume\"/>.</summary>",
    /* 45 */ "Private Sub Linked()",
    /* 46 */ "End Sub",
    /* 47 */ "''' <summary>S.</summary>",
    /* 48 */ "Private Sub Unparam(a)",
    /* 49 */ "End Sub",
    /* 50 */ "''' <summary>S.</summary>",
    /* 51 */ "''' <param name=\"b\">B.</param>",
    /* 52 */ "''' <param name=\"a\">A.</param>",
    /* 53 */ "Private Sub Ordered(a, b)",
    /* 54 */ "End Sub",
    /* 55 */ "''' <summary>F.</summary>",
    /* 56 */ "Private Function NoReturns() As Long",
    /* 57 */ "End Function",
    /* 58 */ "''' <summary> </summary>",
    /* 59 */ "Private Sub Blank()",
    /* 60 */ "End Sub",
    /* 61 */ "''' <summary>S.</summary>",
    /* 62 */ "''' <param name=\"a\"></param>",
    /* 63 */ "Private Sub EmptyParam(a)",
    /* 64 */ "End Sub",
    /* 65 */ "''' <summary>Kinds, <see cref=\"Geo.Kind.Round\"/> first.</summary>",
    /* 66 */ "Public Enum Kind",
    /* 67 */ "    ''' <summary>Round.</summary>",
    /* 68 */ "    Round = 1",
    /* 69 */ "    Square = 2",
    /* 70 */ "End Enum",
    /* 71 */ "''' <summary>The limit.</summary>",
    /* 72 */ "Public Const Limit As Long = 10",
};

std::string ModuleText() {
  std::string text;
  for (const char* line : kModule) {
    text += std::string(line) + "\r\n";
  }
  return text;
}

// Each finding of the module with the default options, in line order.
const std::vector<std::string> kFindings = {
    "9: TWD005 a block inside the body of Function Area",
    "12: TWD001 Sub Undocumented is public and has no ''' block",
    "14: TWD002 Sub Broken: the block is not well-formed XML: <summary> is never closed",
    "17: TWD003 the block documents nothing: no declaration follows it with only blank lines "
    "between",
    "21: TWD004 a second block for Sub Twice: only the block right above a member documents it",
    "27: TWD006 Sub Repeated: a second <summary>",
    "31: TWD007 Sub NoValue: <returns> on a Sub",
    "36: TWD008 Sub Named: <param name=\"z\"> names no parameter",
    "40: TWD009 Sub Unnamed: <param> without a name",
    "44: TWD010 Sub Linked: cref=\"Geo.Volume\" names no member of Geo",
    "48: TWD011 Sub Unparam: parameter \"a\" has no <param>",
    "52: TWD012 Sub Ordered: <param name=\"a\"> is out of signature order",
    "56: TWD013 Function NoReturns has no <returns>",
    "58: TWD014 Sub Blank: empty <summary>",
    "62: TWD015 Sub EmptyParam: <param name=\"a\"> is empty",
};

TEST(DocCheck, FindsEachRuleOnceWithItsCodeAndLine) {
  EXPECT_EQ(Lines(CheckModule(ModuleOf(ModuleText()))), kFindings);
}

struct OptionsCase {
  const char* name;
  CheckOptions options;
  std::vector<std::string> added;    // to the default findings
  std::vector<std::string> removed;  // from them
};

TEST(DocCheck, OptionsChooseTheMembersAndTheRules) {
  const OptionsCase cases[] = {
      {"--missing all: Private members and Enum members too",
       {{}, MissingBlocks::kAll},
       {"19: TWD001 Sub Plain has no ''' block", "69: TWD001 Const Square has no ''' block"},
       {}},
      {"--missing none: only the blocks there are",
       {{}, MissingBlocks::kNone},
       {},
       {"12: TWD001 Sub Undocumented is public and has no ''' block"}},
      {"--ignore TWD005,TWD014",
       {{"TWD005", "TWD014"}, MissingBlocks::kPublic},
       {},
       {kFindings[0], kFindings[13]}},
  };
  const DocModule doc = ModuleOf(ModuleText());
  for (const OptionsCase& c : cases) {
    std::vector<std::string> expected = kFindings;
    for (const std::string& line : c.removed) {
      std::erase(expected, line);
    }
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    std::vector<std::string> found = Lines(CheckModule(doc, c.options, CrefScope({&doc})));
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected) << c.name;
  }
}

// The other kinds of member and tag each rule covers, beyond the module above.
struct CheckCase {
  const char* name;
  const char* module;
  std::vector<std::string> findings;
};

TEST(DocCheck, CoversEveryKindOfMember) {
  const CheckCase cases[] = {
      {"<returns> where no value is returned; <param> where there are no parameters",
       "''' <summary>E.</summary>\n''' <returns/>\nEvent Changed()\n"
       "''' <summary>L.</summary>\n''' <param name=\"v\">V.</param>\n''' <returns>x</returns>\n"
       "Property Let P(v As Long)\nEnd Property\n"
       "''' <summary>D.</summary>\n''' <returns>x</returns>\n"
       "Declare PtrSafe Sub Sleep Lib \"k\" (ByVal ms As Long)\n"
       "''' <summary>C.</summary>\n''' <param name=\"x\">X.</param>\nPublic Const C = 1\n"
       "''' <summary>Property Get with a value.</summary>\nProperty Get G() As Long\nEnd Property",
       {"2: TWD007 Event Changed: <returns> on an Event",
        "6: TWD007 Property Let P: <returns> on a Property Let",
        "10: TWD007 Sub Sleep: <returns> on a Sub", "13: TWD007 Const C: <param> on a Const",
        "11: TWD011 Sub Sleep: parameter \"ms\" has no <param>",
        "16: TWD013 Property Get G has no <returns>"}},
      {"a repeated param, case aside, and repeated tags with the same attributes only",
       "''' <summary>S.</summary>\n''' <param name=\"a\">A.</param>\n"
       "''' <param name=\"A\">Again.</param>\n"
       "''' <exception cref=\"X\">One.</exception>\n''' <exception cref=\"Y\">Two.</exception>\n"
       "''' <exception cref=\"X\">Three.</exception>\n"
       "''' <remarks><see cref=\"Z\"/> and <see cref=\"Z\"/>.</remarks>\nSub S(a)\nEnd Sub",
       {"3: TWD006 Sub S: a second <param name=\"A\">",
        "6: TWD006 Sub S: a second <exception cref=\"X\">"}},
      {"crefs: project-qualified, with a member ID's prefix and signature; names outside",
       "Attribute VB_Name = \"M\"\n"
       "''' <summary><see cref=\"P.M.S\"/> <see cref=\"M:M.S(System.Int32)\"/> "
       "<see cref=\"P.M.Gone\"/> <see cref=\"Other.Gone\"/> <see cref=\"Gone\"/></summary>\n"
       "Sub S()\nEnd Sub",
       {"2: TWD010 Sub S: cref=\"P.M.Gone\" names no member of M"}},
  };
  for (const CheckCase& c : cases) {
    std::vector<std::string> found = Lines(CheckModule(ModuleOf(c.module)));
    std::vector<std::string> expected = c.findings;
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected) << c.name;
  }
}

// "LINE: CODE message", or "LINE: message" for a finding without a code.
std::vector<std::string> Coded(const std::vector<Finding>& findings) {
  std::vector<std::string> lines;
  for (const Finding& finding : findings) {
    lines.push_back(std::to_string(finding.line) + ": " +
                    (finding.code.empty() ? "" : finding.code + " ") + finding.message);
  }
  return lines;
}

TEST(DocCheck, HoldsDescriptionsAgainstSummariesAndCountsThemAsDocumentation) {
  const CheckCase cases[] = {
      {"stale descriptions are reported on their lines; plain text in line is not",
       "''' <summary>Adds <paramref name=\"a\"/>\n'''   to <c>b</c>.</summary>\n"
       "'@Description(\"Adds a to b\")\nSub Add()\n"
       "Attribute Add.VB_Description = \"Adds  a to b.\"\nEnd Sub\n"
       "''' <summary>See <see cref=\"M.Add\"/> &amp; <see cref=\"T:M.Kind\">kinds</see> &amp; <see "
       "cref=\"M:M.F(System.Int32)\"/>."
       "</summary>\nSub Other()\nAttribute Other.VB_Description = \"See M.Add & kinds & "
       "M.F.\"\nEnd Sub\nPrivate Enum Kind\n    One\nEnd Enum\nPrivate Sub F(ByVal x As Long)\n"
       "End Sub",
       {"3: TWD016 Sub Add: the description differs from the summary"}},
      {"the module's description against the module's block",
       "Attribute VB_Name = \"M\"\nAttribute VB_Description = \"Old.\"\n"
       "''' <summary>New.</summary>\nOption Explicit",
       {"2: TWD016 module: the description differs from the summary"}},
      {"a property is one member: documented on any accessor, missing once, on its first "
       "public accessor; each stale description counts",
       "Property Get A() As Long\nEnd Property\n''' <summary>A.</summary>\n"
       "''' <param name=\"v\">V.</param>\n"
       "Property Let A(v As Long)\nAttribute A.VB_Description = \"Not A.\"\nEnd Property\n"
       "Property Get B() As Long\nEnd Property\nProperty Let B(v As Long)\nEnd Property\n"
       "Private Property Get C() As Long\nEnd Property\nProperty Set C(v As Object)\n"
       "End Property\nProperty Get D() As Long\nAttribute D.VB_Description = \"D.\"\n"
       "End Property\nProperty Let D(v As Long)\nEnd Property",
       {"6: TWD016 Property Let A: the description differs from the summary",
        "8: TWD001 Property Get B is public and has no ''' block",
        "14: TWD001 Property Set C is public and has no ''' block"}},
      {"a member with a description and no block is documented",
       "Public Sub A()\nAttribute A.VB_Description = \"A.\"\nEnd Sub\n'@Description \"B.\"\n"
       "Public Function B() As Long\nEnd Function\nPublic Sub C()\nEnd Sub",
       {"7: TWD001 Sub C is public and has no ''' block"}},
  };
  for (const CheckCase& c : cases) {
    EXPECT_EQ(Coded(CheckModule(ModuleOf(c.module))), c.findings) << c.name;
  }
}

}  // namespace
}  // namespace tarnwick
