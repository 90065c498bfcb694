// UTF-16 text given by its code units, for the tables of the text tests.
#pragma once

#include <initializer_list>
#include <string>

namespace tarnwick::test {

inline std::wstring Units(std::initializer_list<int> units) {
  std::wstring text;
  for (const int unit : units) {
    text.push_back(static_cast<wchar_t>(unit));
  }
  return text;
}

}  // namespace tarnwick::test
