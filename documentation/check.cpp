// What `check` reports: members without blocks, blocks that document nothing
// or are not well-formed, and tags that do not match their declaration or the
// modules they name. Each finding carries its rule's code (check_rules.h).
#include "documentation/check.h"

#include <algorithm>
#include <map>
#include <set>

#include "documentation/descriptions.h"
#include "documentation/members.h"
#include "text/ascii.h"
#include "text/shown_text.h"
#include "text/utf.h"
#include "vba/declaration_kinds.h"

namespace tarnwick {

namespace {

std::string Quoted(const std::wstring& name) {
  return "\"" + WideToUtf8(name) + "\"";
}

// "a Sub", "an Event": what a member is, for "<returns> on a Sub".
std::string KindPhrase(DeclarationKind kind) {
  return kind == DeclarationKind::kNone ? "a module" : DeclarationKindPhrase(kind);
}

// The tags that say one thing of the member each: a second one with the same
// attributes says it again. Inline tags (<see>, <c>, <para>) may repeat.
bool IsSectionTag(const std::wstring& name) {
  static const std::set<std::wstring> kSections = {
      L"summary",   L"remarks",   L"returns",    L"value",   L"example", L"param",
      L"typeparam", L"exception", L"permission", L"seealso", L"include", L"completionlist"};
  return kSections.count(name) != 0;
}

// The same name, and the same attributes in any order (a tag has each once).
bool SameTag(const XmlNode& a, const XmlNode& b) {
  if (a.name != b.name || a.attributes.size() != b.attributes.size()) {
    return false;
  }
  for (const auto& [key, value] : a.attributes) {
    const std::wstring* other = b.Attribute(key);
    if (other == nullptr || *other != value) {
      return false;
    }
  }
  return true;
}

// "<exception cref=\"X\">": a tag as written, for messages.
std::string TagText(const XmlNode& node) {
  std::string text = "<" + WideToUtf8(node.name);
  for (const auto& [key, value] : node.attributes) {
    text += " " + WideToUtf8(key) + "=" + Quoted(value);
  }
  return text + ">";
}

// "Function Add" (or "module"), made when a message first needs it: most
// members have nothing to report.
class What {
 public:
  explicit What(const tarnwick::Member* member) : member(member) {}
  const std::string& operator()() const {
    if (text.empty()) {
      text = member == nullptr ? std::string("module") : DescribeMember(*member);
    }
    return text;
  }

 private:
  const tarnwick::Member* member;
  mutable std::string text;
};

// A member and where it stands, in the order of the module's lines.
struct Placed {
  int32_t line = 0;
  const Member* member = nullptr;
};

class Checker {
 public:
  Checker(const DocModule& doc, const CheckOptions& options, const CrefScope& scope)
      : doc(doc), options(options), scope(scope) {}

  std::vector<Finding> Run() {
    for (const Member& member : doc.module.members) {
      placed.push_back({member.statement.line, &member});
      for (const Member& child : member.children) {
        placed.push_back({child.statement.line, &child});
      }
    }
    ModuleBlock();
    // A property's Get, Let and Set are one member: a block or a description
    // on any of them documents it, and a missing one is reported once.
    const bool all = options.missing == MissingBlocks::kAll;
    const std::vector<bool> undocumented = UndocumentedMembers(doc.module, all);
    for (size_t i = 0; i < doc.module.members.size(); ++i) {
      const Member& member = doc.module.members[i];
      Check(member, true, options.missing != MissingBlocks::kNone && undocumented[i]);
      for (const Member& child : member.children) {
        Check(child, false, all);
      }
    }
    for (const StrayBlock& stray : doc.module.strays) {
      Stray(stray);
    }
    CheckDescriptions(doc, findings);
    std::erase_if(findings, [&](const Finding& finding) { return Ignored(finding.code); });
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return std::move(findings);
  }

 private:
  bool Ignored(std::string_view code) const {
    return std::find(options.ignored.begin(), options.ignored.end(), code) != options.ignored.end();
  }

