// The XML documentation file, laid out as .NET compilers write theirs.
#include <set>

#include "simulator/utf.h"
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
  XmlWriter(std::string& out, std::vector<std::string>& warnings, const std::string& path)
      : out(out), warnings(warnings), path(path) {}

  void Members(const std::vector<std::wstring>& ids, const CommentBlock& block) {
    if (block.Empty()) {
      return;
    }
    std::string body;
    for (const std::wstring& id : ids) {
      if (!written.insert(id).second) {
        continue;
      }
      if (body.empty()) {
        body = Body(block);
      }
      out += "        <member name=\"" + EscapeXml(id, true) + "\">\n" + Indented(body, 12) +
             "\n        </member>\n";
    }
  }

  void SetPath(const std::string& modulePath) { path = modulePath; }

 private:
  std::string Body(const CommentBlock& block) {
    const BlockContent content = ReadBlockContent(block);
    if (!content.problem) {
      return WriteXml(content.nodes);
    }
    warnings.push_back(
        Located(path, {block.line + content.LineOf(content.problem->offset),
                       {},
                       "warning: the block is not well-formed XML (" + content.problem->message +
                           "); its text is written as its summary"}));
    return "<summary>" + EscapeXml(content.text, false) + "</summary>";
  }

  std::string& out;
  std::vector<std::string>& warnings;
  std::string path;
  std::set<std::wstring> written;  // a property's Get, Let and Set share one ID
};

}  // namespace

std::string Located(const std::string& path, const Finding& finding) {
  return path + (finding.line > 0 ? ":" + std::to_string(finding.line) : std::string()) + ": " +
         (finding.code.empty() ? std::string() : finding.code + " ") + finding.message;
}

std::string XmlDocumentation(const std::wstring& project, const std::vector<DocModule>& modules,
                             std::vector<std::string>& warnings) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<doc>\n    <assembly>\n        <name>" +
      EscapeXml(project, false) + "</name>\n    </assembly>\n    <members>\n";
  XmlWriter writer(out, warnings, std::string());
  for (const DocModule& doc : modules) {
    writer.SetPath(doc.path);
    const std::wstring prefix = project + L"." + doc.module.name;
    writer.Members({L"T:" + prefix}, doc.module.block);
    for (const Member& member : doc.module.members) {
      writer.Members(MemberIds(prefix, member, nullptr), member.block);
      for (const Member& child : member.children) {
        writer.Members(MemberIds(prefix, child, &member), child.block);
      }
    }
  }
  out += "    </members>\n</doc>\n";
  return out;
}

}  // namespace tarnwick
