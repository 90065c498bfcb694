// Markdown pages: an index, and one page per module with each public member's
// declaration, summary, parameters, returns, remarks and example. A property's
// accessors are one member; a description stands in for a missing block.
#include "documentation/markdown.h"

#include <algorithm>
#include <map>
#include <set>

#include "documentation/members.h"
#include "engine/text_helpers.h"
#include "text/ascii.h"
#include "text/device_names.h"
#include "text/file_name_case.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

// Text with Markdown's punctuation escaped and every run of blanks and line
// ends made one space.
std::string Escaped(const std::wstring& text) {
  std::string out;
  bool space = false;
  for (const char c : WideToUtf8(text)) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      space = true;
      continue;
    }
    if (space) {
      out += ' ';
      space = false;
    }
    if (std::string_view("\\`*_[]<>|#").find(c) != std::string_view::npos) {
      out += '\\';
    }
    out += c;
  }
  return space ? out + " " : out;
}

std::string Code(const std::wstring& text) {
  std::string code = WideToUtf8(text);
  const std::string fence = code.find('`') == std::string::npos ? "`" : "`` ";
  return fence + code + (fence == "`" ? "`" : " ``");
}

// Where the documented members are: "module.member" and "module", lower case.
using Targets = std::map<std::string, std::string>;

class Renderer {
 public:
  Renderer(const Targets& targets, const std::string& module) : targets(targets), module(module) {}

  // The Markdown of an element's content, paragraphs apart, trimmed.
  std::string Render(const XmlNode& node) const {
    std::string out;
    for (const XmlNode& child : node.children) {
      Append(child, out);
    }
    return Trim(out);
  }

 private:
  static std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \n");
    if (first == std::string::npos) {
      return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \n") - first + 1);
  }

  std::string Link(const std::wstring& cref, const std::string& label) const {
    std::string target = WideToUtf8(cref);
    if (target.size() > 2 && target[1] == ':') {
      target.erase(0, 2);
    }
    target = ToAsciiLower(target.substr(0, target.find('(')));
    // "Project.Module.Member", "Module.Member", "Member" or "Module".
    for (size_t dots = 0; dots < 3; ++dots) {
      for (const std::string& key : {target, module + "." + target}) {
        const auto found = targets.find(key);
        if (found != targets.end()) {
          return "[" + label + "](" + found->second + ")";
        }
      }
      const size_t dot = target.find('.');
      if (dot == std::string::npos) {
        break;
      }
      target.erase(0, dot + 1);
    }
    return label;
  }

  void Append(const XmlNode& node, std::string& out) const {
    if (!node.element) {
      out += Escaped(node.text);
      return;
    }
    const std::wstring& name = node.name;
    const std::wstring* cref = node.Attribute(L"cref");
    if (name == L"c" || name == L"paramref" || name == L"typeparamref") {
      const std::wstring* reference = node.Attribute(L"name");
      out += Code(reference != nullptr ? *reference : InnerText(node));
    } else if ((name == L"see" || name == L"seealso") && cref != nullptr) {
      const std::string inner = Render(node);
      out += Link(*cref, inner.empty() ? Code(*cref) : inner);
    } else if (name == L"see" && node.Attribute(L"langword") != nullptr) {
      out += Code(*node.Attribute(L"langword"));
    } else if (name == L"see" && node.Attribute(L"href") != nullptr) {
      const std::string inner = Render(node);
      const std::string href = WideToUtf8(*node.Attribute(L"href"));
      out +=
          "[" + (inner.empty() ? Escaped(*node.Attribute(L"href")) : inner) + "](<" + href + ">)";
    } else if (name == L"code") {
      out += "\n\n```vb\n" + WideToUtf8(InnerText(node)) + "\n```\n\n";
    } else if (name == L"para") {
      out += "\n\n" + Render(node) + "\n\n";
    } else if (name == L"item") {
      out += "\n- " + Render(node);
    } else {
      for (const XmlNode& child : node.children) {
        Append(child, out);
      }
    }
  }

  const Targets& targets;
  const std::string module;
};

const XmlNode* Find(const std::vector<XmlNode>& nodes, std::wstring_view name) {
  for (const XmlNode& node : nodes) {
    if (node.element && node.name == name) {
      return &node;
    }
  }
  return nullptr;
}

std::string Cell(const std::string& text) {
  std::string cell;
  for (const char c : text) {
    cell += c == '\n' ? ' ' : c;
  }
  return cell;
}

std::string KindOfModule(ModuleKind kind) {
  return kind == ModuleKind::kClass  ? "Class module"
         : kind == ModuleKind::kForm ? "Form"
                                     : "Standard module";
}

