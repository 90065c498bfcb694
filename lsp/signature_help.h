// Signature help in a call: the member's declaration with each parameter's
// <param> text, and the parameter being typed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lsp/text_document.h"
#include "lsp/workspace.h"

namespace tarnwick::lsp {

struct SignatureParameter {
  int64_t labelStart = 0;  // UTF-16 units in the label
  int64_t labelEnd = 0;
  std::wstring documentation;  // the <param> text, or empty
};

struct Signature {
  std::wstring label;          // the declaration as written, continuations joined
  std::wstring documentation;  // the summary, or the description
  std::vector<SignatureParameter> parameters;
  int32_t activeParameter = 0;
};

std::optional<Signature> SignatureAt(const std::vector<WorkspaceModule>& modules,
                                     const WorkspaceModule& here, const TextDocument& document,
                                     TextPosition position);

}  // namespace tarnwick::lsp
