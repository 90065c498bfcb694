// Reading a VBA module from its lines, as an exported file holds them: the
// header, the statements across " _" continuations, the declarations and the
// ''' block above each. No code pane: pure text work over a vector of lines.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/declaration_parser.h"

namespace tarnwick {

enum class ModuleKind { kStandard, kClass, kForm };

// The ''' lines right above a declaration (blank lines may stand between).
struct CommentBlock {
  int32_t line = 0;                 // 1-based first line; 0 when there is no block
  std::vector<std::wstring> lines;  // as they stand in the module

  bool Empty() const { return lines.empty(); }
};

// One logical statement: its physical lines joined at " _", without the "_".
struct Statement {
  std::wstring text;
  int32_t line = 0;  // first physical line, 1-based
  int32_t lineCount = 1;
};

// A description the editor shows in its Object Browser, as a module holds it:
// the string of an Attribute line or of an annotation, VBA's doubled quotes
// read as one.
struct Description {
  int32_t line = 0;  // 1-based; 0 when there is none
  std::wstring text;
  size_t literalBegin = 0;  // the string's opening quote in the line
  size_t literalEnd = 0;    // one past its closing quote

  bool Empty() const { return line == 0; }
};

struct Member {
  Statement statement;
  Declaration declaration;
  CommentBlock block;
  std::vector<Member> children;  // the members of an Enum, the fields of a Type
  // Attribute Name.VB_Description (VB_VarDescription for a variable) inside the
  // member, and '@Description("...") on the comment lines above it.
  Description attribute;
  Description annotation;
  bool oneLine = false;  // a procedure whose End stands on its declaration's line
};

// A ''' block that documents no member, and why.
enum class StrayKind {
  kDocumentsNothing,  // no declaration follows it with only blank lines between
  kSecondBlock,       // above a member that has a block of its own, something between
  kInBody,            // inside a procedure's body
};

struct StrayBlock {
  CommentBlock block;
  StrayKind kind = StrayKind::kDocumentsNothing;
};

struct ModuleSource {
  std::wstring name;  // from Attribute VB_Name; empty when the file has none
  ModuleKind kind = ModuleKind::kStandard;
  CommentBlock block;  // a block above every declaration that documents none of them
  std::vector<Member> members;
  Description attribute;           // Attribute VB_Description in the header
  Description annotation;          // '@ModuleDescription
  std::vector<StrayBlock> strays;  // every other block, in line order
};

// A header that does not end; `line` is 1-based.
class ModuleError : public std::runtime_error {
 public:
  ModuleError(int32_t line, const std::string& what) : std::runtime_error(what), line(line) {}
  int32_t line;
};

// The one test for an Attribute line, which the editor keeps out of sight:
// the statement's first word is "Attribute" (ASCII case ignored), ended by a
// blank, '=' or the end of the line. "Attribute VB_Name = "Sheet1"" is one;
// "Attributes = 1" and "' Attribute" are not. A continued Attribute statement
// is tested on its first line only.
bool IsAttributeStatement(std::wstring_view line);

// Reads the module. The VERSION / BEGIN ... END header is skipped, and of the
// Attribute lines only the name and the descriptions are read; procedure bodies
// are passed over to their End line. Annotations ('@Name ...) stand between a
// block and its declaration without ending the block.
ModuleSource ReadModule(const std::vector<std::wstring>& lines);

}  // namespace tarnwick
