#include "tests/cases/keystroke_cases.h"

namespace tarnwick {
namespace {

#define ADD_DECLARATION "Public Function Add(ByVal a As Long, ByVal b As Long) As Long"
#define NINE_LINES "Option Explicit\n\nPrivate m_total As Long\n\n\n\n\n\n\n"
#define SUB_TEMPLATE "''' <summary>\n''' ^\n''' </summary>\n''' <remarks></remarks>\n"
#define FULL_BLOCK_CARET_SUMMARY                                           \
  "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"a\"></param>\n" \
  "''' <returns></returns>\n''' <remarks></remarks>"

constexpr KeystrokeCase kCases[] = {
    // --- The template, from the third apostrophe -------------------------------
    {"worked example: apostrophe completes the marker above Add",
     NINE_LINES "''^\n" ADD_DECLARATION "\n    Add = a + b\nEnd Function", "'",
     NINE_LINES "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"a\"></param>\n"
                "''' <param name=\"b\"></param>\n''' <returns></returns>\n"
                "''' <remarks></remarks>\n" ADD_DECLARATION "\n    Add = a + b\nEnd Function"},
    {"three apostrophes typed on an empty line above a Sub",  //
     "^\nSub Init()\nEnd Sub", "'''",                         //
     SUB_TEMPLATE "Sub Init()\nEnd Sub"},
    {"template takes the declaration's indentation, not the marker's",
     "''^\n    Private Sub Init()\n    End Sub", "'",
     "    ''' <summary>\n    ''' ^\n    ''' </summary>\n    ''' <remarks></remarks>\n"
     "    Private Sub Init()\n    End Sub"},
    {"marker typed in column 5 above a declaration in column 1", "    ''^\nSub Init()\nEnd Sub",
     "'", SUB_TEMPLATE "Sub Init()\nEnd Sub"},
    {"tab indentation is copied and counted as one column", "''^\n\tSub Init()\n\tEnd Sub", "'",
     "\t''' <summary>\n\t''' ^\n\t''' </summary>\n\t''' <remarks></remarks>\n"
     "\tSub Init()\n\tEnd Sub"},
    {"Property Get: its parameter and a returns line",
     "''^\nPublic Property Get Item(ByVal Index As Long) As Variant\nEnd Property", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"Index\"></param>\n"
     "''' <returns></returns>\n''' <remarks></remarks>\n"
     "Public Property Get Item(ByVal Index As Long) As Variant\nEnd Property"},
    {"Property Let: two parameters and no returns line",
     "''^\nPublic Property Let Item(ByVal Index As Long, ByVal v As Variant)\nEnd Property", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"Index\"></param>\n"
     "''' <param name=\"v\"></param>\n''' <remarks></remarks>\n"
     "Public Property Let Item(ByVal Index As Long, ByVal v As Variant)\nEnd Property"},
    {"Declare PtrSafe Function gets a returns line",
     "Option Explicit\n''^\nPrivate Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As "
     "Long",
     "'",
     "Option Explicit\n''' <summary>\n''' ^\n''' </summary>\n''' <returns></returns>\n"
     "''' <remarks></remarks>\n"
     "Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long"},
    {"a declaration continued over two lines gives every parameter",
     "''^\nPublic Sub Move(ByVal dx As Long, _\n    ByVal dy As Long)\nEnd Sub", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"dx\"></param>\n"
     "''' <param name=\"dy\"></param>\n''' <remarks></remarks>\n"
     "Public Sub Move(ByVal dx As Long, _\n    ByVal dy As Long)\nEnd Sub"},
    {"blank lines between marker and declaration stay", "''^\n\n\nSub Run(x, y)\nEnd Sub", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"x\"></param>\n"
     "''' <param name=\"y\"></param>\n''' <remarks></remarks>\n\n\nSub Run(x, y)\nEnd Sub"},
    {"commas and parentheses inside a string default do not split the list",
     "''^\nSub S(Optional ByVal s As String = \"a, (b)\", ByVal n As Long)\nEnd Sub", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"s\"></param>\n"
     "''' <param name=\"n\"></param>\n''' <remarks></remarks>\n"
     "Sub S(Optional ByVal s As String = \"a, (b)\", ByVal n As Long)\nEnd Sub"},
    {"an array parameter does not end the list", "''^\nSub S(a() As Byte, n As Long)\nEnd Sub", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"a\"></param>\n"
     "''' <param name=\"n\"></param>\n''' <remarks></remarks>\n"
     "Sub S(a() As Byte, n As Long)\nEnd Sub"},
    {"a module-level variable gets a plain template",  //
     "''^\nDim counter As Long", "'",                  //
     SUB_TEMPLATE "Dim counter As Long"},
    {"an array variable's bounds are no parameters", "''^\nPrivate Buffer(0 To 255) As Byte", "'",
     SUB_TEMPLATE "Private Buffer(0 To 255) As Byte"},
    {"neither is a constant's parenthesised value", "''^\nConst Mask As Long = (1 + 2)", "'",
     SUB_TEMPLATE "Const Mask As Long = (1 + 2)"},
    {"an Enum gets a plain template", "''^\nPublic Enum Colors\n    Red\nEnd Enum", "'",
     SUB_TEMPLATE "Public Enum Colors\n    Red\nEnd Enum"},

    // --- Declarations as real code writes them --------------------------------
    {"a default value in parentheses does not end the list",
     "''^\nSub S(Optional x As Long = (1 + 2), y As Long)\nEnd Sub", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"x\"></param>\n"
     "''' <param name=\"y\"></param>\n''' <remarks></remarks>\n"
     "Sub S(Optional x As Long = (1 + 2), y As Long)\nEnd Sub"},
    {"a default value never becomes the name",
     "''^\nSub S(Optional n = 1, Optional v = Null, Optional s = \"a As b\")\nEnd Sub", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"n\"></param>\n"
     "''' <param name=\"v\"></param>\n''' <param name=\"s\"></param>\n"
     "''' <remarks></remarks>\n"
     "Sub S(Optional n = 1, Optional v = Null, Optional s = \"a As b\")\nEnd Sub"},
    {"a trailing comment is not part of the declaration", "''^\nDim total As Long ' see Sum(a, b)",
     "'", SUB_TEMPLATE "Dim total As Long ' see Sum(a, b)"},
    {"As is matched in any letter case", "''^\nSub S(x as Long, y AS String)\nEnd Sub", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"x\"></param>\n"
     "''' <param name=\"y\"></param>\n''' <remarks></remarks>\n"
     "Sub S(x as Long, y AS String)\nEnd Sub"},
    {"a procedure declared in both branches of #If gets a template above the second",
     "#If VBA7 Then\nFunction Handle() As LongPtr\nEnd Function\n#Else\n''^\n"
     "Function Handle() As Long\nEnd Function\n#End If",
     "'",
     "#If VBA7 Then\nFunction Handle() As LongPtr\nEnd Function\n#Else\n"
     "''' <summary>\n''' ^\n''' </summary>\n''' <returns></returns>\n"
     "''' <remarks></remarks>\nFunction Handle() As Long\nEnd Function\n#End If"},
    {"a type-declaration character is not part of the name",
     "''^\nDeclare PtrSafe Function GetText Lib \"user32\" (ByVal s$, ByVal cb&) As Long", "'",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"s\"></param>\n"
     "''' <param name=\"cb\"></param>\n''' <returns></returns>\n''' <remarks></remarks>\n"
     "Declare PtrSafe Function GetText Lib \"user32\" (ByVal s$, ByVal cb&) As Long"},

    // --- No template -----------------------------------------------------------
    {"no template inside a procedure body; the apostrophe is still typed once",
     "Sub Run()\n    ''^\n    x = 1\nEnd Sub", "'", "Sub Run()\n    '''^\n    x = 1\nEnd Sub"},
    {"no template under a documentation line", "''' Already documented.\n''^\nSub Run()\nEnd Sub",
     "'", "''' Already documented.\n'''^\nSub Run()\nEnd Sub"},
    {"no template above a statement that is not a declaration", "''^\nOption Explicit", "'",
     "'''^\nOption Explicit"},
    {"no template when a comment stands between marker and declaration",
     "''^\n' note\nSub Run()\nEnd Sub", "'", "'''^\n' note\nSub Run()\nEnd Sub"},
    {"no template on the last line of the module",  //
     "Dim x As Long\n''^", "'", "Dim x As Long\n'''^"},
    {"a fourth apostrophe on a bare marker line is just typed",  //
     "'''^\nSub Run()", "'", "''''^\nSub Run()"},

    // --- The template, from Enter ----------------------------------------------
    {"Enter right after a marker that has the declaration behind it",
     "'''^Public Sub Foo()\nEnd Sub", "{Enter}", SUB_TEMPLATE "Public Sub Foo()\nEnd Sub"},
    {"Enter on a bare marker line goes to the editor",  //
     "'''^\nSub Run()", "{Enter}", "'''\n^\nSub Run()"},

    // --- Continuation on Enter ---------------------------------------------------
    {"Enter at the end of a comment line continues the block",
     "''' Returns the sum^\nFunction F() As Long", "{Enter}",
     "''' Returns the sum\n''' ^\nFunction F() As Long"},
    {"Enter in the middle of an indented comment line (the text moves down)",
     "    ''' Returns the ^sum", "{Enter}", "    ''' Returns the \n    ''' ^sum"},
    {"Enter right after the marker inside a block moves the text down", "''' <summary>\n'''^text",
     "{Enter}", "''' <summary>\n'''\n''' ^text"},
    {"continuation keeps a tab indentation",  //
     "\t''' One^", "{Enter}", "\t''' One\n\t''' ^"},
    {"typing on after the template: summary, Enter, more text", "''^\nSub Init()",
     "'Sets up.{Enter}Twice.",
     "''' <summary>\n''' Sets up.\n''' Twice.^\n''' </summary>\n''' <remarks></remarks>\n"
     "Sub Init()"},

    // --- Tab walk ------------------------------------------------------------------
    {"Tab from the summary body goes to the parameter", FULL_BLOCK_CARET_SUMMARY, "{Tab}",
     "''' <summary>\n''' \n''' </summary>\n''' <param name=\"a\">^</param>\n"
     "''' <returns></returns>\n''' <remarks></remarks>"},
    {"four Tabs reach the end of the block", FULL_BLOCK_CARET_SUMMARY, "{Tab}{Tab}{Tab}{Tab}",
     "''' <summary>\n''' \n''' </summary>\n''' <param name=\"a\"></param>\n"
     "''' <returns></returns>\n''' <remarks></remarks>^"},
    {"the fifth Tab wraps to the summary body", FULL_BLOCK_CARET_SUMMARY,
     "{Tab}{Tab}{Tab}{Tab}{Tab}",
     "''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"a\"></param>\n"
     "''' <returns></returns>\n''' <remarks></remarks>"},
    {"wrapping to a bare summary body line types the space",
     "''' <summary>\n'''\n''' </summary>\n''' <remarks></remarks>^", "{Tab}",
     "''' <summary>\n''' ^\n''' </summary>\n''' <remarks></remarks>"},
    {"Tab after the opening summary tag goes to the next tag",
     "''' <summary>^\n''' \n''' </summary>\n''' <remarks></remarks>", "{Tab}",
     "''' <summary>\n''' \n''' </summary>\n''' <remarks>^</remarks>"},
    {"Tab in a block without tags goes to its end", "''' ^First\n''' second", "{Tab}",
     "''' First\n''' second^"},
    {"Tab on code goes to the editor",  //
     "x^", "{Tab}", "x   ^"},

    // --- Closing tag on '>' -------------------------------------------------------
    {"'>' completes a param tag with an attribute", "    ''' <param name=\"x\"^", ">",
     "    ''' <param name=\"x\">^</param>"},
    {"'>' completes a tag typed in the middle of a line",  //
     "''' <c^rest", ">", "''' <c>^</c>rest"},
    {"'>' after a self-closing slash inserts nothing",  //
     "''' <br/^", ">", "''' <br/>^"},
    {"'>' after a self-closing tag with an attribute inserts nothing", "''' <see cref=\"x\"/^", ">",
     "''' <see cref=\"x\"/>^"},
    {"'>' ending a closing tag inserts nothing",  //
     "''' <summary>x</summary^", ">", "''' <summary>x</summary>^"},
    {"'>' in code is just typed",  //
     "If a ^b Then", ">", "If a >^b Then"},
    {"a whole tag typed key by key",  //
     "''' ^", "<example>", "''' <example>^</example>"},

    // --- Input-method compositions ---------------------------------------------
    {"composition ending in an apostrophe completes the marker", "''^\nSub Init()", "{Ime '}",
     SUB_TEMPLATE "Sub Init()"},
    {"composition ending in '>' completes the tag", "''' <example^", "{Ime >}",
     "''' <example>^</example>"},
    {"composition of other text is typed and nothing else happens", "''' ^",
     "{Ime \xE6\x97\xA5\xE6\x9C\xAC}", "''' \xE6\x97\xA5\xE6\x9C\xAC^"},

    // --- Keys the engine leaves to the editor ----------------------------------
    {"an apostrophe inside a comment block is typed",  //
     "''' it^", "'", "''' it'^"},
    {"ordinary code is typed as it is",  //
     "^", "Dim s As String", "Dim s As String^"},
    {"Enter in code splits the line",  //
     "Dim a^ As Long", "{Enter}", "Dim a\n^ As Long"},
    {"characters outside the BMP take two columns", "''' ^", "\xF0\x9F\x98\x80<b>",
     "''' \xF0\x9F\x98\x80<b>^</b>"},
};

}  // namespace

std::span<const KeystrokeCase> KeystrokeCases() {
  return kCases;
}

}  // namespace tarnwick
