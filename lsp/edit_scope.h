// Whether an edit can change what a module declares. Most keystrokes change
// one line of a procedure's body; the module read before them still tells
// its members, blocks and descriptions right, line for line, so hover and
// signature help need not read the whole module again.
#pragma once

#include <cstdint>
#include <string>

#include "documentation/module.h"

namespace tarnwick::lsp {

// An edit that stays on the 0-based `line` and adds or removes no line: its
// text before and after, the line above, and the module as last read (null
// when there is none). False when the edit cannot change what the module
// declares: neither text is a ''' line, an annotation, a declaration, an End,
// an Attribute, an Option or a directive line, neither continues, the line
// above does not continue onto it, and no Enum or Type is open above it.
bool ChangesDeclarations(const std::wstring& before, const std::wstring& after,
                         const std::wstring& above, const DocModule* parsed, int64_t line);

}  // namespace tarnwick::lsp
