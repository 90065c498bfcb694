// `sync`: each ''' block brought in line with its declaration, every word
// already written kept, and every line it does not change left byte for byte.
#include "documentation/sync.h"

#include <algorithm>
#include <map>
#include <optional>

#include "documentation/descriptions.h"
#include "documentation/members.h"
#include "engine/text_helpers.h"
#include "text/shown_text.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

// One top-level element of a block and the lines it fills, or a line that holds
// no element (a blank ''' line, a comment).
struct Item {
  int32_t first = 0;  // 0-based lines of the block, inclusive
  int32_t last = 0;
  const XmlNode* element = nullptr;

  bool Is(std::wstring_view name) const { return element != nullptr && element->name == name; }
};

bool IsBlankText(std::wstring_view text) {
  return text.find_first_not_of(L" \t\r\n") == std::wstring_view::npos;
}

// The items of a block whose top-level elements each stand on lines of their
// own, with nothing but blanks between them; nullopt for any other block.
std::optional<std::vector<Item>> Layout(const BlockContent& content) {
  std::vector<Item> items;
  std::vector<bool> covered(content.lines.size(), false);
  for (const XmlNode& node : content.nodes) {
    if (!node.element) {
      if (!IsBlankText(node.text)) {
        return std::nullopt;
      }
      continue;
    }
    Item item{content.LineOf(node.begin), content.LineOf(node.end - 1), &node};
    const size_t lineStart = content.lineStarts[item.first];
    const size_t lineEnd = content.lineStarts[item.last] + content.lines[item.last].size();
    if (!IsBlankText(std::wstring_view(content.text).substr(lineStart, node.begin - lineStart)) ||
        !IsBlankText(std::wstring_view(content.text).substr(node.end, lineEnd - node.end))) {
      return std::nullopt;
    }
    for (int32_t line = item.first; line <= item.last; ++line) {
      if (covered[line]) {
        return std::nullopt;
      }
      covered[line] = true;
    }
    items.push_back(item);
  }
  for (size_t line = 0; line < covered.size(); ++line) {
    if (!covered[line]) {
      items.push_back({static_cast<int32_t>(line), static_cast<int32_t>(line), nullptr});
    }
  }
  std::sort(items.begin(), items.end(),
            [](const Item& a, const Item& b) { return a.first < b.first; });
  return items;
}

// An entry of the block after sync: an item kept, or a new line's content.
struct Entry {
  const Item* item = nullptr;
  std::wstring content;
};

class BlockSync {
 public:
  BlockSync(const Member& member, std::vector<Finding>& notes) : member(member), notes(notes) {}

  // The block's new lines, or nullopt when it stays as it is.
  std::optional<std::vector<SyncedLine>> Run() {
    const CommentBlock& block = member.block;
    const BlockContent content = ReadBlockContent(block);
    const bool signature = TakesParameters(member.declaration.kind);
    if (content.problem) {
      if (signature) {
        Note(block.line + content.LineOf(content.problem->offset),
             "the block is left as it is: it is not well-formed XML");
      }
      return std::nullopt;
    }
    const std::optional<std::vector<Item>> layout = Layout(content);
    if (!layout) {
      if (signature) {
        Note(block.line, "the block is left as it is: its tags do not stand on lines of their own");
      }
      return std::nullopt;
    }
    const std::vector<Entry> entries = Entries(*layout);
    bool same = entries.size() == layout->size();
    for (size_t i = 0; same && i < entries.size(); ++i) {
      same = entries[i].item == &(*layout)[i];
    }
    if (same) {
      return std::nullopt;
    }
    if (entries.empty()) {
      // Without its block the declaration would take a block that stands
      // above it, a blank line apart, and a second sync would change that one.
      Note(block.line, "the block is left as it is: sync would remove all of it");
      return std::nullopt;
    }
    const std::wstring prefix = Prefix(*layout);
    std::vector<SyncedLine> lines;
    const int32_t first = block.line - 1;
    for (const Entry& entry : entries) {
      if (entry.item == nullptr) {
        lines.push_back({-1, prefix + entry.content, first});
        continue;
      }
      for (int32_t line = entry.item->first; line <= entry.item->last; ++line) {
        lines.push_back({first + line, std::wstring(), -1});
      }
    }
    return lines;
  }

