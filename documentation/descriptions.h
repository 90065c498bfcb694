// The descriptions the editor's Object Browser shows: a member's
// VB_Description attribute or '@Description annotation, which check holds
// against the member's summary and sync brings in line with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documentation/check_rules.h"
#include "documentation/members.h"
#include "documentation/module.h"

namespace tarnwick {

// The longest line the editor keeps, in UTF-16 units.
constexpr size_t kLongestLine = 1023;

// The <summary> of a block as a description's plain text: <paramref>, <see>
// and <c> as their text, other tags dropped, whitespace collapsed. nullopt when
// the block is not well-formed or its summary is missing or empty.
std::optional<std::wstring> PlainSummary(const CommentBlock& block);

// Plain text cut at a word to fit a VBA string on a line where `others` units
// stand outside the string's content (its two quotes among them).
std::wstring FitDescription(const std::wstring& plain, size_t others);

// The code of a description that differs from its member's summary: check's
// rule, defined with the others.
inline constexpr std::string_view kStaleDescription = kDescriptionDiffers;

// Each description that differs from its member's summary, compared as plain
// text, on the description's line.
void CheckDescriptions(const DocModule& doc, std::vector<Finding>& findings);

// For each top-level member, whether check reports it as without a ''' block:
// none of its parts has a block or a description, and it is the first public
// part of its member (the first part at all with `privateToo`).
std::vector<bool> UndocumentedMembers(const ModuleSource& module, bool privateToo);

// A change of sync to the descriptions: line `line` (0-based) of the file
// rewritten as `text`, or `text` as a new line after it.
struct DescriptionEdit {
  int32_t line = 0;
  bool insert = false;
  std::wstring text;
};
// The descriptions that differ from their summary, rewritten; with `add`, an
// attribute for each public documented procedure that has none, on the line
// after its declaration. What it cannot write goes into `notes`.
std::vector<DescriptionEdit> DescriptionEdits(const DocModule& doc, bool add,
                                              std::vector<Finding>& notes);

}  // namespace tarnwick
