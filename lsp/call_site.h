// Where the caret stands in a call, read from the statement's text up to the
// caret: which member is called, and which of its arguments is being typed.
// VBA calls a Sub without parentheses (Deposit amount, "note"), a Function or
// a Sub after Call with them; both are read. Commas inside strings and nested
// parentheses do not count, and a statement continued over several lines with
// " _" is read as one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lsp/text_document.h"

namespace tarnwick::lsp {

struct CallSite {
  // The callee as written: "Deposit", "Bank.Deposit", "acct.Deposit".
  std::wstring callee;
  int32_t argument = 0;        // 0-based, counted by commas
  std::wstring namedArgument;  // "note" after "note:=", else empty
};

std::optional<CallSite> FindCallSite(const TextDocument& document, TextPosition caret);

// The name (letters, digits, '_') around a position, with the dotted
// qualifier before it ("Bank" for "Bank.Deposit"); empty when there is none.
struct NameAt {
  std::wstring qualifier;
  std::wstring name;
  TextRange range;  // of the name
};
std::optional<NameAt> FindNameAt(const TextDocument& document, TextPosition position);

}  // namespace tarnwick::lsp
