#include "registrar/script_parser.h"

#include <optional>

#include "registrar/dword_text.h"
#include "text/ascii.h"
#include "registrar/script_tokenizer.h"

namespace tarnwick {
namespace {

using Kind = ScriptToken::Kind;

struct RootName {
  const wchar_t* shortName;
  const wchar_t* longName;
  RegistryRoot root;
};

constexpr RootName kRootNames[] = {
    {L"HKCR", L"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
    {L"HKCU", L"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
    {L"HKLM", L"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
    {L"HKU", L"HKEY_USERS", RegistryRoot::Users},
    {L"HKPD", L"HKEY_PERFORMANCE_DATA", RegistryRoot::PerformanceData},
    {L"HKDD", L"HKEY_DYN_DATA", RegistryRoot::DynData},
    {L"HKCC", L"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
};

std::optional<RegistryRoot> FindRoot(const std::wstring& name) {
  for (const RootName& entry : kRootNames) {
    if (EqualsIgnoringAsciiCase(name, entry.shortName) ||
        EqualsIgnoringAsciiCase(name, entry.longName)) {
      return entry.root;
    }
  }
  return std::nullopt;
}

bool IsKeyword(const ScriptToken& token, const wchar_t* keyword) {
  return token.kind == Kind::Word && EqualsIgnoringAsciiCase(token.text, keyword);
}

bool IsName(const ScriptToken& token) {
  return token.kind == Kind::Word || token.kind == Kind::Quoted;
}

// A control character in a key or value name (an embedded NUL above all, which
// the system registry would read as the end of the name) is refused.
bool HoldsControlCharacter(const std::wstring& name) {
  for (const wchar_t c : name) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      return true;
    }
  }
  return false;
}

class Parser {
 public:
  explicit Parser(const std::wstring& text) : tokens_(text) {}

  HResult ParseAll(Script* script) {
    ScriptToken token;
    if (const HResult hr = tokens_.Peek(&token); Failed(hr)) {
      return hr;
    }
    if (token.kind == Kind::End) {
      return kDISP_E_EXCEPTION;
    }
    while (token.kind != Kind::End) {
      if (const HResult hr = ParseRoot(script); Failed(hr)) {
        return hr;
      }
      if (const HResult hr = tokens_.Peek(&token); Failed(hr)) {
        return hr;
      }
    }
    return kS_OK;
  }

 private:
  // The next token, which must be there.
  HResult Take(ScriptToken* token) {
    if (const HResult hr = tokens_.Next(token); Failed(hr)) {
      return hr;
    }
    return token->kind == Kind::End ? kDISP_E_EXCEPTION : kS_OK;
  }

  HResult ParseRoot(Script* script) {
    ScriptToken token;
    if (const HResult hr = Take(&token); Failed(hr)) {
      return hr;
    }
    const std::optional<RegistryRoot> root =
        token.kind == Kind::Word ? FindRoot(token.text) : std::nullopt;
    if (!root) {
      return kDISP_E_EXCEPTION;
    }
    if (const HResult hr = Take(&token); Failed(hr)) {
      return hr;
    }
    if (token.kind != Kind::OpenBrace) {
      return kDISP_E_EXCEPTION;
    }
    RootBlock block;
    block.root = *root;
    if (const HResult hr = ParseEntries(1, &block.entries); Failed(hr)) {
      return hr;
    }
    script->roots.push_back(std::move(block));
    return kS_OK;
  }

  // Entries up to and including the closing brace of a block opened at `depth`.
  HResult ParseEntries(int depth, std::vector<ScriptEntry>* entries) {
    if (depth > kMaxBlockDepth) {
      return kDISP_E_EXCEPTION;
    }
    for (;;) {
      ScriptToken token;
      if (const HResult hr = Take(&token); Failed(hr)) {
        return hr;
      }
      if (token.kind == Kind::CloseBrace) {
        return kS_OK;
      }
      ScriptEntry entry;
      if (const HResult hr = ParseEntry(std::move(token), depth, &entry); Failed(hr)) {
        return hr;
      }
      entries->push_back(std::move(entry));
    }
  }

  HResult ParseEntry(ScriptToken token, int depth, ScriptEntry* entry) {
    if (IsKeyword(token, L"NoRemove") || IsKeyword(token, L"ForceRemove")) {
      entry->marker =
          IsKeyword(token, L"NoRemove") ? EntryMarker::NoRemove : EntryMarker::ForceRemove;
      if (const HResult hr = Take(&token); Failed(hr)) {
        return hr;
      }
    }
    if (IsKeyword(token, L"val")) {
      entry->isValue = true;
      if (const HResult hr = Take(&token); Failed(hr)) {
        return hr;
      }
      if (!IsName(token) || HoldsControlCharacter(token.text)) {
        return kDISP_E_EXCEPTION;
      }
      entry->name = std::move(token.text);
      if (const HResult hr = Take(&token); Failed(hr)) {
        return hr;
      }
      if (token.kind != Kind::Equals) {
        return kDISP_E_EXCEPTION;
      }
      entry->value.emplace();
      return ParseTypedValue(&*entry->value);
    }

    if (!IsName(token) || token.text.empty() || token.text.find(L'\\') != std::wstring::npos ||
        HoldsControlCharacter(token.text)) {
      return kDISP_E_EXCEPTION;
    }
    entry->name = std::move(token.text);
    if (const HResult hr = tokens_.Peek(&token); Failed(hr)) {
      return hr;
    }
    if (token.kind == Kind::Equals) {
      (void)tokens_.Next(&token);
      entry->value.emplace();
      if (const HResult hr = ParseTypedValue(&*entry->value); Failed(hr)) {
        return hr;
      }
      if (const HResult hr = tokens_.Peek(&token); Failed(hr)) {
        return hr;
      }
    }
    if (token.kind == Kind::OpenBrace) {
      (void)tokens_.Next(&token);
      return ParseEntries(depth + 1, &entry->entries);
    }
    return kS_OK;
  }

  HResult ParseTypedValue(TypedValue* value) {
    ScriptToken type;
    if (const HResult hr = Take(&type); Failed(hr)) {
      return hr;
    }
    ScriptToken text;
    if (const HResult hr = Take(&text); Failed(hr)) {
      return hr;
    }
    if (type.kind != Kind::Word || !IsName(text)) {
      return kDISP_E_EXCEPTION;
    }
    if (EqualsIgnoringAsciiCase(type.text, L"s")) {
      value->type = TypedValue::Type::String;
      value->text = std::move(text.text);
      return kS_OK;
    }
    if (EqualsIgnoringAsciiCase(type.text, L"d")) {
      value->type = TypedValue::Type::Dword;
      return ParseDwordText(text.text, &value->number);
    }
    if (EqualsIgnoringAsciiCase(type.text, L"m") || EqualsIgnoringAsciiCase(type.text, L"b")) {
      return kE_NOTIMPL;
    }
    return kDISP_E_EXCEPTION;
  }

  ScriptTokenizer tokens_;
};

}  // namespace

HResult ParseScript(const std::wstring& text, Script* script) {
  Script result;
  if (const HResult hr = Parser(text).ParseAll(&result); Failed(hr)) {
    return hr;
  }
  *script = std::move(result);
  return kS_OK;
}

}  // namespace tarnwick
