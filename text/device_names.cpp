#include "text/device_names.h"

#include "text/ascii.h"

namespace tarnwick {

namespace {

bool IsPortNumber(wchar_t c) {
  // Windows reserves the superscript digits one to three as well.
  return (c >= L'0' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3';
}

}  // namespace

bool IsWindowsDeviceName(std::wstring_view fileName) {
  std::wstring_view stem = fileName.substr(0, fileName.find_first_of(L".:"));
  while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'\t')) {
    stem.remove_suffix(1);
  }
  for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
    if (EqualsIgnoringAsciiCase(stem, device)) {
      return true;
    }
  }
  return stem.size() == 4 &&
         (EqualsIgnoringAsciiCase(stem.substr(0, 3), L"COM") ||
          EqualsIgnoringAsciiCase(stem.substr(0, 3), L"LPT")) &&
         IsPortNumber(stem[3]);
}

}  // namespace tarnwick
