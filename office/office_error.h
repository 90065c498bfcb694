// The one exception the Office readers throw: what went wrong, and which kind
// of failure it is, so that a caller can print `FILE: error: message` and a
// test can tell the cases apart.
#pragma once

#include <stdexcept>
#include <string>

#include "text/shown_text.h"

namespace tarnwick::office {

enum class OfficeFailure {
  kDamaged,      // the bytes break their format (truncated, looping, lying sizes...)
  kEncrypted,    // a package encrypted with a password to open
  kNoProject,    // a valid file without a VBA project
  kUnsupported,  // a file we recognise but do not read (Access, PowerPoint 97-2003)
};

class OfficeError : public std::runtime_error {
 public:
  // The message names parts, entries and streams by names read from the file:
  // it is made safe to show here, once for every reader.
  OfficeError(OfficeFailure failure, const std::string& what)
      : std::runtime_error(ShownText(what)), failure(failure) {}
  OfficeFailure failure;
};

}  // namespace tarnwick::office
