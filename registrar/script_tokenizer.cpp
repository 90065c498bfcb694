#include "registrar/script_tokenizer.h"

namespace tarnwick {
namespace {

bool IsSeparator(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

}  // namespace

HResult ScriptTokenizer::Next(ScriptToken* token) {
  if (hasPeeked_) {
    hasPeeked_ = false;
    *token = std::move(peeked_);
    return kS_OK;
  }
  return Read(token);
}

HResult ScriptTokenizer::Peek(ScriptToken* token) {
  if (!hasPeeked_) {
    if (const HResult hr = Read(&peeked_); Failed(hr)) {
      return hr;
    }
    hasPeeked_ = true;
  }
  *token = peeked_;
  return kS_OK;
}

HResult ScriptTokenizer::Read(ScriptToken* token) {
  token->kind = ScriptToken::Kind::End;
  token->text.clear();
  while (position_ < text_.size() && IsSeparator(text_[position_])) {
    ++position_;
  }
  if (position_ == text_.size()) {
    return kS_OK;
  }

  if (text_[position_] == L'\'') {
    ++position_;
    for (;;) {
      if (position_ == text_.size()) {
        return kDISP_E_EXCEPTION;
      }
      const wchar_t c = text_[position_++];
      if (c == L'\'') {
        if (position_ == text_.size() || text_[position_] != L'\'') {
          break;
        }
        ++position_;
      }
      if (token->text.size() == kMaxTokenLength) {
        return kDISP_E_EXCEPTION;
      }
      token->text += c;
    }
    token->kind = ScriptToken::Kind::Quoted;
    return kS_OK;
  }

  const size_t start = position_;
  while (position_ < text_.size() && !IsSeparator(text_[position_])) {
    ++position_;
  }
  if (position_ - start > kMaxTokenLength) {
    return kDISP_E_EXCEPTION;
  }
  token->text.assign(text_, start, position_ - start);
  if (token->text == L"{") {
    token->kind = ScriptToken::Kind::OpenBrace;
  } else if (token->text == L"}") {
    token->kind = ScriptToken::Kind::CloseBrace;
  } else if (token->text == L"=") {
    token->kind = ScriptToken::Kind::Equals;
  } else {
    token->kind = ScriptToken::Kind::Word;
  }
  return kS_OK;
}

}  // namespace tarnwick