// The declaration as written, less the indentation of its first line and
// without a trailing comment.
std::string Declared(const DocModule& doc, const Member& member) {
  const std::vector<std::wstring>& lines = doc.source.lines;
  const int32_t first = member.statement.line - 1;
  const size_t indent = lines[first].find_first_not_of(BlankChars);
  std::string out;
  for (int32_t i = first; i < first + member.statement.lineCount; ++i) {
    std::wstring line = lines[i];
    line.erase(0, std::min(indent, line.find_first_not_of(BlankChars)));
    if (i + 1 == first + member.statement.lineCount) {
      line = CutTrailingComment(line);
      line.erase(line.find_last_not_of(BlankChars) + 1);
    }
    out += WideToUtf8(line) + "\n";
  }
  return out;
}

class Page {
 public:
  Page(const DocModule& doc, const Targets& targets)
      : doc(doc), renderer(targets, ToAsciiLower(WideToUtf8(doc.module.name))) {}

  std::string Write() {
    out = "# " + Escaped(doc.module.name) + "\n\n" + KindOfModule(doc.module.kind) + ".\n\n";
    if (!doc.module.block.Empty()) {
      Sections(ReadBlockContent(doc.module.block), nullptr);
    } else if (const Description* description = ModuleDescription(doc.module)) {
      out += Escaped(description->text) + "\n\n";
    }
    for (const DocumentedMember& member : DocumentedMembers(doc.module)) {
      if (member.IsPublic()) {
        WriteMember(member, false);
      }
    }
    return out;
  }

  // One member's section, every part's declaration in it.
  std::string OneMember(const DocumentedMember& member) {
    out.clear();
    WriteMember(member, true);
    return out;
  }

  // The index's line: the module's summary.
  static std::string Summary(const DocModule& doc, const Targets& targets) {
    if (doc.module.block.Empty()) {
      const Description* description = ModuleDescription(doc.module);
      return description == nullptr ? std::string() : Cell(Escaped(description->text));
    }
    const BlockContent content = ReadBlockContent(doc.module.block);
    const XmlNode* summary = content.problem ? nullptr : Find(content.nodes, L"summary");
    return summary == nullptr ? std::string()
                              : Cell(Renderer(targets, std::string()).Render(*summary));
  }

 private:
  void WriteMember(const DocumentedMember& documented, bool privateParts) {
    const Member& member = *documented.parts.front();
    out += "## " + Escaped(member.declaration.names.empty() ? L"" : member.declaration.names[0]) +
           "\n\n```vb\n";
    for (const Member* part : documented.parts) {
      if (privateParts || !part->declaration.isPrivate) {
        out += Declared(doc, *part);
      }
    }
    out += "```\n\n";
    if (documented.documenting != nullptr) {
      Sections(ReadBlockContent(documented.documenting->block), documented.documenting);
    } else if (documented.description != nullptr) {
      out += Escaped(documented.description->text) + "\n\n";
    }
    bool table = false;
    for (const Member& child : member.children) {
      if (!table) {
        out += "| Member | Description |\n| --- | --- |\n";
        table = true;
      }
      out += "| " + Code(child.declaration.names[0]) + " | " + ChildSummary(child) + " |\n";
    }
    if (table) {
      out += "\n";
    }
  }

  std::string ChildSummary(const Member& child) const {
    if (child.block.Empty()) {
      return std::string();
    }
    const BlockContent content = ReadBlockContent(child.block);
    const XmlNode* summary = content.problem ? nullptr : Find(content.nodes, L"summary");
    return summary == nullptr ? std::string() : Cell(renderer.Render(*summary));
  }

  void Sections(const BlockContent& content, const Member* member) {
    if (content.problem) {
      out += Escaped(content.text) + "\n\n";
      return;
    }
    if (const XmlNode* summary = Find(content.nodes, L"summary")) {
      out += renderer.Render(*summary) + "\n\n";
    }
    bool table = false;
    for (const XmlNode& node : content.nodes) {
      const std::wstring* name = node.Attribute(L"name");
      if (!node.element || node.name != L"param" || name == nullptr) {
        continue;
      }
      if (!table) {
        out += "| Parameter | Type | Description |\n| --- | --- | --- |\n";
        table = true;
      }
      out += "| " + Code(*name) + " | " + TypeOf(member, *name) + " | " +
             Cell(renderer.Render(node)) + " |\n";
    }
    if (table) {
      out += "\n";
    }
    const std::pair<std::wstring_view, const char*> parts[] = {
        {L"returns", "Returns"}, {L"remarks", "Remarks"}, {L"example", "Example"}};
    for (const auto& [tag, title] : parts) {
      const XmlNode* node = Find(content.nodes, tag);
      const std::string text = node == nullptr ? std::string() : renderer.Render(*node);
      if (!text.empty()) {
        // A code block or paragraphs stand below the title, a line beside it.
        out += "**" + std::string(title) + ":**" +
               (text.find('\n') == std::string::npos ? " " : "\n\n") + text + "\n\n";
      }
    }
  }

