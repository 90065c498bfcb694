#include "simulator/keys.h"

#include <cstdint>
#include <limits>

#include "text/utf.h"

namespace tarnwick {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw KeysError("keys: " + what);
}

// Reads a positive decimal number at `at`, advancing past it.
int32_t ReadNumber(std::string_view body, size_t& at, std::string_view whole) {
  const size_t start = at;
  int64_t value = 0;
  while (at < body.size() && body[at] >= '0' && body[at] <= '9') {
    value = value * 10 + (body[at] - '0');
    if (value > std::numeric_limits<int32_t>::max()) {
      Fail("number too large in {" + std::string(whole) + "}");
    }
    ++at;
  }
  if (at == start || value == 0) {
    Fail("expected a line or column number from 1 in {" + std::string(whole) + "}");
  }
  return static_cast<int32_t>(value);
}

void Expect(std::string_view body, size_t& at, char c, std::string_view whole) {
  if (at >= body.size() || body[at] != c) {
    Fail(std::string("expected '") + c + "' in {" + std::string(whole) + "}");
  }
  ++at;
}

// L:C at `at`.
void ReadPosition(std::string_view body, size_t& at, int32_t& line, int32_t& column,
                  std::string_view whole) {
  line = ReadNumber(body, at, whole);
  Expect(body, at, ':', whole);
  column = ReadNumber(body, at, whole);
}

Keystroke ReadCommand(std::string_view body, std::string notation) {
  Keystroke key;
  key.notation = std::move(notation);
  if (body == "Enter") {
    key.kind = Keystroke::Kind::kEnter;
  } else if (body == "Tab") {
    key.kind = Keystroke::Kind::kTab;
  } else if (body.starts_with("Caret ")) {
    key.kind = Keystroke::Kind::kCaret;
    size_t at = 6;
    ReadPosition(body, at, key.selection.startLine, key.selection.startColumn, body);
    if (at != body.size()) {
      Fail("unexpected text after the position in {" + std::string(body) + "}");
    }
    key.selection.endLine = key.selection.startLine;
    key.selection.endColumn = key.selection.startColumn;
  } else if (body.starts_with("Select ")) {
    key.kind = Keystroke::Kind::kSelect;
    size_t at = 7;
    ReadPosition(body, at, key.selection.startLine, key.selection.startColumn, body);
    Expect(body, at, '-', body);
    ReadPosition(body, at, key.selection.endLine, key.selection.endColumn, body);
    if (at != body.size()) {
      Fail("unexpected text after the selection in {" + std::string(body) + "}");
    }
  } else if (body.starts_with("Ime ")) {
    key.kind = Keystroke::Kind::kIme;
    try {
      key.text = Utf8ToWide(body.substr(4));
    } catch (const Utf8Error& error) {
      Fail(std::string("{Ime ...}: ") + error.what());
    }
    if (key.text.empty()) {
      Fail("{Ime} needs the text the composition commits");
    }
    if (key.text.find_first_of(L"\r\n") != std::wstring::npos) {
      Fail("a composition cannot commit a line break");
    }
  } else {
    Fail("unknown key {" + std::string(body) +
         "}; expected {Enter}, {Tab}, {Caret L:C}, "
         "{Select L1:C1-L2:C2} or {Ime TEXT}");
  }
  return key;
}

// Length of the UTF-8 sequence that starts with `lead`.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) {
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    return 2;
  }
  if ((lead & 0xF0) == 0xE0) {
    return 3;
  }
  if ((lead & 0xF8) == 0xF0) {
    return 4;
  }
  return 1;  // invalid; the decoder reports it
}

}  // namespace

std::vector<Keystroke> ParseKeys(std::string_view notation) {
  std::vector<Keystroke> keys;
  size_t i = 0;
  while (i < notation.size()) {
    const char c = notation[i];
    if (c == '{' && i + 1 < notation.size() && notation[i + 1] == '{') {
      keys.push_back({Keystroke::Kind::kCharacter, L"{", {}, "{{"});
      i += 2;
    } else if (c == '}') {
      if (i + 1 >= notation.size() || notation[i + 1] != '}') {
        Fail("unmatched '}' at offset " + std::to_string(i) + " (write }} for a brace)");
      }
      keys.push_back({Keystroke::Kind::kCharacter, L"}", {}, "}}"});
      i += 2;
    } else if (c == '{') {
      // The body runs to the first single '}'; "{{" and "}}" inside stand for braces.
      std::string body;
      size_t j = i + 1;
      for (;; ++j) {
        if (j >= notation.size()) {
          Fail("unterminated '{' at offset " + std::to_string(i));
        }
        if ((notation[j] == '}' || notation[j] == '{') && j + 1 < notation.size() &&
            notation[j + 1] == notation[j]) {
          body += notation[j++];
          continue;
        }
        if (notation[j] == '}') {
          break;
        }
        if (notation[j] == '{') {
          Fail("unexpected '{' inside {...} at offset " + std::to_string(j));
        }
        body += notation[j];
      }
      keys.push_back(ReadCommand(body, std::string(notation.substr(i, j + 1 - i))));
      i = j + 1;
    } else {
      const size_t length =
          std::min(SequenceLength(static_cast<unsigned char>(c)), notation.size() - i);
      const std::string_view character = notation.substr(i, length);
      std::wstring units;
      try {
        units = Utf8ToWide(character);
      } catch (const Utf8Error&) {
        Fail("invalid UTF-8 at offset " + std::to_string(i));
      }
      if (units[0] < 0x20 || units[0] == 0x7F) {
        Fail("control character " + std::to_string(static_cast<int>(units[0])) + " at offset " +
             std::to_string(i) + "; use {Enter} or {Tab}");
      }
      keys.push_back({Keystroke::Kind::kCharacter, units, {}, std::string(character)});
      i += length;
    }
  }
  return keys;
}

}  // namespace tarnwick
