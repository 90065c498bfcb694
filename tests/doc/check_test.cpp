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

}  // namespace
}  // namespace tarnwick
