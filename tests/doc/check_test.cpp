#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/doc/doc_test_support.h"
#include "tools/doc/doc_tasks.h"

namespace tarnwick {
namespace {

struct CheckCase {
  const char* name;
  const char* module;
  std::vector<std::string> findings;
};

TEST(DocCheck, ReportsEachProblemOnItsLine) {
  const CheckCase cases[] = {
      {"public members without a block; Private and Dim are not public",
       "Public Sub A()\nEnd Sub\nPrivate Sub B()\nEnd Sub\nDim x As Long\nPublic y As Long\n"
       "Friend Function F() As Long\nEnd Function\nEvent Done()\nEnum E\n    One\nEnd Enum",
       {"1: Sub A is public and has no ''' block", "6: Variable y is public and has no ''' block",
        "7: Function F is public and has no ''' block",
        "9: Event Done is public and has no ''' block",
        "10: Enum E is public and has no ''' block"}},
      {"params: order, unknown names, missing and repeated ones",
       "''' <summary>Adds.</summary>\n"
       "''' <param name=\"b\">B.</param>\n"
       "''' <param name=\"A\">A, in another case.</param>\n"
       "''' <param name=\"z\">Z.</param>\n"
       "''' <param name=\"b\">Again.</param>\n"
       "''' <returns>Sum.</returns>\n"
       "Function Add(a, b, c) As Long\nEnd Function",
       {"3: Function Add: <param name=\"A\"> is out of signature order",
        "4: Function Add: <param name=\"z\"> names no parameter",
        "5: Function Add: a second <param name=\"b\">",
        "7: Function Add: parameter \"c\" has no <param>"}},
      {"returns where none is due and missing where one is; an empty summary",
       "''' <summary> </summary>\n''' <returns>x</returns>\nSub S()\nEnd Sub\n"
       "''' <summary>E.</summary>\n''' <returns/>\nEvent Changed()\n"
       "''' <summary>G.</summary>\nProperty Get P() As Long\nEnd Property\n"
       "''' <summary>L.</summary>\n''' <param name=\"v\">V.</param>\n''' <returns></returns>\n"
       "Property Let P(v As Long)\nEnd Property\n"
       "''' <summary>S.</summary>\n''' <param name=\"o\">O.</param>\n''' <returns/>\n"
       "Property Set Q(o As Object)\nEnd Property\n"
       "''' <summary>D.</summary>\nDeclare PtrSafe Function T Lib \"k\" () As Long",
       {"1: Sub S: empty <summary>", "2: Sub S: <returns> on a Sub",
        "6: Event Changed: <returns> on an Event", "9: Property Get P has no <returns>",
        "13: Property Let P: <returns> on a Property Let",
        "18: Property Set Q: <returns> on a Property Set", "22: Function T has no <returns>"}},
      {"blocks that are not well-formed XML, on the line where they stop being so",
       "''' <summary>Unclosed\n''' <param name=\"a\">A.</param>\nFunction F(a) As Long\n"
       "End Function\n''' <summary>X\n''' </remarks>\nSub M()\nEnd Sub\n"
       "Enum E\n    ''' <summary>a & b</summary>\n    One\nEnd Enum",
       {"1: Function F: the block is not well-formed XML: <summary> is never closed",
        "6: Sub M: the block is not well-formed XML: </remarks> does not close <summary>",
        "9: Enum E is public and has no ''' block",
        "10: Const One: the block is not well-formed XML: a '&' that starts no reference (write "
        "&amp;)"}},
      {"a block that matches its declaration gives nothing",
       "''' <summary>Adds.</summary>\n''' <param name=\"a\">A.</param>\n"
       "''' <param name=\"b\">B.</param>\n''' <returns>Sum.</returns>\n"
       "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\nEnd Function",
       {}},
  };
  for (const CheckCase& c : cases) {
    EXPECT_EQ(Lines(CheckModule(ModuleOf(c.module))), c.findings) << c.name;
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
       "M.F.\"\nEnd Sub",
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
        "8: Property Get B is public and has no ''' block",
        "14: Property Set C is public and has no ''' block"}},
      {"a member with a description and no block is documented",
       "Public Sub A()\nAttribute A.VB_Description = \"A.\"\nEnd Sub\n'@Description \"B.\"\n"
       "Public Function B() As Long\nEnd Function\nPublic Sub C()\nEnd Sub",
       {"7: Sub C is public and has no ''' block"}},
  };
  for (const CheckCase& c : cases) {
    EXPECT_EQ(Coded(CheckModule(ModuleOf(c.module))), c.findings) << c.name;
  }
}

}  // namespace
}  // namespace tarnwick
