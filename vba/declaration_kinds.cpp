#include "vba/declaration_kinds.h"

namespace tarnwick {

std::string_view DeclarationKindName(DeclarationKind kind) {
  switch (kind) {
    case DeclarationKind::kSub:
    case DeclarationKind::kDeclareSub:
      return "Sub";
    case DeclarationKind::kFunction:
    case DeclarationKind::kDeclareFunction:
      return "Function";
    case DeclarationKind::kPropertyGet:
      return "Property Get";
    case DeclarationKind::kPropertyLet:
      return "Property Let";
    case DeclarationKind::kPropertySet:
      return "Property Set";
    case DeclarationKind::kEvent:
      return "Event";
    case DeclarationKind::kEnum:
      return "Enum";
    case DeclarationKind::kType:
      return "Type";
    case DeclarationKind::kConst:
      return "Const";
    case DeclarationKind::kVariable:
      return "Variable";
    case DeclarationKind::kNone:
      break;
  }
  return "Statement";
}

std::string DeclarationKindPhrase(DeclarationKind kind) {
  const std::string_view name = DeclarationKindName(kind);
  const bool vowel = name.front() == 'A' || name.front() == 'E' || name.front() == 'I' ||
                     name.front() == 'O' || name.front() == 'U';
  return (vowel ? "an " : "a ") + std::string(name);
}

}  // namespace tarnwick
