#include "vba/module_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/utf.h"
#include "vba/declaration_kinds.h"

namespace tarnwick {
namespace {

const char* KindName(DeclarationKind kind) {
  switch (kind) {
    case DeclarationKind::kNone:
      return "None";
    case DeclarationKind::kSub:
      return "Sub";
    case DeclarationKind::kFunction:
      return "Function";
    case DeclarationKind::kPropertyGet:
      return "Get";
    case DeclarationKind::kPropertyLet:
      return "Let";
    case DeclarationKind::kPropertySet:
      return "Set";
    case DeclarationKind::kDeclareSub:
      return "DeclareSub";
    case DeclarationKind::kDeclareFunction:
      return "DeclareFunction";
    case DeclarationKind::kEvent:
      return "Event";
    case DeclarationKind::kEnum:
      return "Enum";
    case DeclarationKind::kType:
      return "Type";
    case DeclarationKind::kConst:
      return "Const";
    case DeclarationKind::kVariable:
      return "Variable";
  }
  return "?";
}

std::string Block(const CommentBlock& block) {
  return block.Empty()
             ? ""
             : " doc " + std::to_string(block.line) + "+" + std::to_string(block.lines.size());
}

// One line per member: "LINE Kind [private] names(parameters) doc LINE+COUNT",
// with an Enum's members and a Type's fields indented below.
std::string Describe(const Member& member, const std::string& indent) {
  const Declaration& d = member.declaration;
  std::string out = indent + std::to_string(member.statement.line) + " " + KindName(d.kind);
  if (d.isPrivate) {
    out += " private";
  }
  std::string names;
  for (const std::wstring& name : d.names) {
    names += (names.empty() ? "" : ",") + WideToUtf8(name);
  }
  out += " " + names;
  if (IsProcedureHeader(d.kind) || d.kind == DeclarationKind::kEvent ||
      d.kind == DeclarationKind::kDeclareSub || d.kind == DeclarationKind::kDeclareFunction) {
    std::string parameters;
    for (const Parameter& p : d.parameters) {
      parameters += (parameters.empty() ? "" : ",") + WideToUtf8(p.name);
    }
    out += "(" + parameters + ")";
  }
  out += Block(member.block) + "\n";
  for (const Member& child : member.children) {
    out += Describe(child, indent + "  ");
  }
  return out;
}

std::string Describe(const std::string& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(Utf8ToWide(text.substr(start, end - start)));
    start = end + 1;
  }
  const ModuleSource module = ReadModule(lines);
  const char* kinds[] = {"standard", "class", "form"};
  std::string out = std::string(kinds[static_cast<int>(module.kind)]) + " " +
                    WideToUtf8(module.name) + Block(module.block) + "\n";
  for (const Member& member : module.members) {
    out += Describe(member, "");
  }
  const char* strays[] = {"nothing", "second", "body"};
  for (const StrayBlock& stray : module.strays) {
    out += std::string("stray") + Block(stray.block) + " " + strays[static_cast<int>(stray.kind)] +
           "\n";
  }
  return out;
}

struct ReaderCase {
  const char* name;
  const char* text;
  const char* read;
};

TEST(ModuleReader, ReadsDeclarationsBlocksAndKinds) {
  const ReaderCase cases[] = {
      {"standard module: blocks, bodies passed over, continuations joined",
       "Attribute VB_Name = \"Maths\"\n"
       "''' <summary>Arithmetic.</summary>\n"
       "Option Explicit\n"
       "Private m_calls As Long, m_last As Double\n"
       "''' <summary>Adds.</summary>\n"
       "\n"
       "Public Function Add(ByVal a As Long, _\n"
       "                    ByVal b As Long) As Long\n"
       "    Dim total As Long\n"
       "    ''' not a block\n"
       "    Add = a + b\n"
       "End Function\n"
       "Sub Reset(): m_calls = 0: End Sub\n"
       "Global Const Limit = 10",
       "standard Maths doc 2+1\n"
       "4 Variable private m_calls,m_last\n"
       "7 Function Add(a,b) doc 5+1\n"
       "13 Sub Reset()\n"
       "14 Const Limit\n"
       "stray doc 10+1 body\n"},
      {"class header, properties, an event and a variable with events",
       "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\n"
       "Attribute VB_Name = \"Account\"\nAttribute VB_Exposed = False\n"
       "Public Event Changed(ByVal amount As Currency)\n"
       "Private WithEvents m_app As Application\n"
       "''' <summary>The balance.</summary>\n"
       "Public Property Get Balance() As Currency\n"
       "Attribute Balance.VB_UserMemId = 0\n"
       "End Property\n"
       "Friend Property Let Balance(ByVal value As Currency)\nEnd Property",
       "class Account\n"
       "7 Event Changed(amount)\n"
       "8 Variable private m_app\n"
       "10 Get Balance() doc 9+1\n"
       "13 Let Balance(value)\n"},
      {"form header with nested Begin and BeginProperty",
       "VERSION 5.00\nBegin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} Picker\n"
       "   Caption = \"End\"\n   Begin VB.Label Title\n"
       "      BeginProperty Font\n         Name = \"Arial\"\n      EndProperty\n   End\nEnd\n"
       "Attribute VB_Name = \"Picker\"\n"
       "Private Sub UserForm_Initialize()\nEnd Sub",
       "form Picker\n"
       "11 Sub private UserForm_Initialize()\n"},
      {"enum members and type fields, each with its own block",
       "''' <summary>Shapes.</summary>\nPublic Enum Shape\n"
       "    ''' <summary>Round.</summary>\n    ShapeCircle = 1\n    [Any Shape]\n"
       "End Enum\nType Point\n    X As Double\n    ''' <summary>Names.</summary>\n"
       "    Tags(1 To 3) As String * 8\n    Count%\nEnd Type",
       "standard \n"
       "2 Enum Shape doc 1+1\n"
       "  4 Const ShapeCircle doc 3+1\n"
       "  5 Const Any Shape\n"
       "7 Type Point\n"
       "  8 Variable X\n"
       "  10 Variable Tags doc 9+1\n"
       "  11 Variable Count\n"},
      {"parameter lists as real code writes them",
       "Sub A(Optional x As Long = (1 + 2), y As Long)\nEnd Sub\n"
       "Sub B(Optional n = 1, Optional v = Null, Optional s = \"a As b\")\nEnd Sub\n"
       "Dim total As Long ' see Sum(a, b)\n"
       "Sub C(x as Long, y AS String)\nEnd Sub\n"
       "Declare PtrSafe Function GetText Lib \"user32\" (ByVal s$, ByVal cb&) As Long",
       "standard \n"
       "1 Sub A(x,y)\n"
       "3 Sub B(n,v,s)\n"
       "5 Variable private total\n"
       "6 Sub C(x,y)\n"
       "8 DeclareFunction GetText(s,cb)\n"},
      {"both branches of #If: a block passes a directive, each copy is read",
       "''' <summary>The window's handle.</summary>\n#If VBA7 Then\n"
       "Function Handle() As LongPtr\nEnd Function\n#Else\n"
       "''' <summary>Again.</summary>\nFunction Handle() As Long\nEnd Function\n#End If",
       "standard \n"
       "3 Function Handle() doc 1+1\n"
       "7 Function Handle() doc 6+1\n"},
      {"a comment or a blank line stops a block; one above every declaration is the module's",
       "''' <summary>Orphan.</summary>\n' note\nSub A()\nEnd Sub\n"
       "''' <summary>First.</summary>\n\n''' <summary>Second.</summary>\nSub B()\nEnd Sub",
       "standard  doc 1+1\n"
       "3 Sub A()\n"
       "8 Sub B() doc 7+1\n"
       "stray doc 5+1 second\n"},
      {"blocks that document nothing: above code, before End Enum, at the end",
       "Sub A()\nEnd Sub\n''' <summary>Above code.</summary>\nImplements IThing\n"
       "Enum E\n    One\n    ''' <summary>Last.</summary>\nEnd Enum\n''' <summary>End.</summary>",
       "standard \n"
       "1 Sub A()\n"
       "5 Enum E\n"
       "  6 Const One\n"
       "stray doc 3+1 nothing\n"
       "stray doc 7+1 nothing\n"
       "stray doc 9+1 nothing\n"},
      {"a body without its End line ends at the next header",
       "Sub A()\n    x = 1\n''' <summary>B.</summary>\nSub B()\nEnd Sub",
       "standard \n"
       "1 Sub A()\n"
       "4 Sub B()\n"
       "stray doc 3+1 body\n"},
  };
  for (const ReaderCase& c : cases) {
    EXPECT_EQ(Describe(c.text), c.read) << c.name;
  }
}

TEST(ModuleReader, AHeaderWithoutItsEndIsNoModule) {
  try {
    (void)ReadModule({L"VERSION 1.0 CLASS", L"BEGIN", L"  MultiUse = -1", L"Sub A()"});
    ADD_FAILURE() << "no error";
  } catch (const ModuleError& error) {
    EXPECT_EQ(error.line, 2);
  }
}

TEST(ModuleLines, AttributeStatementIsTheFirstWordOnly) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"Attribute VB_Name = \"Module1\"", true},
      {L"  attribute\tItem.VB_UserMemId = 0", true},
      {L"ATTRIBUTE", true},
      {L"Attribute=1", true},
      {L"Attributes = 1", false},
      {L"' Attribute VB_Name = \"x\"", false},
      {L"Dim Attribute_ As Long", false},
      {L"", false},
  };
  for (const auto& [line, attribute] : cases) {
    EXPECT_EQ(IsAttributeStatement(line), attribute) << WideToUtf8(line);
  }
}

TEST(ModuleLines, KindPhrasesTakeTheirArticle) {
  EXPECT_EQ(DeclarationKindPhrase(DeclarationKind::kDeclareFunction), "a Function");
  EXPECT_EQ(DeclarationKindPhrase(DeclarationKind::kPropertyGet), "a Property Get");
  EXPECT_EQ(DeclarationKindPhrase(DeclarationKind::kEvent), "an Event");
  EXPECT_EQ(DeclarationKindPhrase(DeclarationKind::kEnum), "an Enum");
  EXPECT_EQ(DeclarationKindName(DeclarationKind::kNone), "Statement");
}

}  // namespace
}  // namespace tarnwick
