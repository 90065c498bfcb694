#include "documentation/members.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "engine/text_helpers.h"
#include "text/ascii.h"
#include "text/utf.h"
#include "vba/declaration_kinds.h"

namespace tarnwick {

namespace {

// VBA's type names and the .NET types their IDs use; ASCII case ignored.
constexpr std::array<std::pair<std::wstring_view, std::wstring_view>, 14> kTypeIds = {{
    {L"Long", L"System.Int32"},
    {L"LongLong", L"System.Int64"},
    {L"LongPtr", L"System.IntPtr"},
    {L"Integer", L"System.Int16"},
    {L"Byte", L"System.Byte"},
    {L"Boolean", L"System.Boolean"},
    {L"Single", L"System.Single"},
    {L"Double", L"System.Double"},
    {L"Currency", L"System.Decimal"},
    {L"Date", L"System.DateTime"},
    {L"String", L"System.String"},
    {L"Variant", L"System.Object"},
    {L"Object", L"System.Object"},
    {L"", L"System.Object"},
}};

// The type a type-declaration character stands for.
std::wstring_view TypeOfCharacter(wchar_t c) {
  switch (c) {
    case L'%':
      return L"Integer";
    case L'&':
      return L"Long";
    case L'^':
      return L"LongLong";
    case L'@':
      return L"Currency";
    case L'!':
      return L"Single";
    case L'#':
      return L"Double";
    case L'$':
      return L"String";
  }
  return L"";
}

}  // namespace

bool DocumentedMember::IsPublic() const {
  return std::any_of(parts.begin(), parts.end(),
                     [](const Member* part) { return !part->declaration.isPrivate; });
}

std::vector<DocumentedMember> DocumentedMembers(const ModuleSource& module) {
  auto isProperty = [](const Member& member) {
    const DeclarationKind kind = member.declaration.kind;
    return !member.declaration.names.empty() &&
           (kind == DeclarationKind::kPropertyGet || kind == DeclarationKind::kPropertyLet ||
            kind == DeclarationKind::kPropertySet);
  };
  std::vector<DocumentedMember> documented;
  std::map<std::wstring, size_t> properties;  // by name, ASCII lower case
  for (const Member& member : module.members) {
    if (!isProperty(member)) {
      documented.emplace_back().parts.push_back(&member);
      continue;
    }
    const auto [at, added] =
        properties.emplace(ToAsciiLower(member.declaration.names.front()), documented.size());
    if (added) {
      documented.emplace_back();
    }
    documented[at->second].parts.push_back(&member);
  }
  for (DocumentedMember& each : documented) {
    for (const Member* part : each.parts) {
      if (each.documenting == nullptr && !part->block.Empty()) {
        each.documenting = part;
      }
      if (each.description == nullptr && !part->attribute.Empty()) {
        each.description = &part->attribute;
      }
    }
    for (const Member* part : each.parts) {
      if (each.description == nullptr && !part->annotation.Empty()) {
        each.description = &part->annotation;
      }
    }
  }
  return documented;
}

const Description* ModuleDescription(const ModuleSource& module) {
  return !module.attribute.Empty()    ? &module.attribute
         : !module.annotation.Empty() ? &module.annotation
                                      : nullptr;
}

int32_t BlockContent::LineOf(size_t offset) const {
  const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
  return static_cast<int32_t>(next - lineStarts.begin()) - 1;
}

BlockContent ReadBlockContent(const CommentBlock& block) {
  BlockContent content;
  content.lines.reserve(block.lines.size());
  content.lineStarts.reserve(block.lines.size());
  size_t common = std::wstring::npos;
  size_t size = 0;
  for (const std::wstring& line : block.lines) {
    const size_t marker = FindCommentMarker(line);
    std::wstring rest = marker == std::wstring::npos ? std::wstring() : line.substr(marker + 3);
    const size_t text = FirstNonBlank(rest);
    size += rest.size() + 1;
    if (text != std::wstring::npos) {
      common = std::min(common, text);
    }
    content.lines.push_back(std::move(rest));
  }
  content.text.reserve(size);
  for (std::wstring& line : content.lines) {
    line.erase(0, std::min(common, line.size()));
    content.lineStarts.push_back(content.text.size());
    content.text += line;
    content.text += L'\n';
  }
  if (!content.text.empty()) {
    content.text.pop_back();
  }
  content.problem = ParseXmlFragment(content.text, content.nodes);
  return content;
}

SignatureIndex::SignatureIndex(const std::vector<std::wstring>& names) : count(names.size()) {
  places.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    places.emplace(ToAsciiLower(names[i]), i);
  }
}

size_t SignatureIndex::Find(const std::wstring& name) const {
  const auto found = places.find(ToAsciiLower(name));
  return found == places.end() ? count : found->second;
}

std::string DescribeMember(const Member& member) {
  std::string names;
  for (const std::wstring& name : member.declaration.names) {
    names += (names.empty() ? "" : ", ") + WideToUtf8(name);
  }
  return std::string(DeclarationKindName(member.declaration.kind)) + " " + names;
}

std::wstring ParameterTypeId(const Parameter& parameter) {
  if (parameter.paramArray) {
    return L"System.Object[]";
  }
  std::wstring type = parameter.type;
  if (parameter.typeCharacter != 0) {
    type = TypeOfCharacter(parameter.typeCharacter);
  }
  std::wstring id = type;
  for (const auto& [name, typeId] : kTypeIds) {
    if (EqualsIgnoringAsciiCase(type, name)) {
      id = typeId;
      break;
    }
  }
  if (parameter.array) {
    id += L"[]";
  }
  if (parameter.passing != Passing::kByVal) {
    id += L"@";
  }
  return id;
}

std::vector<std::wstring> MemberIds(const std::wstring& prefix, const Member& member,
                                    const Member* parent) {
  const Declaration& d = member.declaration;
  std::vector<std::wstring> ids;
  if (d.names.empty()) {
    return ids;
  }
  if (parent != nullptr) {
    const std::wstring& parentName =
        parent->declaration.names.empty() ? std::wstring() : parent->declaration.names.front();
    ids.push_back(L"F:" + prefix + L"." + parentName + L"." + d.names.front());
    return ids;
  }
  const std::wstring name = prefix + L"." + d.names.front();
  switch (d.kind) {
    case DeclarationKind::kEnum:
    case DeclarationKind::kType:
      ids.push_back(L"T:" + name);
      break;
    case DeclarationKind::kConst:
    case DeclarationKind::kVariable:
      for (const std::wstring& each : d.names) {
        ids.push_back(L"F:" + prefix + L"." + each);
      }
      break;
    case DeclarationKind::kPropertyGet:
    case DeclarationKind::kPropertyLet:
    case DeclarationKind::kPropertySet:
      ids.push_back(L"P:" + name);
      break;
    case DeclarationKind::kEvent:
      ids.push_back(L"E:" + name);
      break;
    case DeclarationKind::kSub:
    case DeclarationKind::kFunction:
    case DeclarationKind::kDeclareSub:
    case DeclarationKind::kDeclareFunction: {
      std::wstring types;
      for (const Parameter& parameter : d.parameters) {
        if (!parameter.name.empty()) {
          types += (types.empty() ? L"" : L",") + ParameterTypeId(parameter);
        }
      }
      ids.push_back(L"M:" + name + (types.empty() ? L"" : L"(" + types + L")"));
      break;
    }
    case DeclarationKind::kNone:
      break;
  }
  return ids;
}

}  // namespace tarnwick
