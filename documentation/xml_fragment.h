// The XML inside a ''' block: a small parser for fragments (elements, text,
// character and entity references, comments, CDATA) and the writer that turns
// any text into well-formed XML.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick {

struct XmlNode {
  bool element = false;  // otherwise text
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
  std::wstring text;  // a text node's text, references resolved
  std::vector<XmlNode> children;
  bool selfClosing = false;
  size_t begin = 0;  // offsets in the parsed text: the first '<' and one past the last '>'
  size_t end = 0;

  const std::wstring* Attribute(std::wstring_view attribute) const;
};

struct XmlProblem {
  size_t offset = 0;  // where the fragment stops being well-formed
  std::string message;
};

// Parses `text` as the content of an element. Returns the problem that makes
// it not well-formed, if any; `nodes` is complete only when there is none.
std::optional<XmlProblem> ParseXmlFragment(std::wstring_view text, std::vector<XmlNode>& nodes);

// UTF-8 with & < > (and " in attributes) escaped. A character that XML cannot
// hold (a control character, a lone surrogate, U+FFFE, U+FFFF) becomes U+FFFD,
// and in attributes a tab, CR or LF becomes its character reference.
std::string EscapeXml(std::wstring_view text, bool attribute);
std::string WriteXml(const std::vector<XmlNode>& nodes);

// The text of a node and everything in it.
std::wstring InnerText(const XmlNode& node);
// No element inside, and nothing but blanks and line ends in the text.
bool IsEmptyElement(const XmlNode& node);

}  // namespace tarnwick