  static std::string TypeOf(const Member* member, const std::wstring& name) {
    if (member == nullptr) {
      return std::string();
    }
    for (const Parameter& parameter : member->declaration.parameters) {
      if (EqualsIgnoringAsciiCase(parameter.name, name)) {
        std::wstring type = parameter.type;
        if (parameter.typeCharacter != 0) {
          type = std::wstring(1, parameter.typeCharacter);
        }
        return type.empty() ? std::string() : Escaped(type + (parameter.array ? L"()" : L""));
      }
    }
    return std::string();
  }

  const DocModule& doc;
  Renderer renderer;
  std::string out;
};

// A YAML scalar in double quotes, which take any text.
std::string YamlString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
    }
    out += c;
  }
  return out + "\"";
}

// The words of the mark on the site's files, which tell a file the site
// replaces from one written by hand.
constexpr std::string_view kMarkWords =
    "Written by tarnwick-doc markdown, which replaces this file when run again.";

std::string PageMark() {
  return "<!-- " + std::string(kMarkWords) + " -->\n";
}
std::string ConfigMark() {
  return "# " + std::string(kMarkWords) + "\n";
}

// The page of each module, in the modules' order. A module's name comes from
// the file it was read from, so it is its page's name only where that is a
// plain file name in DIR/docs: letters, digits, underscores (and any
// non-ASCII letter), no device name, not the index's, and not a name that
// another module's page has already taken (file names on Windows ignore
// case, beyond ASCII too). Any other module gets "module-N.md", N its place
// on the command line.
std::vector<std::string> PageNames(const std::vector<DocModule>& modules) {
  std::vector<std::string> names;
  std::set<std::wstring> taken = {L"INDEX"};
  for (size_t i = 0; i < modules.size(); ++i) {
    const std::wstring& name = modules[i].module.name;
    const bool plain = !name.empty() && !IsWindowsDeviceName(name) &&
                       std::all_of(name.begin(), name.end(), [](wchar_t c) {
                         return c >= 0x80 || c == L'_' || (c >= L'0' && c <= L'9') ||
                                (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
                       });
    std::string page = plain ? WideToUtf8(name) : std::string();
    if (page.empty() || !taken.insert(WindowsFileNameKey(name)).second) {
      page = "module-" + std::to_string(i + 1);  // no plain name holds a '-'
    }
    names.push_back(page + ".md");
  }
  return names;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> MarkdownSite(
    const std::wstring& project, const std::vector<DocModule>& modules) {
  const std::vector<std::string> pageNames = PageNames(modules);
  Targets targets;
  for (size_t i = 0; i < modules.size(); ++i) {
    const DocModule& doc = modules[i];
    const std::string module = ToAsciiLower(WideToUtf8(doc.module.name));
    targets.emplace(module, pageNames[i]);
    for (const Member& member : doc.module.members) {
      if (member.declaration.isPrivate || member.declaration.names.empty()) {
        continue;
      }
      const std::string name = ToAsciiLower(WideToUtf8(member.declaration.names[0]));
      targets.emplace(module + "." + name, pageNames[i] + "#" + name);
    }
  }
  std::vector<std::pair<std::string, std::string>> pages;
  std::string index = PageMark() + "# " + Escaped(project) +
                      "\n\n| Module | Kind | Summary |\n| --- | --- | --- |\n";
  std::string config = ConfigMark() + "site_name: " + YamlString(WideToUtf8(project)) +
                       "\nnav:\n  - " + YamlString("Index") + ": index.md\n";
  for (size_t i = 0; i < modules.size(); ++i) {
    const DocModule& doc = modules[i];
    index += "| [" + Escaped(doc.module.name) + "](" + pageNames[i] + ") | " +
             KindOfModule(doc.module.kind) + " | " + Page::Summary(doc, targets) + " |\n";
    config +=
        "  - " + YamlString(WideToUtf8(doc.module.name)) + ": " + YamlString(pageNames[i]) + "\n";
    pages.emplace_back("docs/" + pageNames[i], PageMark() + Page(doc, targets).Write());
  }
  pages.insert(pages.begin(), {"docs/index.md", index});
  pages.insert(pages.begin(), {"mkdocs.yml", config});
  return pages;
}

bool IsSiteFile(std::string_view bytes) {
  return bytes.starts_with(PageMark()) || bytes.starts_with(ConfigMark());
}

std::string MemberMarkdown(const DocModule& module, const DocumentedMember& member) {
  const Targets none;
  return Page(module, none).OneMember(member);
}

std::string MemberMarkdown(const DocModule& module, const DocumentedMember& member,
                           const std::map<std::string, std::string>& links) {
  return Page(module, links).OneMember(member);
}

}  // namespace tarnwick
