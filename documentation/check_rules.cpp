#include "documentation/check_rules.h"

#include <algorithm>
#include <array>

namespace tarnwick {

namespace {

constexpr std::array<CheckRule, 16> kRules = {{
    {kNoBlock, "MemberWithoutBlock", "A member that must be documented has no ''' block.", ""},
    {kNotWellFormed, "NotWellFormed", "The block is not well-formed XML.", "BC42304"},
    {kDocumentsNothing, "DocumentsNothing",
     "The block documents nothing: no declaration follows it, or something other than blank "
     "lines stands between.",
     "BC42312"},
    {kSecondBlock, "SecondBlock", "A second block for one member.", "BC42301"},
    {kBlockInBody, "BlockInBody", "A block inside a procedure's body.", "BC42303"},
    {kRepeatedTag, "RepeatedTag", "The same tag with the same attributes twice in one block.",
     "BC42305"},
    {kTagNotAllowed, "TagNotAllowed",
     "A tag the member cannot have: <returns> on what returns no value, <param> on what has no "
     "parameters.",
     "BC42306, BC42313, BC42315"},
    {kUnknownParam, "UnknownParam", "A <param> that names no parameter.", "BC42307"},
    {kParamWithoutName, "ParamWithoutName", "A <param> without a name attribute.", "BC42308"},
    {kUnknownCref, "UnknownCref",
     "A cref that names a module of the checked files but a member it does not have.", "BC42309"},
    {kMissingParam, "MissingParam", "A parameter has no <param>.", ""},
    {kParamOrder, "ParamOrder", "A <param> out of the signature's order.", ""},
    {kMissingReturns, "MissingReturns", "A member that returns a value has no <returns>.", ""},
    {kEmptySummary, "EmptySummary", "An empty <summary>.", ""},
    {kEmptyParam, "EmptyParam", "An empty <param>.", ""},
    {kDescriptionDiffers, "DescriptionDiffers",
     "The member's description differs from its summary.", ""},
}};

}  // namespace

std::span<const CheckRule> CheckRules() {
  return kRules;
}

const CheckRule* FindCheckRule(std::string_view code) {
  const auto found = std::find_if(kRules.begin(), kRules.end(),
                                  [&](const CheckRule& rule) { return rule.code == code; });
  return found == kRules.end() ? nullptr : &*found;
}

}  // namespace tarnwick
