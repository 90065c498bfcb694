// The %NAME% replacements of a registry script.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "registrar/hresult.h"

namespace tarnwick {

// Longest replacement name between two percent signs.
inline constexpr size_t kMaxReplacementNameLength = 31;
// The module-path buffer: a path of this many characters or more does not fit with
// its terminating null, and is refused.
inline constexpr size_t kModulePathBufferLength = 260;

// Name/value pairs; names compare case-insensitively. Adding a name that is already
// there replaces its value.
class Replacements {
 public:
  void Add(const std::wstring& name, const std::wstring& value);
  // Null when the name has no replacement.
  const std::wstring* Find(const std::wstring& name) const;

 private:
  std::vector<std::pair<std::wstring, std::wstring>> entries_;
};

// Replaces every %NAME% in `text`, quoted parts included, in one pass (replacement
// values are not scanned again); "%%" stands for one percent sign.
// A name longer than kMaxReplacementNameLength gives kE_FAIL; an unknown name or a
// percent sign without a closing one gives kDISP_E_EXCEPTION. *out is replaced on
// success only.
[[nodiscard]] HResult ExpandReplacements(const std::wstring& text, const Replacements& replacements,
                                         std::wstring* out);

// Collects the replacements for running a script: `callerGiven`, then "APPID" =
// `appId`, then "Module" and "Module_Raw" = `modulePath` with every single quote
// doubled (the path is inserted into quoted script text). A path of
// kModulePathBufferLength characters or more gives HResultFromWin32(
// kErrorInsufficientBuffer) (0x8007007A), as the system's path query does when the
// path fills its buffer. *out is replaced on success only.
[[nodiscard]] HResult MakeScriptReplacements(const Replacements& callerGiven,
                                             const std::wstring& appId,
                                             const std::wstring& modulePath, Replacements* out);

}  // namespace tarnwick