  void Check(const Member& member, bool topLevel, bool mustHaveBlock) {
    const Declaration& d = member.declaration;
    const What what(&member);
    if (member.block.Empty()) {
      if (mustHaveBlock) {
        Report(
            member.statement.line, kNoBlock,
            what() + (d.isPrivate || !topLevel ? " has" : " is public and has") + " no ''' block");
      }
      return;
    }
    const BlockContent content = ReadBlockContent(member.block);
    const int32_t first = member.block.line;
    if (content.problem) {
      Report(first + content.LineOf(content.problem->offset), kNotWellFormed,
             what() + ": the block is not well-formed XML: " + content.problem->message);
      return;
    }
    Tags(content, first, what, &d);
    const std::vector<std::wstring> signature = ParameterNames(d);
    const SignatureIndex byName(signature);
    std::vector<bool> documented(signature.size(), false);
    size_t highest = 0;
    bool returns = false;
    for (const XmlNode& node : content.nodes) {
      if (!node.element) {
        continue;
      }
      const int32_t line = first + content.LineOf(node.begin);
      if (node.name == L"returns") {
        returns = true;
      } else if (node.name == L"param" && TakesParameters(d.kind)) {
        const std::wstring* name = node.Attribute(L"name");
        if (name == nullptr) {
          Report(line, kParamWithoutName, what() + ": <param> without a name");
          continue;
        }
        const size_t index = byName.Find(*name);
        if (index == signature.size()) {
          Report(line, kUnknownParam,
                 what() + ": <param name=" + Quoted(*name) + "> names no parameter");
        } else if (documented[index]) {
          Report(line, kRepeatedTag, what() + ": a second <param name=" + Quoted(*name) + ">");
        } else {
          documented[index] = true;
          if (index < highest) {
            Report(line, kParamOrder,
                   what() + ": <param name=" + Quoted(*name) + "> is out of signature order");
          }
          highest = std::max(highest, index);
          if (IsEmptyElement(node)) {
            Report(line, kEmptyParam, what() + ": <param name=" + Quoted(*name) + "> is empty");
          }
        }
      }
    }
    for (size_t i = 0; i < signature.size(); ++i) {
      if (!documented[i]) {
        Report(member.statement.line, kMissingParam,
               what() + ": parameter " + Quoted(signature[i]) + " has no <param>");
      }
    }
    if (ReturnsValue(d.kind) && !returns) {
      Report(member.statement.line, kMissingReturns, what() + " has no <returns>");
    }
  }

  void ModuleBlock() {
    const CommentBlock& block = doc.module.block;
    if (block.Empty()) {
      return;
    }
    const BlockContent content = ReadBlockContent(block);
    if (content.problem) {
      Report(block.line + content.LineOf(content.problem->offset), kNotWellFormed,
             "module: the block is not well-formed XML: " + content.problem->message);
      return;
    }
    Tags(content, block.line, What(nullptr), nullptr);
  }

  // The rules every block's tags follow: an empty summary, a tag repeated, a
  // tag the member cannot have, a cref to a member that is not there.
  // `declaration` is null for the module's block.
  void Tags(const BlockContent& content, int32_t first, const What& what,
            const Declaration* declaration) {
    const DeclarationKind kind =
        declaration == nullptr ? DeclarationKind::kNone : declaration->kind;
    std::vector<const XmlNode*> seen;  // the section tags so far
    for (const XmlNode& node : content.nodes) {
      if (!node.element) {
        continue;
      }
      const int32_t line = first + content.LineOf(node.begin);
      if (node.name == L"summary" && IsEmptyElement(node)) {
        Report(line, kEmptySummary, what() + ": empty <summary>");
      }
      if (node.name == L"returns" && !ReturnsValue(kind)) {
        Report(line, kTagNotAllowed, what() + ": <returns> on " + KindPhrase(kind));
      }
      if (node.name == L"param" && !TakesParameters(kind)) {
        Report(line, kTagNotAllowed, what() + ": <param> on " + KindPhrase(kind));
      }
      // A <param> of a signature is matched to its parameter, case aside, above.
      if (IsSectionTag(node.name) && !(node.name == L"param" && TakesParameters(kind))) {
        if (std::any_of(seen.begin(), seen.end(),
                        [&](const XmlNode* before) { return SameTag(*before, node); })) {
          Report(line, kRepeatedTag, what() + ": a second " + TagText(node));
        }
        seen.push_back(&node);
      }
    }
    Crefs(content, first, what, content.nodes);
  }

