#include "files/system_error.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "text/utf.h"
#endif

namespace tarnwick::files {

std::string ErrnoReason(int error) {
#ifdef _WIN32
  char text[256] = {};
  strerror_s(text, sizeof text, error);
  return text;
#else
  char buffer[256] = {};
  // The GNU strerror_r returns its text, which need not be the buffer.
  return strerror_r(error, buffer, sizeof buffer);
#endif
}

#ifdef _WIN32
std::string WindowsReason(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring reason = length > 0 ? std::wstring(text, length) : std::wstring();
  LocalFree(text);
  while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' ||
                             reason.back() == L' ' || reason.back() == L'.')) {
    reason.pop_back();
  }
  if (reason.empty()) {
    return "system error " + std::to_string(error);
  }
  return WideToUtf8(reason);
}
#endif

}  // namespace tarnwick::files
