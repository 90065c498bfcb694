#include "documentation/descriptions.h"

#include "text/shown_text.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Every run of blanks and line ends one space, none at either end.
std::wstring Collapsed(std::wstring_view text) {
  std::wstring out;
  bool space = false;
  for (const wchar_t c : text) {
    if (IsSpace(c)) {
      space = !out.empty();
      continue;
    }
    if (space) {
      out += L' ';
      space = false;
    }
    out += c;
  }
  return out;
}

// The editor counts UTF-16 units; wchar_t has 32 bits on some platforms.
template <typename Char>
size_t UnitsOf(Char c) {
  if constexpr (sizeof(Char) > 2) {
    return static_cast<uint32_t>(c) > 0xFFFF ? 2 : 1;
  } else {
    return 1;
  }
}

size_t Units(wchar_t c) {
  return UnitsOf(c);
}

size_t Units(std::wstring_view text) {
  size_t units = 0;
  for (const wchar_t c : text) {
    units += Units(c);
  }
  return units;
}

std::wstring VbaString(const std::wstring& text) {
  std::wstring out = L"\"";
  for (const wchar_t c : text) {
    out += c == L'"' ? L"\"\"" : std::wstring(1, c);
  }
  return out + L"\"";
}

void AppendPlain(const XmlNode& node, std::wstring& out) {
  if (!node.element) {
    out += node.text;
    return;
  }
  const std::wstring& name = node.name;
  if (name == L"paramref" || name == L"typeparamref") {
    if (const std::wstring* reference = node.Attribute(L"name")) {
      out += *reference;
    }
    return;
  }
  if ((name == L"see" || name == L"seealso") && node.children.empty()) {
    if (const std::wstring* cref = node.Attribute(L"cref")) {
      // "M:Module.Member(System.Int32)" reads as "Module.Member".
      const size_t start = cref->size() > 2 && (*cref)[1] == L':' ? 2 : 0;
      out += cref->substr(start, cref->find(L'(') - start);
    } else if (const std::wstring* word = node.Attribute(L"langword")) {
      out += *word;
    } else if (const std::wstring* href = node.Attribute(L"href")) {
      out += *href;
    }
    return;
  }
  // Paragraphs and list items stand apart; every other tag goes, its text stays.
  const bool apart = name == L"para" || name == L"item" || name == L"br";
  if (apart) {
    out += L' ';
  }
  for (const XmlNode& child : node.children) {
    AppendPlain(child, out);
  }
  if (apart) {
    out += L' ';
  }
}

// A description and the text it should hold, with what check and sync say of it.
struct Pairing {
  const Description* description = nullptr;
  std::wstring summary;  // plain
  std::string what;      // "Sub Name", "module"
};

std::vector<Pairing> Pairings(const ModuleSource& module) {
  std::vector<Pairing> pairings;
  const std::optional<std::wstring> summary =
      ModuleDescription(module) == nullptr ? std::nullopt : PlainSummary(module.block);
  for (const Description* description : {&module.attribute, &module.annotation}) {
    if (summary && !description->Empty()) {
      pairings.push_back({description, *summary, "module"});
    }
  }
  for (const DocumentedMember& member : DocumentedMembers(module)) {
    if (member.documenting == nullptr || member.description == nullptr) {
      continue;
    }
    const std::optional<std::wstring> text = PlainSummary(member.documenting->block);
    for (const Member* part : member.parts) {
      for (const Description* description : {&part->attribute, &part->annotation}) {
        if (text && !description->Empty()) {
          pairings.push_back({description, *text, DescribeMember(*part)});
        }
      }
    }
  }
  return pairings;
}

// The text a description's line should hold: its string as the summary fits
// there; empty when it holds that already.
std::wstring Expected(const std::vector<std::wstring>& lines, const Pairing& pairing) {
  const Description& description = *pairing.description;
  const std::wstring& line = lines[description.line - 1];
  const std::wstring_view literal = std::wstring_view(line).substr(
      description.literalBegin, description.literalEnd - description.literalBegin);
  const std::wstring fitted = FitDescription(pairing.summary, Units(line) - Units(literal) + 2);
  if (Collapsed(description.text) == fitted) {
    return std::wstring();
  }
  return line.substr(0, description.literalBegin) + VbaString(fitted) +
         line.substr(description.literalEnd);
}

bool Encodable(const std::wstring& text, Encoding encoding) {
  try {
    (void)Encode(text, encoding);
    return true;
  } catch (const EncodingError&) {
    return false;
  }
}

}  // namespace