  void Crefs(const BlockContent& content, int32_t first, const What& what,
             const std::vector<XmlNode>& nodes) {
    for (const XmlNode& node : nodes) {
      if (!node.element) {
        continue;
      }
      if (const std::wstring* cref = node.Attribute(L"cref")) {
        if (const std::optional<std::wstring> module = scope.Missing(*cref)) {
          Report(first + content.LineOf(node.begin), kUnknownCref,
                 what() + ": cref=" + Quoted(*cref) + " names no member of " + WideToUtf8(*module));
        }
      }
      Crefs(content, first, what, node.children);
    }
  }

  void Stray(const StrayBlock& stray) {
    const int32_t line = stray.block.line;
    switch (stray.kind) {
      case StrayKind::kDocumentsNothing:
        Report(line, kDocumentsNothing,
               "the block documents nothing: no declaration follows it with only blank lines "
               "between");
        break;
      case StrayKind::kSecondBlock: {
        const auto below =
            std::upper_bound(placed.begin(), placed.end(), line,
                             [](int32_t at, const Placed& each) { return at < each.line; });
        Report(line, kSecondBlock,
               "a second block for " +
                   (below == placed.end() ? std::string("the member below")
                                          : DescribeMember(*below->member)) +
                   ": only the block right above a member documents it");
        break;
      }
      case StrayKind::kInBody: {
        const auto after =
            std::upper_bound(placed.begin(), placed.end(), line,
                             [](int32_t at, const Placed& each) { return at < each.line; });
        Report(line, kBlockInBody,
               "a block inside the body of " + (after == placed.begin()
                                                    ? std::string("a procedure")
                                                    : DescribeMember(*std::prev(after)->member)));
        break;
      }
    }
  }

  // Every message quotes names and text of the file (a cref, a member's
  // name), which come from anywhere: it is shown safely here, once, for a
  // terminal, a workflow command, a SARIF log or an editor alike.
  void Report(int32_t line, std::string_view code, const std::string& message) {
    if (!Ignored(code)) {
      findings.push_back({line, std::string(code), ShownText(message)});
    }
  }

  const DocModule& doc;
  const CheckOptions& options;
  const CrefScope& scope;
  std::vector<Placed> placed;
  std::vector<Finding> findings;
};

}  // namespace

CrefScope::CrefScope(const std::vector<const DocModule*>& docs) {
  for (const DocModule* doc : docs) {
    Module& module = modules[ToAsciiLower(doc->module.name)];
    module.name = doc->module.name;
    for (const Member& member : doc->module.members) {
      for (const std::wstring& name : member.declaration.names) {
        module.members.insert(ToAsciiLower(name));
      }
      for (const Member& child : member.children) {
        for (const std::wstring& name : child.declaration.names) {
          module.members.insert(ToAsciiLower(member.declaration.names.empty()
                                                 ? name
                                                 : member.declaration.names.front() + L"." + name));
        }
      }
    }
  }
}

std::optional<std::wstring> CrefScope::Missing(const std::wstring& cref) const {
  std::wstring target = cref;
  if (target.size() > 2 && target[1] == L':') {
    if (target[0] == L'!') {
      return std::nullopt;  // "!:" asks that the reference be taken as written
    }
    target.erase(0, 2);
  }
  target = ToAsciiLower(target.substr(0, target.find(L'(')));
  // "Module.Member" or "Project.Module.Member"; a first part that names no
  // module here is a project's name only when the second part does.
  for (int skip = 0; skip < 2; ++skip) {
    const size_t dot = target.find(L'.');
    if (dot == std::wstring::npos) {
      return std::nullopt;
    }
    const auto module = modules.find(target.substr(0, dot));
    if (module != modules.end()) {
      if (module->second.members.count(target.substr(dot + 1)) != 0) {
        return std::nullopt;
      }
      return module->second.name;
    }
    target.erase(0, dot + 1);
  }
  return std::nullopt;
}

std::vector<Finding> CheckModule(const DocModule& doc, const CheckOptions& options,
                                 const CrefScope& scope) {
  return Checker(doc, options, scope).Run();
}

std::vector<Finding> CheckModule(const DocModule& doc) {
  return CheckModule(doc, CheckOptions(), CrefScope({&doc}));
}

}  // namespace tarnwick
