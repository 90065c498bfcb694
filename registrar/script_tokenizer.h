// Splits registry-script text into tokens. Tokens are separated by spaces, tabs, CR
// and LF. A bare word runs to the next separator; "{", "}" and "=" are structure
// tokens only when they stand alone. A word that starts with a single quote is a
// quoted text: it runs to the next single quote that is not doubled ("''" is one
// quote), may span lines (line breaks are kept as written) and ends at its closing
// quote. Quoted texts are never structure tokens or keywords.
#pragma once

#include <string>

#include "registrar/hresult.h"

namespace tarnwick {

// Longest token, counted after undoubling quotes.
inline constexpr size_t kMaxTokenLength = 4095;

struct ScriptToken {
  enum class Kind { End, Word, Quoted, OpenBrace, CloseBrace, Equals };
  Kind kind = Kind::End;
  std::wstring text;  // a word's or quoted text's content
};

class ScriptTokenizer {
 public:
  explicit ScriptTokenizer(const std::wstring& text) : text_(text) {}

  // The next token, or Kind::End at the end of the text. A token longer than
  // kMaxTokenLength or an unterminated quote gives kDISP_E_EXCEPTION.
  [[nodiscard]] HResult Next(ScriptToken* token);
  // The token Next would give, without taking it.
  [[nodiscard]] HResult Peek(ScriptToken* token);

 private:
  [[nodiscard]] HResult Read(ScriptToken* token);

  const std::wstring& text_;
  size_t position_ = 0;
  bool hasPeeked_ = false;
  ScriptToken peeked_;
};

}  // namespace tarnwick
