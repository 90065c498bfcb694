// Parses registry-script text (replacements already made) into a Script.
//
//   script  := { root "{" entries "}" }
//   entries := { entry }
//   entry   := [ "NoRemove" | "ForceRemove" ] ( key | "val" name "=" typed )
//   key     := name [ "=" typed ] [ "{" entries "}" ]
//   typed   := ( "s" | "d" ) text
//
// Roots: HKCR, HKCU, HKLM, HKU, HKPD, HKDD, HKCC and their HKEY_... long forms.
// Root names, keywords and type letters are bare words compared case-insensitively;
// names and texts are bare words or quoted texts. The whole text is parsed before
// anything is applied, so a malformed script writes nothing.
//
// A marker may stand before `val`; only NoRemove means anything there.
//
// Limits beyond the language's own: blocks nest at most kMaxBlockDepth deep; a key
// name is neither empty nor holds a backslash: a key entry names exactly one key level
// (the system registry reads "" as the parent key itself and "a\b" as a path, so such
// names would let ForceRemove or unregistering delete keys the script never named);
// and no key or value name holds a control character (U+0000 to U+001F, U+007F to
// U+009F): a NUL would end the name early for the system registry.
// Errors: kDISP_E_EXCEPTION for malformed text (including an empty or whitespace-only
// script, which registers nothing and is taken as a mistake); the conversion error of
// a `d` value; kE_NOTIMPL for the `m` (multi-string) and `b` (binary) types, which
// this registrar does not support.
#pragma once

#include <string>

#include "registrar/hresult.h"
#include "registrar/script.h"

namespace tarnwick {

inline constexpr int kMaxBlockDepth = 64;

// *script is replaced on success only.
[[nodiscard]] HResult ParseScript(const std::wstring& text, Script* script);

}  // namespace tarnwick
