#include "office/content_types.h"

#include <vector>

#include "text/ascii.h"

namespace tarnwick::office {

namespace {

// UTF-16 markup to bytes: only ASCII matters to what is looked up here.
std::string Narrowed(std::string_view xml) {
  const bool little = xml.substr(0, 2) == "\xFF\xFE";
  const bool big = xml.substr(0, 2) == "\xFE\xFF";
  if (!little && !big) {
    return std::string(xml);
  }
  std::string narrow;
  narrow.reserve(xml.size() / 2);
  for (size_t i = 2; i + 1 < xml.size(); i += 2) {
    const char low = little ? xml[i] : xml[i + 1];
    const char high = little ? xml[i + 1] : xml[i];
    narrow.push_back(high == 0 ? low : '?');
  }
  return narrow;
}

std::string Unescaped(std::string_view value) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (size_t i = 0; i < value.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (value.substr(i, entity.size()) == entity) {
        out.push_back(c);
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      out.push_back(value[i++]);
    }
  }
  return out;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The attributes of one start tag's inside, after its name.
std::map<std::string, std::string> Attributes(std::string_view tag) {
  std::map<std::string, std::string> attributes;
  size_t at = 0;
  while (at < tag.size()) {
    while (at < tag.size() && (IsSpace(tag[at]) || tag[at] == '/')) {
      ++at;
    }
    const size_t nameStart = at;
    while (at < tag.size() && tag[at] != '=' && !IsSpace(tag[at])) {
      ++at;
    }
    const std::string_view name = tag.substr(nameStart, at - nameStart);
    while (at < tag.size() && IsSpace(tag[at])) {
      ++at;
    }
    if (at >= tag.size() || tag[at] != '=') {
      break;
    }
    ++at;
    while (at < tag.size() && IsSpace(tag[at])) {
      ++at;
    }
    if (at >= tag.size() || (tag[at] != '"' && tag[at] != '\'')) {
      break;
    }
    const size_t close = tag.find(tag[at], at + 1);
    if (close == std::string_view::npos) {
      break;
    }
    attributes[std::string(name)] = Unescaped(tag.substr(at + 1, close - at - 1));
    at = close + 1;
  }
  return attributes;
}

}  // namespace

ContentTypes::ContentTypes(std::string_view xml) {
  const std::string text = Narrowed(xml);
  size_t at = 0;
  while ((at = text.find('<', at)) != std::string::npos) {
    if (text.compare(at, 4, "<!--") == 0) {
      const size_t end = text.find("-->", at + 4);
      at = end == std::string::npos ? text.size() : end + 3;
      continue;
    }
    const size_t end = text.find('>', at);
    if (end == std::string::npos) {
      break;
    }
    std::string_view tag = std::string_view(text).substr(at + 1, end - at - 1);
    at = end + 1;
    size_t nameEnd = 0;
    while (nameEnd < tag.size() && !IsSpace(tag[nameEnd]) && tag[nameEnd] != '/') {
      ++nameEnd;
    }
    std::string_view name = tag.substr(0, nameEnd);
    if (const size_t colon = name.find(':'); colon != std::string_view::npos) {
      name.remove_prefix(colon + 1);
    }
    if (name != "Default" && name != "Override") {
      continue;
    }
    const std::map<std::string, std::string> attributes = Attributes(tag.substr(nameEnd));
    const auto type = attributes.find("ContentType");
    if (type == attributes.end()) {
      continue;
    }
    if (name == "Default") {
      if (const auto extension = attributes.find("Extension"); extension != attributes.end()) {
        defaults_[ToAsciiLower(extension->second)] = type->second;
      }
    } else if (const auto part = attributes.find("PartName"); part != attributes.end()) {
      overrides_[ToAsciiLower(part->second)] = type->second;
    }
  }
}

std::string ContentTypes::TypeOf(std::string_view entryName) const {
  const std::string part = "/" + ToAsciiLower(entryName);
  if (const auto found = overrides_.find(part); found != overrides_.end()) {
    return found->second;
  }
  const size_t slash = part.rfind('/');
  const size_t dot = part.rfind('.');
  if (dot != std::string::npos && dot > slash) {
    if (const auto found = defaults_.find(part.substr(dot + 1)); found != defaults_.end()) {
      return found->second;
    }
  }
  return std::string();
}

}  // namespace tarnwick::office
