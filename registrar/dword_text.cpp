#include "registrar/dword_text.h"

namespace tarnwick {

HResult ParseDwordText(const std::wstring& text, std::uint32_t* value) {
  const auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin])) {
    ++begin;
  }
  while (end > begin && isBlank(text[end - 1])) {
    --end;
  }

  bool negative = false;
  if (begin < end && (text[begin] == L'+' || text[begin] == L'-')) {
    negative = text[begin] == L'-';
    ++begin;
  }
  if (begin == end) {
    return kDISP_E_TYPEMISMATCH;
  }

  std::uint64_t number = 0;
  bool overflow = false;
  for (size_t i = begin; i < end; ++i) {
    const wchar_t c = text[i];
    if (c < L'0' || c > L'9') {
      return kDISP_E_TYPEMISMATCH;
    }
    number = number * 10 + static_cast<std::uint64_t>(c - L'0');
    if (number > 0xFFFFFFFFull) {
      overflow = true;
      number = 0xFFFFFFFFull + 1;  // keeps the sum bounded for the digits that follow
    }
  }
  if (overflow || (negative && number != 0)) {
    return kDISP_E_OVERFLOW;
  }
  *value = static_cast<std::uint32_t>(number);
  return kS_OK;
}

}  // namespace tarnwick
