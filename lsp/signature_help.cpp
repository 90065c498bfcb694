#include "lsp/signature_help.h"

#include "documentation/members.h"
#include "documentation/xml_fragment.h"
#include "engine/declaration_parser.h"
#include "lsp/call_site.h"
#include "lsp/resolve.h"
#include "text/ascii.h"

namespace tarnwick::lsp {
namespace {

std::wstring Trimmed(const std::wstring& text) {
  const size_t start = text.find_first_not_of(L" \t");
  if (start == std::wstring::npos) {
    return {};
  }
  return text.substr(start, text.find_last_not_of(L" \t") - start + 1);
}

// Each top-level piece of the label's first parenthesised list: its range.
std::vector<std::pair<size_t, size_t>> ParameterRanges(const std::wstring& label) {
  std::vector<std::pair<size_t, size_t>> ranges;
  const size_t open = label.find(L'(');
  if (open == std::wstring::npos) {
    return ranges;
  }
  int depth = 0;
  bool inString = false;
  size_t start = open + 1;
  for (size_t i = open + 1; i < label.size(); ++i) {
    const wchar_t c = label[i];
    if (inString) {
      inString = c != L'"';
    } else if (c == L'"') {
      inString = true;
    } else if (c == L'(') {
      ++depth;
    } else if ((c == L',' && depth == 0) || (c == L')' && depth == 0)) {
      size_t s = start;
      size_t e = i;
      while (s < e && (label[s] == L' ' || label[s] == L'\t')) {
        ++s;
      }
      while (e > s && (label[e - 1] == L' ' || label[e - 1] == L'\t')) {
        --e;
      }
      if (e > s) {
        ranges.emplace_back(s, e);
      }
      start = i + 1;
      if (c == L')') {
        break;
      }
    } else if (c == L')') {
      --depth;
    }
  }
  return ranges;
}

// A block's text as Markdown inline: <c> as code, <paramref> and <see cref>
// as their names.
std::wstring Inline(const std::vector<XmlNode>& nodes) {
  std::wstring text;
  for (const XmlNode& node : nodes) {
    if (!node.element) {
      text += node.text;
    } else if (node.name == L"c") {
      text += L"`" + InnerText(node) + L"`";
    } else if (node.name == L"paramref" || node.name == L"typeparamref") {
      const std::wstring* name = node.Attribute(L"name");
      text += L"`" + (name != nullptr ? *name : InnerText(node)) + L"`";
    } else if (node.name == L"see" || node.name == L"seealso") {
      const std::wstring* cref = node.Attribute(L"cref");
      text +=
          node.children.empty() && cref != nullptr ? L"`" + *cref + L"`" : Inline(node.children);
    } else {
      text += Inline(node.children);
    }
  }
  return text;
}

std::wstring ElementText(const std::vector<XmlNode>& nodes, const wchar_t* tag,
                         const std::wstring* name) {
  for (const XmlNode& node : nodes) {
    if (!node.element || node.name != tag) {
      continue;
    }
    if (name != nullptr) {
      const std::wstring* attribute = node.Attribute(L"name");
      if (attribute == nullptr || !EqualsIgnoringAsciiCase(*attribute, *name)) {
        continue;
      }
    }
    // One line: the block's line breaks are not the text's.
    std::wstring text = Inline(node.children);
    for (wchar_t& c : text) {
      if (c == L'\n' || c == L'\r' || c == L'\t') {
        c = L' ';
      }
    }
    return Trimmed(text);
  }
  return {};
}

}  // namespace

std::optional<Signature> SignatureAt(const std::vector<WorkspaceModule>& modules,
                                     const WorkspaceModule& here, const TextDocument& document,
                                     TextPosition position) {
  const auto site = FindCallSite(document, position);
  if (!site) {
    return std::nullopt;
  }
  const size_t dot = site->callee.rfind(L'.');
  const std::wstring qualifier = dot == std::wstring::npos ? L"" : site->callee.substr(0, dot);
  const std::wstring name = dot == std::wstring::npos ? site->callee : site->callee.substr(dot + 1);
  const std::vector<ResolvedMember> found = Resolve(modules, here, position.line, qualifier, name);
  for (const ResolvedMember& target : found) {
    const Member& declaration = *target.member.parts.front();
    if (!IsProcedureHeader(declaration.declaration.kind) &&
        declaration.declaration.kind != DeclarationKind::kDeclareSub &&
        declaration.declaration.kind != DeclarationKind::kDeclareFunction &&
        declaration.declaration.kind != DeclarationKind::kEvent) {
      continue;
    }
    Signature signature;
    signature.label = Trimmed(CutTrailingComment(declaration.statement.text));
    std::vector<XmlNode> nodes;
    if (target.member.documenting != nullptr) {
      nodes = ReadBlockContent(target.member.documenting->block).nodes;
      signature.documentation = ElementText(nodes, L"summary", nullptr);
    } else if (target.member.description != nullptr) {
      signature.documentation = target.member.description->text;
    }
    const auto ranges = ParameterRanges(signature.label);
    const auto& parameters = declaration.declaration.parameters;
    for (size_t i = 0; i < ranges.size(); ++i) {
      SignatureParameter parameter;
      parameter.labelStart = static_cast<int64_t>(ranges[i].first);
      parameter.labelEnd = static_cast<int64_t>(ranges[i].second);
      if (i < parameters.size()) {
        parameter.documentation = ElementText(nodes, L"param", &parameters[i].name);
      }
      signature.parameters.push_back(std::move(parameter));
    }
    int32_t active = site->argument;
    if (!site->namedArgument.empty()) {
      for (size_t i = 0; i < parameters.size(); ++i) {
        if (EqualsIgnoringAsciiCase(parameters[i].name, site->namedArgument)) {
          active = static_cast<int32_t>(i);
        }
      }
    }
    // Arguments past the last parameter belong to a ParamArray.
    if (!parameters.empty() && parameters.back().paramArray &&
        active >= static_cast<int32_t>(parameters.size())) {
      active = static_cast<int32_t>(parameters.size()) - 1;
    }
    signature.activeParameter = active;
    return signature;
  }
  return std::nullopt;
}

}  // namespace tarnwick::lsp