 private:
  std::vector<Entry> Entries(const std::vector<Item>& items) {
    const Declaration& d = member.declaration;
    const std::vector<std::wstring> signature = ParameterNames(d);
    const SignatureIndex byName(signature);
    std::vector<const Item*> params;
    std::vector<const Item*> matched(signature.size(), nullptr);
    std::vector<const Item*> extras;
    for (const Item& item : items) {
      if (!item.Is(L"param")) {
        continue;
      }
      params.push_back(&item);
      const std::wstring* name = item.element->Attribute(L"name");
      const size_t index = name == nullptr ? signature.size() : byName.Find(*name);
      if (index < signature.size() && matched[index] == nullptr) {
        matched[index] = &item;
      } else {
        extras.push_back(&item);
      }
    }
    // The params in signature order, new ones empty, then those whose name is
    // gone: dropped when empty, kept when they hold text.
    std::vector<Entry> group;
    for (size_t i = 0; i < signature.size(); ++i) {
      if (matched[i] != nullptr) {
        group.push_back({matched[i], {}});
      } else {
        group.push_back({nullptr, L"<param name=\"" + Utf8ToWide(EscapeXml(signature[i], true)) +
                                      L"\"></param>"});
      }
    }
    for (const Item* extra : extras) {
      if (!IsEmptyElement(*extra->element)) {
        const std::wstring* name = extra->element->Attribute(L"name");
        Note(member.block.line + extra->first, "kept <param name=\"" +
                                                   WideToUtf8(name == nullptr ? L"" : *name) +
                                                   "\">, which names no parameter, for its text");
        group.push_back({extra, {}});
      }
    }
    bool paramsInPlace = group.size() == params.size();
    for (size_t i = 0; paramsInPlace && i < group.size(); ++i) {
      paramsInPlace = group[i].item == params[i];
    }

    const bool due = ReturnsValue(d.kind);
    bool hasReturns = false;
    std::vector<const Item*> dropped;
    for (const Item& item : items) {
      if (!item.Is(L"returns")) {
        continue;
      }
      hasReturns = true;
      if (!due && IsEmptyElement(*item.element)) {
        dropped.push_back(&item);
      } else if (!due) {
        Note(member.block.line + item.first,
             "kept <returns>, which this member has no value for, for its text");
      }
    }
    if (due && !hasReturns) {
      group.push_back({nullptr, L"<returns></returns>"});
    }
    const Item* anchor = nullptr;  // where new lines go when there are no params
    for (const Item& item : items) {
      if (item.Is(L"summary") || item.Is(L"typeparam")) {
        anchor = &item;
      }
    }

    std::vector<Entry> entries;
    auto add = [&](const std::vector<Entry>& more) {
      entries.insert(entries.end(), more.begin(), more.end());
    };
    std::vector<Entry> additions;  // what follows the params when they stay in place
    if (due && !hasReturns) {
      additions.push_back(group.back());
    }
    if (params.empty() && anchor == nullptr) {
      add(group);
    }
    for (const Item& item : items) {
      if (std::find(dropped.begin(), dropped.end(), &item) != dropped.end()) {
        continue;
      }
      if (item.Is(L"param")) {
        if (paramsInPlace) {
          entries.push_back({&item, {}});
          if (&item == params.back()) {
            add(additions);
          }
        } else if (&item == params.front()) {
          add(group);
        }
        continue;
      }
      entries.push_back({&item, {}});
      if (params.empty() && &item == anchor) {
        add(group);
      }
    }
    return entries;
  }

  // What stands before the first tag: the indentation, the marker and blanks.
  std::wstring Prefix(const std::vector<Item>& items) const {
    const std::vector<std::wstring>& lines = member.block.lines;
    int32_t line = 0;
    for (const Item& item : items) {
      if (item.element != nullptr) {
        line = item.first;
        break;
      }
    }
    const std::wstring& text = lines[line];
    const size_t marker = FindCommentMarker(text);
    const size_t content = text.find_first_not_of(BlankChars, marker + 3);
    return content == std::wstring::npos ? text.substr(0, marker + 3) + L" "
                                         : text.substr(0, content);
  }

  void Note(int32_t line, const std::string& message) {
    notes.push_back({line, {}, ShownText(DescribeMember(member) + ": " + message)});
  }

  const Member& member;
  std::vector<Finding>& notes;
};

}  // namespace

SyncResult SyncModule(const DocModule& doc, SyncOptions options) {
  SyncResult result;
  std::map<int32_t, std::pair<int32_t, std::vector<SyncedLine>>> replaced;  // by 0-based line
  auto sync = [&](const Member& member) {
    if (member.block.Empty()) {
      return;
    }
    if (std::optional<std::vector<SyncedLine>> lines = BlockSync(member, result.notes).Run()) {
      replaced[member.block.line - 1] = {static_cast<int32_t>(member.block.lines.size()),
                                         std::move(*lines)};
    }
  };
  for (const Member& member : doc.module.members) {
    sync(member);
    for (const Member& child : member.children) {
      sync(child);
    }
  }
  // A description's line is a line of code, never one of a block.
  for (DescriptionEdit& edit : DescriptionEdits(doc, options.addDescriptions, result.notes)) {
    std::vector<SyncedLine> lines;
    if (edit.insert) {
      lines.push_back({edit.line, std::wstring(), -1});
    }
    lines.push_back({-1, std::move(edit.text), edit.line});
    replaced.emplace(edit.line, std::pair(1, std::move(lines)));
  }
  result.changed = !replaced.empty();
  const auto count = static_cast<int32_t>(doc.source.lines.size());
  for (int32_t line = 0; line < count;) {
    const auto block = replaced.find(line);
    if (block == replaced.end()) {
      result.lines.push_back({line, std::wstring(), -1});
      ++line;
      continue;
    }
    result.lines.insert(result.lines.end(), block->second.second.begin(),
                        block->second.second.end());
    line += block->second.first;
  }
  std::stable_sort(result.notes.begin(), result.notes.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return result;
}

std::string SyncedBytes(const SourceText& source, const SyncResult& result) {
  // A kept last line that no longer comes last ends as the file's first line does.
  const std::string usual = source.spans.empty() ? std::string() : std::string(source.End(0));
  std::string out = source.byteOrderMark;
  for (size_t i = 0; i < result.lines.size(); ++i) {
    const SyncedLine& line = result.lines[i];
    std::string end;
    if (line.source >= 0) {
      out += source.Bytes(line.source);
      end = source.End(line.source);
    } else {
      out += Encode(line.text, source.encoding);
      end = source.End(line.endLike);
    }
    if (end.empty() && i + 1 < result.lines.size()) {
      end = usual.empty() ? Encode(L"\r\n", source.encoding) : usual;
    }
    out += end;
  }
  return out;
}

}  // namespace tarnwick
