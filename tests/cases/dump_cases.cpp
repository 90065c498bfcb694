// tarnwick_dump_cases: the keystroke tables as JSON on standard output, an
// array of {"name", "before", "keys", "after"}, for runners outside C++ (the
// editor extension's end-to-end test reads it).
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "tests/cases/keystroke_cases.h"

namespace {

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped, every other byte as it is.
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

int main() {
  std::cout << "[";
  const char* separator = "\n";
  for (const tarnwick::KeystrokeCase& keystrokeCase : tarnwick::KeystrokeCases()) {
    std::cout << separator << "  {\"name\": " << JsonString(keystrokeCase.name)
              << ", \"before\": " << JsonString(keystrokeCase.before)
              << ", \"keys\": " << JsonString(keystrokeCase.keys)
              << ", \"after\": " << JsonString(keystrokeCase.after) << "}";
    separator = ",\n";
  }
  std::cout << "\n]\n";
  return std::cout.good() ? 0 : 1;
}
