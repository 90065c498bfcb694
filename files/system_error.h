// The system's own reason for a failure, as one line of UTF-8.
#pragma once

#include <string>

namespace tarnwick::files {

// strerror's text for an errno value.
std::string ErrnoReason(int error);

#ifdef _WIN32
// FormatMessageW's text for a GetLastError() value, without its final period.
std::string WindowsReason(unsigned long error);
#endif

}  // namespace tarnwick::files
