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

// What a removal leaves to the other registrations of the class, whose keys
// were there before this run and stay with them: unregistering, and undoing
// the block of a registration that failed.
struct KeysLeftToOthers {
  // The other bitness's registration stands: the classes root's keys that the
  // two views share (the ProgIDs, the AppID) stay.
  bool sharedClassKeys = false;
  // The other scope's registration stands: the roots other than the classes
  // root (the add-in's key under HKCU, which both scopes write) stay.
  bool otherRoots = false;
};

// True for the keys below the classes root that each view has for itself
// (ASCII case ignored).
[[nodiscard]] bool IsOwnViewClassKey(std::wstring_view name);

// `script` with its HKCR blocks cut down to the entries that the two views do
// not share (names compared case-insensitively); other roots stay as they are.
[[nodiscard]] Script OwnViewClassKeys(Script script);

// `script` as far as a removal may go: without what `left` leaves to others
// (a root block whose keys stay is kept, empty, so that the blocks still
// match the script's one for one).
[[nodiscard]] Script RemovableKeys(Script script, const KeysLeftToOthers& left);

// kS_OK, or the first failure: of the replacements, of the parse (nothing written)
// or of the application (the failing root block undone when registering).
// `classKeys` cuts the script down, whatever the mode; `left` says what a
// removal leaves: what unregistering, or undoing a failed block, never removes.
[[nodiscard]] HResult RunRegistryScript(const std::wstring& text, const Replacements& replacements,
                                        RegistryPort& registry, RegistrarMode mode,
                                        const RootMapping& mapping = {},
                                        ClassKeys classKeys = ClassKeys::All,
                                        const KeysLeftToOthers& left = {});

}  // namespace tarnwick
