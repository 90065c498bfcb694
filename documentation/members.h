// What every use of a module's documentation shares: its members (a
// property's accessors as one member), the content of a ''' block, the
// signature of a member, and its member IDs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "documentation/xml_fragment.h"
#include "vba/module_reader.h"

namespace tarnwick {

// A top-level member as the tools document it: one declaration, or a
// property's Get, Let and Set of one name (ASCII case ignored), which a block
// or a description on any of them documents. Points into the module read.
struct DocumentedMember {
  std::vector<const Member*> parts;          // in file order
  const Member* documenting = nullptr;       // the first part with a ''' block
  const Description* description = nullptr;  // an attribute of a part, else an annotation

  bool IsPublic() const;
};
std::vector<DocumentedMember> DocumentedMembers(const ModuleSource& module);
// The module's attribute, else its annotation; nullptr without either.
const Description* ModuleDescription(const ModuleSource& module);

// The text after each line's "'''", less the indentation common to the lines
// that hold more than blanks, and that text read as XML.
struct BlockContent {
  std::vector<std::wstring> lines;
  std::wstring text;  // the lines, each but the last ended by LF
  std::vector<XmlNode> nodes;
  std::optional<XmlProblem> problem;
  std::vector<size_t> lineStarts;  // offset of each line in `text`

  // The 0-based line of the block that holds `offset` of `text`.
  int32_t LineOf(size_t offset) const;
};
BlockContent ReadBlockContent(const CommentBlock& block);

// A signature's parameter names (ParameterNames), each found by name in
// constant time, ASCII case ignored as VBA ignores it.
class SignatureIndex {
 public:
  explicit SignatureIndex(const std::vector<std::wstring>& names);
  // Where `name` stands among the names (the first place, should it stand
  // twice), or the number of names when it is none of them.
  size_t Find(const std::wstring& name) const;

 private:
  std::unordered_map<std::wstring, size_t> places;  // by lower-case name
  size_t count = 0;
};
// "Function Add", "Property Get Item", "Enum Shape", "Const Limit, Size".
std::string DescribeMember(const Member& member);

// The ID of a parameter's type in a member ID: "System.Int32@", "System.Object[]".
std::wstring ParameterTypeId(const Parameter& parameter);
// The IDs that `member` (a child of `parent`, when given) stands for, under the
// prefix "Project.Module": one per name of a variable or constant statement.
std::vector<std::wstring> MemberIds(const std::wstring& prefix, const Member& member,
                                    const Member* parent);

}  // namespace tarnwick
