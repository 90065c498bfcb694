// Runs a registry script: replacements, then parsing of the whole text, then
// application to the registry (see script_parser.h and script_applier.h).
#pragma once

#include <string>
#include <string_view>

#include "registrar/hresult.h"
#include "registrar/registry_port.h"
#include "registrar/replacements.h"
#include "registrar/script.h"
#include "registrar/script_applier.h"

namespace tarnwick {

// On 64-bit Windows, 32-bit and 64-bit programs see the classes root (HKCR) in
// two views, which share all of it but the keys that each view has for itself:
// CLSID, Interface, DirectShow, Media Type and MediaFoundation. A ProgID or an
// AppID that one bitness registers is thus the other's too.
enum class ClassKeys {
  All,
  // Only the keys of the run's own view. Unregistering one bitness while the
  // other's registration stays leaves the shared keys to that registration.
  OwnViewOnly,
};

// The roots other than the classes root (the add-in's key under HKCU) are the
// same for a machine-wide and a per-user registration of the class.
enum class OtherRoots {
  Included,
  // Left alone: the other scope's registration of the class stands and keeps them.
  LeftToTheOtherScope,
};

// True for the keys below the classes root that each view has for itself
// (ASCII case ignored).
[[nodiscard]] bool IsOwnViewClassKey(std::wstring_view name);

// `script` with its HKCR blocks cut down to the entries that the two views do
// not share (names compared case-insensitively); other roots stay as they are.
[[nodiscard]] Script OwnViewClassKeys(Script script);

// `script` as far as a removal may go: its HKCR blocks cut down by `classKeys`,
// and the entries of its other roots dropped (the blocks stay, empty) with
// OtherRoots::LeftToTheOtherScope.
[[nodiscard]] Script RemovableKeys(Script script, ClassKeys classKeys, OtherRoots otherRoots);

// kS_OK, or the first failure: of the replacements, of the parse (nothing written)
// or of the application (the failing root block undone when registering).
// `classKeys` and `otherRoots` say what a removal may touch: what unregistering
// removes, and what undoing a failed registration removes, since the keys that
// another registration shares were there before this one and stay with it.
[[nodiscard]] HResult RunRegistryScript(const std::wstring& text, const Replacements& replacements,
                                        RegistryPort& registry, RegistrarMode mode,
                                        const RootMapping& mapping = {},
                                        ClassKeys classKeys = ClassKeys::All,
                                        OtherRoots otherRoots = OtherRoots::Included);

}  // namespace tarnwick