std::optional<std::wstring> PlainSummary(const CommentBlock& block) {
  if (block.Empty()) {
    return std::nullopt;
  }
  const BlockContent content = ReadBlockContent(block);
  if (content.problem) {
    return std::nullopt;
  }
  for (const XmlNode& node : content.nodes) {
    if (node.element && node.name == L"summary") {
      std::wstring text;
      AppendPlain(node, text);
      text = Collapsed(text);
      return text.empty() ? std::nullopt : std::optional<std::wstring>(std::move(text));
    }
  }
  return std::nullopt;
}

std::wstring FitDescription(const std::wstring& plain, size_t others) {
  const size_t room = others < kLongestLine ? kLongestLine - others : 0;
  size_t used = 0;
  size_t space = std::wstring::npos;  // the last space that fits
  size_t i = 0;
  for (; i < plain.size(); ++i) {
    const size_t cost = plain[i] == L'"' ? 2 : Units(plain[i]);
    if (used + cost > room) {
      break;
    }
    if (plain[i] == L' ') {
      space = i;
    }
    used += cost;
  }
  if (i == plain.size()) {
    return plain;
  }
  size_t cut = plain[i] == L' ' ? i : space;
  if (cut == std::wstring::npos) {
    // One word longer than the room: cut inside it, not inside a surrogate pair.
    cut = i;
    if (cut > 0 && plain[cut] >= 0xDC00 && plain[cut] <= 0xDFFF) {
      --cut;
    }
  }
  std::wstring fitted = plain.substr(0, cut);
  while (!fitted.empty() && fitted.back() == L' ') {
    fitted.pop_back();
  }
  return fitted;
}

void CheckDescriptions(const DocModule& doc, std::vector<Finding>& findings) {
  for (const Pairing& pairing : Pairings(doc.module)) {
    if (!Expected(doc.source.lines, pairing).empty()) {
      findings.push_back({pairing.description->line, std::string(kStaleDescription),
                          ShownText(pairing.what) + ": the description differs from the summary"});
    }
  }
}

std::vector<bool> UndocumentedMembers(const ModuleSource& module, bool privateToo) {
  std::vector<bool> undocumented(module.members.size(), false);
  for (const DocumentedMember& member : DocumentedMembers(module)) {
    if (member.documenting != nullptr || member.description != nullptr) {
      continue;
    }
    for (const Member* part : member.parts) {
      if (privateToo || !part->declaration.isPrivate) {
        undocumented[part - module.members.data()] = true;
        break;
      }
    }
  }
  return undocumented;
}

std::vector<DescriptionEdit> DescriptionEdits(const DocModule& doc, bool add,
                                              std::vector<Finding>& notes) {
  std::vector<DescriptionEdit> edits;
  for (const Pairing& pairing : Pairings(doc.module)) {
    std::wstring text = Expected(doc.source.lines, pairing);
    if (text.empty()) {
      continue;
    }
    if (!Encodable(text, doc.source.encoding)) {
      notes.push_back({pairing.description->line,
                       {},
                       pairing.what +
                           ": the description is left as it is: the summary holds a "
                           "character that " +
                           EncodingName(doc.source.encoding) + " cannot hold"});
      continue;
    }
    edits.push_back({pairing.description->line - 1, false, std::move(text)});
  }
  if (!add) {
    return edits;
  }
  for (const DocumentedMember& member : DocumentedMembers(doc.module)) {
    const Member* part = member.documenting;
    if (part == nullptr || !member.IsPublic() || !IsProcedureHeader(part->declaration.kind)) {
      continue;
    }
    bool has = false;
    for (const Member* each : member.parts) {
      has = has || !each->attribute.Empty();
    }
    const std::optional<std::wstring> summary = PlainSummary(part->block);
    if (has || !summary) {
      continue;
    }
    const auto last = static_cast<size_t>(part->statement.line + part->statement.lineCount - 2);
    if (IsContinuedLine(doc.source.lines[last])) {
      continue;  // the file ends inside the declaration: a new line would join it
    }
    const std::string what = DescribeMember(*part);
    if (part->oneLine) {
      notes.push_back({part->statement.line,
                       {},
                       what + ": no description added: its End stands on its declaration's line"});
      continue;
    }
    const std::wstring prefix =
        L"Attribute " + part->declaration.names.front() + L".VB_Description = ";
    std::wstring text = prefix + VbaString(FitDescription(*summary, Units(prefix) + 2));
    if (!Encodable(text, doc.source.encoding)) {
      notes.push_back({part->statement.line,
                       {},
                       what + ": no description added: the summary holds a character that " +
                           EncodingName(doc.source.encoding) + " cannot hold"});
      continue;
    }
    edits.push_back({static_cast<int32_t>(last), true, std::move(text)});
  }
  return edits;
}

}  // namespace tarnwick
