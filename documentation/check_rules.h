// The rules `check` knows: a stable code for each, what it finds, and the VB
// compiler's warnings for the same fault in VB.NET's XML comments.
#pragma once

#include <span>
#include <string_view>

namespace tarnwick {

struct CheckRule {
  std::string_view code;        // "TWD004"
  std::string_view name;        // "SecondBlock": an identifier, for SARIF
  std::string_view summary;     // one sentence
  std::string_view vbWarnings;  // "BC42301", or empty when VB has none
};

inline constexpr std::string_view kNoBlock = "TWD001";
inline constexpr std::string_view kNotWellFormed = "TWD002";
inline constexpr std::string_view kDocumentsNothing = "TWD003";
inline constexpr std::string_view kSecondBlock = "TWD004";
inline constexpr std::string_view kBlockInBody = "TWD005";
inline constexpr std::string_view kRepeatedTag = "TWD006";
inline constexpr std::string_view kTagNotAllowed = "TWD007";
inline constexpr std::string_view kUnknownParam = "TWD008";
inline constexpr std::string_view kParamWithoutName = "TWD009";
inline constexpr std::string_view kUnknownCref = "TWD010";
inline constexpr std::string_view kMissingParam = "TWD011";
inline constexpr std::string_view kParamOrder = "TWD012";
inline constexpr std::string_view kMissingReturns = "TWD013";
inline constexpr std::string_view kEmptySummary = "TWD014";
inline constexpr std::string_view kEmptyParam = "TWD015";
inline constexpr std::string_view kDescriptionDiffers = "TWD016";

// Every rule, in code order.
std::span<const CheckRule> CheckRules();
// The rule with `code`, or nullptr.
const CheckRule* FindCheckRule(std::string_view code);

}  // namespace tarnwick
