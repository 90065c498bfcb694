#include "documentation/xml_fragment.h"

#include <cstdint>

#include "text/utf.h"

namespace tarnwick {

namespace {

constexpr int kMaxDepth = 100;

bool IsXmlSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// The unit is a character XML 1.0 allows (surrogate pairs are checked apart).
bool IsXmlUnit(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xFFFD && c != 0xFFFE);
}

// XML 1.0's name characters, within the Basic Multilingual Plane.
bool IsNameStart(wchar_t c) {
  if (c < 0x80) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L':';
  }
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L':' ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
         (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD);
}

bool IsNameChar(wchar_t c) {
  if (c < 0x80) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'_' || c == L':' || c == L'-' || c == L'.';
  }
  return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

class Parser {
 public:
  explicit Parser(std::wstring_view text) : text(text) {}

  std::optional<XmlProblem> Run(std::vector<XmlNode>& nodes) {
    if (!Content(nodes, 0)) {
      return problem;
    }
    if (at < text.size()) {
      return XmlProblem{at, "a closing tag without its opening tag"};
    }
    return std::nullopt;
  }

 private:
  bool Fail(const std::string& message) {
    if (!problem) {
      problem = XmlProblem{at, message};
    }
    return false;
  }

  bool StartsWith(std::wstring_view prefix) const { return text.substr(at).starts_with(prefix); }

  // Content up to a closing tag (left for the caller) or the end.
  bool Content(std::vector<XmlNode>& nodes, int depth) {
    std::wstring pending;
    size_t pendingBegin = at;
    auto flush = [&] {
      if (!pending.empty()) {
        XmlNode node;
        node.text = std::move(pending);
        node.begin = pendingBegin;
        node.end = at;
        nodes.push_back(std::move(node));
        pending.clear();
      }
    };
    while (at < text.size()) {
      const wchar_t c = text[at];
      if (c == L'<') {
        if (StartsWith(L"</")) {
          break;
        }
        if (StartsWith(L"<!--")) {
          const size_t close = text.find(L"-->", at + 4);
          if (close == std::wstring_view::npos) {
            return Fail("an unclosed comment");
          }
          at = close + 3;
          continue;
        }
        if (StartsWith(L"<![CDATA[")) {
          const size_t close = text.find(L"]]>", at + 9);
          if (close == std::wstring_view::npos) {
            return Fail("an unclosed CDATA section");
          }
          if (pending.empty()) {
            pendingBegin = at;
          }
          if (!Characters(text.substr(at + 9, close - at - 9), pending)) {
            return false;
          }
          at = close + 3;
          continue;
        }
        flush();
        XmlNode element;
        if (!Element(element, depth + 1)) {
          return false;
        }
        nodes.push_back(std::move(element));
        pendingBegin = at;
        continue;
      }
      if (pending.empty()) {
        pendingBegin = at;
      }
      if (IsPlainText(c)) {
        size_t end = at + 1;
        while (end < text.size() && IsPlainText(text[end])) {
          ++end;
        }
        pending.append(text.substr(at, end - at));
        at = end;
        continue;
      }
      if (c == L'&') {
        if (!Reference(pending)) {
          return false;
        }
        continue;
      }
      if (StartsWith(L"]]>")) {
        return Fail("']]>' in text");
      }
      const size_t units = IsHighSurrogate(c) && at + 1 < text.size() ? 2 : 1;
      if (!Characters(text.substr(at, units), pending)) {
        return false;
      }
      at += units;
    }
    flush();
    return true;
  }

  // Text that needs no look at its neighbours: allowed, and no markup.
  static bool IsPlainText(wchar_t c) {
    return ((c >= 0x20 && c < 0xD800) || c == L'\n' || c == L'\t') && c != L'<' && c != L'&' &&
           c != L']';
  }

  static bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
  static bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

  // Appends characters that XML allows.
  bool Characters(std::wstring_view part, std::wstring& out) {
    for (size_t i = 0; i < part.size(); ++i) {
      const wchar_t c = part[i];
      if (IsHighSurrogate(c) && i + 1 < part.size() && IsLowSurrogate(part[i + 1])) {
        out.push_back(c);
        out.push_back(part[++i]);
      } else if (IsXmlUnit(static_cast<uint16_t>(c)) && !IsHighSurrogate(c) && !IsLowSurrogate(c)) {
        out.push_back(c);
      } else {
        return Fail("a character XML does not allow");
      }
    }
    return true;
  }

