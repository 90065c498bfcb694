#include "tools/package/type_library_facts.h"

#include <cctype>
#include <cwctype>
#include <stdexcept>

#include "text/ascii.h"
#include "text/encoding.h"

namespace tarnwick {
namespace {

// The IDL's tokens as far as attributes and definitions go: punctuation,
// words (names, numbers, uuids) and quoted strings. Comments and preprocessor
// lines are skipped.
struct Token {
  enum Kind { kPunctuation, kWord, kString, kEnd } kind = kEnd;
  std::string text;
};

class Tokenizer {
 public:
  explicit Tokenizer(const std::string& text) : text_(text) {}

  Token Next() {
    SkipSpaceAndComments();
    if (at_ >= text_.size()) {
      return {};
    }
    const char c = text_[at_];
    if (c == '"') {
      const size_t close = text_.find('"', at_ + 1);
      if (close == std::string::npos) {
        throw std::runtime_error("an unterminated string in the IDL");
      }
      Token token{Token::kString, text_.substr(at_ + 1, close - at_ - 1)};
      at_ = close + 1;
      return token;
    }
    if (IsWordCharacter(c)) {
      const size_t start = at_;
      while (at_ < text_.size() && IsWordCharacter(text_[at_])) {
        ++at_;
      }
      return {Token::kWord, text_.substr(start, at_ - start)};
    }
    ++at_;
    return {Token::kPunctuation, std::string(1, c)};
  }

 private:
  // Uuids (with hyphens) and versions (with a period) read as one word.
  static bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
  }

  void SkipSpaceAndComments() {
    while (at_ < text_.size()) {
      if (std::isspace(static_cast<unsigned char>(text_[at_]))) {
        ++at_;
      } else if (text_.compare(at_, 2, "//") == 0 || text_[at_] == '#') {
        at_ = text_.find('\n', at_);
      } else if (text_.compare(at_, 2, "/*") == 0) {
        at_ = text_.find("*/", at_ + 2);
        if (at_ != std::string::npos) {
          at_ += 2;
        }
      } else {
        return;
      }
    }
  }

  const std::string& text_;
  size_t at_ = 0;
};

struct Attribute {
  std::string name;
  std::vector<Token> arguments;
};

std::wstring RegistryGuid(const std::string& uuid) {
  if (uuid.size() != 36) {
    throw std::runtime_error("a malformed uuid in the IDL: " + uuid);
  }
  std::wstring guid = L"{";
  for (const char c : uuid) {
    guid += static_cast<wchar_t>(static_cast<unsigned char>(AsciiUpper(c)));
  }
  return guid + L"}";
}

const Attribute* Find(const std::vector<Attribute>& attributes, const std::string& name) {
  for (const Attribute& attribute : attributes) {
    if (attribute.name == name) {
      return &attribute;
    }
  }
  return nullptr;
}

std::string OnlyArgument(const Attribute& attribute) {
  if (attribute.arguments.size() != 1) {
    throw std::runtime_error("the IDL attribute " + attribute.name + " takes one argument");
  }
  return attribute.arguments[0].text;
}

std::uint32_t Number(const std::string& text) {
  size_t used = 0;
  const unsigned long value = std::stoul(text, &used, 0);
  if (used != text.size()) {
    throw std::runtime_error("a malformed number in the IDL: " + text);
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

TypeLibraryFacts ReadTypeLibraryFacts(const std::string& idlText) {
  TypeLibraryFacts facts;
  bool haveLibrary = false;
  Tokenizer tokens(idlText);
  std::vector<Attribute> attributes;
  for (Token token = tokens.Next(); token.kind != Token::kEnd; token = tokens.Next()) {
    if (token.kind == Token::kPunctuation && token.text == "[") {
      // An attribute list: name or name(arguments), separated by commas.
      attributes.clear();
      for (token = tokens.Next(); token.kind != Token::kEnd && token.text != "]";
           token = tokens.Next()) {
        if (token.kind == Token::kWord) {
          attributes.push_back({token.text, {}});
        } else if (token.text == "(" && !attributes.empty()) {
          for (token = tokens.Next(); token.kind != Token::kEnd && token.text != ")";
               token = tokens.Next()) {
            if (token.text != ",") {
              attributes.back().arguments.push_back(token);
            }
          }
        }
      }
      continue;
    }
    if (token.kind != Token::kWord) {
      attributes.clear();
      continue;
    }
    const std::string keyword = token.text;
    if (keyword != "library" && keyword != "interface") {
      attributes.clear();
      continue;
    }
    const Token name = tokens.Next();
    const Token after = tokens.Next();
    const Attribute* uuid = Find(attributes, "uuid");
    // "interface IConnect;" inside a coclass names an interface; only a
    // definition (a body or a base follows) counts.
    const bool definition = after.text == "{" || after.text == ":";
    if (keyword == "library" && !haveLibrary && uuid != nullptr) {
      haveLibrary = true;
      facts.libid = RegistryGuid(OnlyArgument(*uuid));
      if (const Attribute* version = Find(attributes, "version")) {
        const std::string text = OnlyArgument(*version);
        const size_t period = text.find('.');
        facts.majorVersion = static_cast<std::uint16_t>(Number(text.substr(0, period)));
        if (period != std::string::npos) {
          facts.minorVersion = static_cast<std::uint16_t>(Number(text.substr(period + 1)));
        }
      }
      if (const Attribute* lcid = Find(attributes, "lcid")) {
        facts.lcid = Number(OnlyArgument(*lcid));
      }
      if (const Attribute* help = Find(attributes, "helpstring")) {
        facts.helpString = Decode(OnlyArgument(*help), Encoding::kUtf8);
      }
      facts.flags = (Find(attributes, "restricted") ? 1u : 0u) |
                    (Find(attributes, "control") ? 2u : 0u) |
                    (Find(attributes, "hidden") ? 4u : 0u);
    } else if (keyword == "interface" && definition && uuid != nullptr &&
               (Find(attributes, "dual") || Find(attributes, "oleautomation"))) {
      facts.interfaces.push_back(
          {RegistryGuid(OnlyArgument(*uuid)), Decode(name.text, Encoding::kUtf8)});
    }
    attributes.clear();
  }
  if (!haveLibrary) {
    throw std::runtime_error("the IDL defines no library with a uuid");
  }
  return facts;
}

}  // namespace tarnwick
