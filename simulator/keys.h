// The keystroke notation shared by the replay tool and the editor hosts.
//   x            any other character is typed (UTF-8 input; a character outside
//                the BMP is typed as its two UTF-16 units)
//   {Enter}      Enter: key-down, then the character 13
//   {Tab}        Tab: key-down, then the character 9
//   {Caret L:C}  a click that puts the caret at line L, column C
//   {Select L1:C1-L2:C2}  a selection from L1:C1 to L2:C2
//   {Ime TEXT}   an input-method composition that commits TEXT
//   {{ and }}    literal braces (also inside {Ime ...})
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "vba/module.h"

namespace tarnwick {

struct Keystroke {
  enum class Kind { kCharacter, kEnter, kTab, kCaret, kSelect, kIme };
  Kind kind = Kind::kCharacter;
  std::wstring text;     // kCharacter: its UTF-16 unit(s); kIme: the committed text
  Selection selection;   // kCaret, kSelect
  std::string notation;  // as written, for reports
};

// Thrown for notation that cannot be read; the message names what is wrong.
class KeysError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::vector<Keystroke> ParseKeys(std::string_view notation);

}  // namespace tarnwick
