// tarnwick_dump_cases: the keystroke tables as JSON on standard output, an
// array of {"name", "before", "keys", "after"}, for runners outside C++ (the
// editor extension's end-to-end test reads it).
#include <iostream>

#include <nlohmann/json.hpp>

#include "tests/cases/keystroke_cases.h"

int main() {
  nlohmann::json cases = nlohmann::json::array();
  for (const tarnwick::KeystrokeCase& keystrokeCase : tarnwick::KeystrokeCases()) {
    cases.push_back({{"name", keystrokeCase.name},
                     {"before", keystrokeCase.before},
                     {"keys", keystrokeCase.keys},
                     {"after", keystrokeCase.after}});
  }
  std::cout << cases.dump(1) << "\n";
  return std::cout.good() ? 0 : 1;
}
