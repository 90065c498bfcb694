// The names of the kinds of declaration as messages and documents write them.
#pragma once

#include <string>
#include <string_view>

#include "engine/declaration_parser.h"

namespace tarnwick {

// "Sub", "Function", "Property Get", "Property Let", "Property Set", "Event",
// "Enum", "Type", "Const", "Variable"; a Declare statement is named for what
// it declares ("Sub", "Function"), and kNone is "Statement".
std::string_view DeclarationKindName(DeclarationKind kind);
// The name with its indefinite article, for "<returns> on a Sub":
// "a Function", "an Event", "an Enum", "a Statement".
std::string DeclarationKindPhrase(DeclarationKind kind);

}  // namespace tarnwick
