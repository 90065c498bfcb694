// What `check` reports: members without blocks, and blocks that do not match
// their declaration or are not well-formed.
#include <algorithm>

#include "text/utf.h"
#include "tools/doc/descriptions.h"
#include "tools/doc/doc_tasks.h"

namespace tarnwick {

namespace {

std::string Quoted(const std::wstring& name) {
  return "\"" + WideToUtf8(name) + "\"";
}

class Checker {
 public:
  explicit Checker(std::vector<Finding>& findings) : findings(findings) {}

  void Member(const tarnwick::Member& member, bool undocumented) {
    const Declaration& d = member.declaration;
    const std::string what = DescribeMember(member);
    if (member.block.Empty()) {
      if (undocumented) {
        Report(member.statement.line, what + " is public and has no ''' block");
      }
      return;
    }
    const BlockContent content = ReadBlockContent(member.block);
    const int32_t first = member.block.line;
    if (content.problem) {
      Report(first + content.LineOf(content.problem->offset),
             what + ": the block is not well-formed XML: " + content.problem->message);
      return;
    }
    const std::vector<std::wstring> signature = SignatureNames(d);
    std::vector<bool> documented(signature.size(), false);
    size_t highest = 0;
    bool returns = false;
    for (const XmlNode& node : content.nodes) {
      if (!node.element) {
        continue;
      }
      const int32_t line = first + content.LineOf(node.begin);
      if (node.name == L"summary" && IsEmptyElement(node)) {
        Report(line, what + ": empty <summary>");
      } else if (node.name == L"returns") {
        returns = true;
        if (!ReturnsValue(d.kind) && HasSignature(d.kind)) {
          Report(line, what + ": <returns> on " + DescribeKind(d.kind));
        }
      } else if (node.name == L"param") {
        const std::wstring* name = node.Attribute(L"name");
        const std::wstring shown = name == nullptr ? std::wstring() : *name;
        const size_t index = SignatureIndex(signature, shown);
        if (index == signature.size()) {
          Report(line, what + ": <param name=" + Quoted(shown) + "> names no parameter");
        } else if (documented[index]) {
          Report(line, what + ": a second <param name=" + Quoted(shown) + ">");
        } else {
          documented[index] = true;
          if (index < highest) {
            Report(line, what + ": <param name=" + Quoted(shown) + "> is out of signature order");
          }
          highest = std::max(highest, index);
        }
      }
    }
    for (size_t i = 0; i < signature.size(); ++i) {
      if (!documented[i]) {
        Report(member.statement.line,
               what + ": parameter " + Quoted(signature[i]) + " has no <param>");
      }
    }
    if (ReturnsValue(d.kind) && !returns) {
      Report(member.statement.line, what + " has no <returns>");
    }
  }

  void ModuleBlock(const CommentBlock& block) {
    if (block.Empty()) {
      return;
    }
    const BlockContent content = ReadBlockContent(block);
    if (content.problem) {
      Report(block.line + content.LineOf(content.problem->offset),
             "module: the block is not well-formed XML: " + content.problem->message);
    }
  }

 private:
  static std::string DescribeKind(DeclarationKind kind) {
    switch (kind) {
      case DeclarationKind::kEvent:
        return "an Event";
      case DeclarationKind::kPropertyLet:
        return "a Property Let";
      case DeclarationKind::kPropertySet:
        return "a Property Set";
      default:
        return "a Sub";
    }
  }

  void Report(int32_t line, std::string message) {
    findings.push_back({line, {}, std::move(message)});
  }

  std::vector<Finding>& findings;
};

}  // namespace

std::vector<Finding> CheckModule(const DocModule& doc) {
  std::vector<Finding> findings;
  Checker checker(findings);
  checker.ModuleBlock(doc.module.block);
  const std::vector<bool> undocumented = UndocumentedMembers(doc.module);
  for (size_t i = 0; i < doc.module.members.size(); ++i) {
    const Member& member = doc.module.members[i];
    checker.Member(member, undocumented[i]);
    for (const Member& child : member.children) {
      checker.Member(child, false);
    }
  }
  CheckDescriptions(doc, findings);
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return findings;
}

}  // namespace tarnwick
