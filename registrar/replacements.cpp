#include "registrar/replacements.h"

#include "text/ascii.h"

namespace tarnwick {

void Replacements::Add(const std::wstring& name, const std::wstring& value) {
  for (auto& entry : entries_) {
    if (EqualsIgnoringAsciiCase(entry.first, name)) {
      entry.second = value;
      return;
    }
  }
  entries_.emplace_back(name, value);
}

const std::wstring* Replacements::Find(const std::wstring& name) const {
  for (const auto& entry : entries_) {
    if (EqualsIgnoringAsciiCase(entry.first, name)) {
      return &entry.second;
    }
  }
  return nullptr;
}

HResult ExpandReplacements(const std::wstring& text, const Replacements& replacements,
                           std::wstring* out) {
  std::wstring result;
  result.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) {
    const size_t open = text.find(L'%', position);
    if (open == std::wstring::npos) {
      result.append(text, position, std::wstring::npos);
      break;
    }
    result.append(text, position, open - position);
    const size_t close = text.find(L'%', open + 1);
    if (close == std::wstring::npos) {
      return kDISP_E_EXCEPTION;
    }
    const size_t length = close - open - 1;
    if (length == 0) {
      result += L'%';
    } else {
      if (length > kMaxReplacementNameLength) {
        return kE_FAIL;
      }
      const std::wstring* value = replacements.Find(text.substr(open + 1, length));
      if (value == nullptr) {
        return kDISP_E_EXCEPTION;
      }
      result += *value;
    }
    position = close + 1;
  }
  *out = std::move(result);
  return kS_OK;
}

HResult MakeScriptReplacements(const Replacements& callerGiven, const std::wstring& appId,
                               const std::wstring& modulePath, Replacements* out) {
  if (modulePath.size() >= kModulePathBufferLength) {
    return HResultFromWin32(kErrorInsufficientBuffer);
  }
  std::wstring quoted;
  for (wchar_t c : modulePath) {
    quoted += c;
    if (c == L'\'') {
      quoted += L'\'';
    }
  }
  Replacements result = callerGiven;
  result.Add(L"APPID", appId);
  result.Add(L"Module", quoted);
  result.Add(L"Module_Raw", quoted);
  *out = std::move(result);
  return kS_OK;
}

}  // namespace tarnwick