  bool Name(std::wstring& name) {
    if (at == text.size() || !IsNameStart(text[at])) {
      return Fail("a tag without a valid name");
    }
    const size_t start = at;
    while (at < text.size() && IsNameChar(text[at])) {
      ++at;
    }
    name = text.substr(start, at - start);
    return true;
  }

  void Spaces() {
    while (at < text.size() && IsXmlSpace(text[at])) {
      ++at;
    }
  }

  bool Reference(std::wstring& out) {
    const size_t semicolon = text.find(L';', at);
    if (semicolon == std::wstring_view::npos || semicolon - at > 12) {
      return Fail("a '&' that starts no reference (write &amp;)");
    }
    const std::wstring_view name = text.substr(at + 1, semicolon - at - 1);
    const std::pair<std::wstring_view, wchar_t> entities[] = {
        {L"lt", L'<'}, {L"gt", L'>'}, {L"amp", L'&'}, {L"quot", L'"'}, {L"apos", L'\''}};
    for (const auto& [entity, c] : entities) {
      if (name == entity) {
        out.push_back(c);
        at = semicolon + 1;
        return true;
      }
    }
    if (name.size() >= 2 && name[0] == L'#') {
      const bool hex = name[1] == L'x';
      uint32_t code = 0;
      const std::wstring_view digits = name.substr(hex ? 2 : 1);
      for (const wchar_t d : digits) {
        const int value = (d >= L'0' && d <= L'9')          ? d - L'0'
                          : hex && (d >= L'a' && d <= L'f') ? d - L'a' + 10
                          : hex && (d >= L'A' && d <= L'F') ? d - L'A' + 10
                                                            : -1;
        if (value < 0) {
          return Fail("a malformed character reference");
        }
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(value);
      }
      if (digits.empty() || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
          (code < 0x10000 && !IsXmlUnit(code))) {
        return Fail("a character reference to a character XML does not allow");
      }
      if (code >= 0x10000) {
        code -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
      } else {
        out.push_back(static_cast<wchar_t>(code));
      }
      at = semicolon + 1;
      return true;
    }
    return Fail("an unknown entity (write &amp; for '&')");
  }

  bool AttributeValue(std::wstring& value) {
    if (at == text.size() || (text[at] != L'"' && text[at] != L'\'')) {
      return Fail("an attribute value without quotes");
    }
    const wchar_t quote = text[at++];
    while (at < text.size() && text[at] != quote) {
      if (text[at] == L'<') {
        return Fail("a '<' in an attribute value");
      }
      if (text[at] == L'&') {
        if (!Reference(value)) {
          return false;
        }
        continue;
      }
      if (!Characters(text.substr(at, 1), value)) {
        return false;
      }
      ++at;
    }
    if (at == text.size()) {
      return Fail("an unclosed attribute value");
    }
    ++at;
    return true;
  }

  bool Element(XmlNode& element, int depth) {
    if (depth > kMaxDepth) {
      return Fail("elements nested too deeply");
    }
    element.element = true;
    element.begin = at++;
    if (!Name(element.name)) {
      return false;
    }
    while (true) {
      const size_t before = at;
      Spaces();
      if (at == text.size()) {
        return Fail("an unclosed tag <" + WideToUtf8(element.name) + ">");
      }
      if (StartsWith(L"/>")) {
        at += 2;
        element.selfClosing = true;
        element.end = at;
        return true;
      }
      if (text[at] == L'>') {
        ++at;
        break;
      }
      if (before == at) {
        return Fail("a malformed tag <" + WideToUtf8(element.name) + ">");
      }
      std::wstring name;
      std::wstring value;
      if (!Name(name)) {
        return false;
      }
      Spaces();
      if (at == text.size() || text[at] != L'=') {
        return Fail("an attribute without a value");
      }
      ++at;
      Spaces();
      if (!AttributeValue(value)) {
        return false;
      }
      if (element.Attribute(name) != nullptr) {
        return Fail("a repeated attribute");
      }
      element.attributes.emplace_back(std::move(name), std::move(value));
    }
    if (!Content(element.children, depth)) {
      return false;
    }
    if (at == text.size()) {
      at = element.begin;
      return Fail("<" + WideToUtf8(element.name) + "> is never closed");
    }
    const size_t close = at;
    at += 2;
    std::wstring name;
    if (!Name(name)) {
      return false;
    }
    Spaces();
    if (name != element.name || at == text.size() || text[at] != L'>') {
      at = close;
      return Fail("</" + WideToUtf8(name) + "> does not close <" + WideToUtf8(element.name) + ">");
    }
    element.end = ++at;
    return true;
  }

