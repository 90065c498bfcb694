#include "documentation/xml_file.h"

#include <set>

#include "documentation/members.h"
#include "text/shown_text.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

// Each line of `text` behind `indent` spaces.
std::string Indented(const std::string& text, size_t indent) {
  std::string out(indent, ' ');
  out.reserve(text.size() + indent * 8);
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    out.append(text, start, end + 1 - start);
    out.append(indent, ' ');
    start = end + 1;
  }
  out.append(text, start, std::string::npos);
  return out;
}

// From the member's block, or else from its description.
XmlBlock Document(const DocModule& doc, const std::vector<std::wstring>& ids,
                  const CommentBlock& block, const Description* description) {
  XmlBlock documented;
  const BlockContent content = ReadBlockContent(block);
  std::string body;
  if (block.Empty()) {
    body = Indented("<summary>" + EscapeXml(description->text, false) + "</summary>", 12);
  } else if (!content.problem) {
    body = Indented(WriteXml(content.nodes), 12);
  } else {
    documented.warning = Located(
        doc, {block.line + content.LineOf(content.problem->offset),
              {},
              "warning: the block is not well-formed XML (" + ShownText(content.problem->message) +
                  "); its text is written as its summary"});
    body = Indented("<summary>" + EscapeXml(content.text, false) + "</summary>", 12);
  }
  for (const std::wstring& id : ids) {
    documented.members.emplace_back(id, "        <member name=\"" + EscapeXml(id, true) + "\">\n" +
                                            body + "\n        </member>\n");
  }
  return documented;
}

}  // namespace

std::vector<XmlBlock> XmlBlocks(const std::wstring& project, const DocModule& doc) {
  std::vector<XmlBlock> blocks;
  const std::wstring prefix = project + L"." + doc.module.name;
  auto add = [&](const std::vector<std::wstring>& ids, const CommentBlock& block,
                 const Description* description) {
    if ((!block.Empty() || description != nullptr) && !ids.empty()) {
      blocks.push_back(Document(doc, ids, block, description));
    }
  };
  add({L"T:" + prefix}, doc.module.block, ModuleDescription(doc.module));
  for (const DocumentedMember& member : DocumentedMembers(doc.module)) {
    const Member& first = *member.parts.front();
    add(MemberIds(prefix, first, nullptr),
        member.documenting == nullptr ? CommentBlock() : member.documenting->block,
        member.description);
    for (const Member& child : first.children) {
      add(MemberIds(prefix, child, &first), child.block, nullptr);
    }
  }
  return blocks;
}

std::string XmlDocumentation(const std::wstring& project,
                             const std::vector<std::vector<XmlBlock>>& documented,
                             std::vector<std::string>& warnings) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<doc>\n    <assembly>\n        <name>" +
      EscapeXml(project, false) + "</name>\n    </assembly>\n    <members>\n";
  // The first block of an ID is its documentation (the copies of a declaration
  // in #If branches share one); a block none of whose IDs is new is left out,
  // warning and all.
  std::set<std::wstring> written;
  size_t size = out.size() + 32;
  for (const std::vector<XmlBlock>& blocks : documented) {
    for (const XmlBlock& block : blocks) {
      for (const auto& member : block.members) {
        size += member.second.size();
      }
    }
  }
  out.reserve(size);
  for (const std::vector<XmlBlock>& blocks : documented) {
    for (const XmlBlock& block : blocks) {
      bool used = false;
      for (const auto& [id, element] : block.members) {
        if (written.insert(id).second) {
          out += element;
          used = true;
        }
      }
      if (used && !block.warning.empty()) {
        warnings.push_back(block.warning);
      }
    }
  }
  out += "    </members>\n</doc>\n";
  return out;
}

std::string XmlDocumentation(const std::wstring& project, const std::vector<DocModule>& modules,
                             std::vector<std::string>& warnings) {
  std::vector<std::vector<XmlBlock>> documented;
  documented.reserve(modules.size());
  for (const DocModule& doc : modules) {
    documented.push_back(XmlBlocks(project, doc));
  }
  return XmlDocumentation(project, documented, warnings);
}

}  // namespace tarnwick
