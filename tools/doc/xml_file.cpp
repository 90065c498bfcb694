// The XML documentation file, laid out as .NET compilers write theirs.
#include <set>

#include "text/utf.h"
#include "tools/doc/doc_tasks.h"

namespace tarnwick {

namespace {

// Each line of `text` behind `indent` spaces.
std::string Indented(const std::string& text, size_t indent) {
  std::string out(indent, ' ');
  for (const char c : text) {
    out += c;
    if (c == '\n') {
      out.append(indent, ' ');
    }
  }
  return out;
}

class XmlWriter {
 public:
  XmlWriter(std::string& out, std::vector<std::string>& warnings) : out(out), warnings(warnings) {}

  // The entry of a member, from its block or else from its description.
  void Members(const std::vector<std::wstring>& ids, const CommentBlock& block,
               const Description* description) {
    if (block.Empty() && description == nullptr) {
      return;
    }
    std::string body;
    for (const std::wstring& id : ids) {
      if (!written.insert(id).second) {
        continue;
      }
      if (body.empty()) {
        body = block.Empty() ? "<summary>" + EscapeXml(description->text, false) + "</summary>"
                             : Body(block);
      }
      out += "        <member name=\"" + EscapeXml(id, true) + "\">\n" + Indented(body, 12) +
             "\n        </member>\n";
    }
  }

  void SetModule(const DocModule& module) { doc = &module; }

 private:
  std::string Body(const CommentBlock& block) {
    const BlockContent content = ReadBlockContent(block);
    if (!content.problem) {
      return WriteXml(content.nodes);
    }
    warnings.push_back(
        Located(*doc, {block.line + content.LineOf(content.problem->offset),
                       {},
                       "warning: the block is not well-formed XML (" + content.problem->message +
                           "); its text is written as its summary"}));
    return "<summary>" + EscapeXml(content.text, false) + "</summary>";
  }

  std::string& out;
  std::vector<std::string>& warnings;
  const DocModule* doc = nullptr;
  std::set<std::wstring> written;  // the copies of a declaration in #If branches share one ID
};

}  // namespace

std::string Located(const std::string& path, const Finding& finding) {
  return path + (finding.line > 0 ? ":" + std::to_string(finding.line) : std::string()) + ": " +
         finding.message;
}

std::string Located(const DocModule& module, Finding finding) {
  finding.line = module.ShownLine(finding.line);
  return Located(module.path, finding);
}

std::string XmlDocumentation(const std::wstring& project, const std::vector<DocModule>& modules,
                             std::vector<std::string>& warnings) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<doc>\n    <assembly>\n        <name>" +
      EscapeXml(project, false) + "</name>\n    </assembly>\n    <members>\n";
  XmlWriter writer(out, warnings);
  for (const DocModule& doc : modules) {
    writer.SetModule(doc);
    const std::wstring prefix = project + L"." + doc.module.name;
    writer.Members({L"T:" + prefix}, doc.module.block, ModuleDescription(doc.module));
    for (const DocumentedMember& member : DocumentedMembers(doc.module)) {
      const Member& first = *member.parts.front();
      writer.Members(MemberIds(prefix, first, nullptr),
                     member.documenting == nullptr ? CommentBlock() : member.documenting->block,
                     member.description);
      for (const Member& child : first.children) {
        writer.Members(MemberIds(prefix, child, &first), child.block, nullptr);
      }
    }
  }
  out += "    </members>\n</doc>\n";
  return out;
}

}  // namespace tarnwick