  std::wstring_view text;
  size_t at = 0;
  std::optional<XmlProblem> problem;
};

void Write(const XmlNode& node, std::string& out) {
  if (!node.element) {
    out += EscapeXml(node.text, false);
    return;
  }
  const std::string name = WideToUtf8(node.name);
  out += '<';
  out += name;
  for (const auto& [attribute, value] : node.attributes) {
    out += ' ';
    out += WideToUtf8(attribute);
    out += "=\"";
    out += EscapeXml(value, true);
    out += '"';
  }
  if (node.selfClosing) {
    out += " />";
    return;
  }
  out += ">";
  for (const XmlNode& child : node.children) {
    Write(child, out);
  }
  out += "</";
  out += name;
  out += '>';
}

}  // namespace

const std::wstring* XmlNode::Attribute(std::wstring_view attribute) const {
  for (const auto& [key, value] : attributes) {
    if (key == attribute) {
      return &value;
    }
  }
  return nullptr;
}

std::optional<XmlProblem> ParseXmlFragment(std::wstring_view text, std::vector<XmlNode>& nodes) {
  nodes.clear();
  return Parser(text).Run(nodes);
}

std::string EscapeXml(std::wstring_view text, bool attribute) {
  std::string out;
  out.reserve(text.size());
  std::wstring clean;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    // Printable ASCII but for markup, the most of any text, goes over as it is.
    if (c >= 0x20 && c < 0x7F && c != L'&' && c != L'<' && c != L'>' && c != L'"') {
      if (!clean.empty()) {
        out += WideToUtf8(clean);
        clean.clear();
      }
      out.push_back(static_cast<char>(c));
      continue;
    }
    const auto unit = static_cast<uint16_t>(c);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
        static_cast<uint16_t>(text[i + 1]) >= 0xDC00 &&
        static_cast<uint16_t>(text[i + 1]) <= 0xDFFF) {
      clean.push_back(c);
      clean.push_back(text[++i]);
      continue;
    }
    if (!IsXmlUnit(unit) || (unit >= 0xD800 && unit <= 0xDFFF)) {
      clean.push_back(static_cast<wchar_t>(0xFFFD));
      continue;
    }
    switch (c) {
      case L'&':
        clean += L"&amp;";
        break;
      case L'<':
        clean += L"&lt;";
        break;
      case L'>':
        clean += L"&gt;";
        break;
      case L'"':
        clean += attribute ? L"&quot;" : L"\"";
        break;
      case L'\t':
        clean += attribute ? L"&#9;" : L"\t";
        break;
      case L'\n':
        clean += attribute ? L"&#10;" : L"\n";
        break;
      case L'\r':
        clean += L"&#13;";
        break;
      default:
        clean.push_back(c);
    }
  }
  return clean.empty() ? out : out + WideToUtf8(clean);
}

std::string WriteXml(const std::vector<XmlNode>& nodes) {
  std::string out;
  for (const XmlNode& node : nodes) {
    Write(node, out);
  }
  return out;
}

std::wstring InnerText(const XmlNode& node) {
  if (!node.element) {
    return node.text;
  }
  std::wstring text;
  for (const XmlNode& child : node.children) {
    text += InnerText(child);
  }
  return text;
}

bool IsEmptyElement(const XmlNode& node) {
  for (const XmlNode& child : node.children) {
    if (child.element || child.text.find_first_not_of(L" \t\r\n") != std::wstring::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace tarnwick
