#include "text/code_page.h"

#include "text/cp932.h"
#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <vector>
#endif

namespace tarnwick {

namespace {

constexpr uint32_t kUtf16Le = 1200;
constexpr uint32_t kUtf8 = 65001;

#ifdef _WIN32

std::wstring SystemDecode(std::string_view bytes, uint32_t codePage) {
  if (!IsValidCodePage(codePage)) {
    throw EncodingError("the system cannot convert " + CodePageName(codePage));
  }
  const int size = static_cast<int>(bytes.size());
  DWORD flags = MB_ERR_INVALID_CHARS;
  int units = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (units == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;  // the code pages that refuse the flag (50220 and kin)
    units = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  }
  if (units <= 0) {
    throw EncodingError("the text holds bytes that are no characters in " + CodePageName(codePage));
  }
  std::wstring text(units, L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), units);
  return text;
}

std::string SystemEncode(std::wstring_view text, uint32_t codePage) {
  if (!IsValidCodePage(codePage)) {
    throw EncodingError("the system cannot convert " + CodePageName(codePage));
  }
  const int size = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL* defaulted = &usedDefault;
  int count =
      WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, defaulted);
  if (count == 0 && GetLastError() == ERROR_INVALID_PARAMETER) {
    flags = 0;  // the code pages that take neither the flag nor the default's report
    defaulted = nullptr;
    count = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
  }
  if (count <= 0 || usedDefault) {
    throw EncodingError("the text holds characters that " + CodePageName(codePage) +
                        " has no bytes for");
  }
  std::string bytes(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), count, nullptr, nullptr);
  return bytes;
}

#else

// glibc's names: CP1251 and kin for most; a few code pages go by other names.
std::vector<std::string> IconvNames(uint32_t codePage) {
  const std::string number = std::to_string(codePage);
  if (codePage >= 28591 && codePage <= 28599) {
    return {"ISO-8859-" + std::to_string(codePage - 28590)};
  }
  switch (codePage) {
    case 10000:
      return {"MACINTOSH"};
    case 20127:
      return {"ASCII"};
    case 20866:
      return {"KOI8-R"};
    case 21866:
      return {"KOI8-U"};
    case 20932:
    case 51932:
      return {"EUC-JP"};
    case 51949:
      return {"EUC-KR"};
    case 28603:
      return {"ISO-8859-13"};
    case 28605:
      return {"ISO-8859-15"};
    case 54936:
      return {"GB18030"};
    case 950:
      return {"CP950", "BIG5"};
    default:
      return {"CP" + number, "WINDOWS-" + number};
  }
}

class Converter {
 public:
  // From the code page to UTF-16LE, or with `encode` the other way.
  explicit Converter(uint32_t codePage, bool encode = false) {
    for (const std::string& name : IconvNames(codePage)) {
      handle_ =
          encode ? iconv_open(name.c_str(), "UTF-16LE") : iconv_open("UTF-16LE", name.c_str());
      if (handle_ != reinterpret_cast<iconv_t>(-1)) {
        return;
      }
    }
    throw EncodingError("the system cannot convert " + CodePageName(codePage));
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_ = reinterpret_cast<iconv_t>(-1);
};

std::wstring SystemDecode(std::string_view bytes, uint32_t codePage) {
  const Converter converter(codePage);
  std::string utf16(4 * bytes.size() + 8, '\0');
  char* input = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* output = utf16.data();
  size_t outLeft = utf16.size();
  if (iconv(converter.get(), &input, &inLeft, &output, &outLeft) == static_cast<size_t>(-1)) {
    const size_t column = bytes.size() - inLeft + 1;
    const std::string what = errno == EINVAL ? "an incomplete character" : "no character";
    throw EncodingError("the byte at column " + std::to_string(column) + " starts " + what +
                        " in " + CodePageName(codePage));
  }
  utf16.resize(utf16.size() - outLeft);
  std::wstring text(utf16.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                   static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
  }
  return text;
}

std::string SystemEncode(std::wstring_view text, uint32_t codePage) {
  const Converter converter(codePage, true);
  std::string utf16(2 * text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    utf16[2 * i] = static_cast<char>(static_cast<uint16_t>(text[i]) & 0xFF);
    utf16[2 * i + 1] = static_cast<char>(static_cast<uint16_t>(text[i]) >> 8);
  }
  std::string bytes(4 * text.size() + 8, '\0');
  char* input = utf16.data();
  size_t inLeft = utf16.size();
  char* output = bytes.data();
  size_t outLeft = bytes.size();
  if (iconv(converter.get(), &input, &inLeft, &output, &outLeft) == static_cast<size_t>(-1) ||
      iconv(converter.get(), nullptr, nullptr, &output, &outLeft) == static_cast<size_t>(-1)) {
    const size_t column = (utf16.size() - inLeft) / 2 + 1;
    throw EncodingError("the character at column " + std::to_string(column) + " has no bytes in " +
                        CodePageName(codePage));
  }
  bytes.resize(bytes.size() - outLeft);
  return bytes;
}

#endif

}  // namespace

std::string CodePageName(uint32_t codePage) {
  switch (codePage) {
    case 1252:
      return EncodingName(Encoding::kWindows1252);
    case 932:
      return EncodingName(Encoding::kCp932);
    case kUtf8:
      return EncodingName(Encoding::kUtf8);
    case kUtf16Le:
      return EncodingName(Encoding::kUtf16Le);
    default:
      return "code page " + std::to_string(codePage);
  }
}

std::wstring DecodeCodePage(std::string_view bytes, uint32_t codePage) {
  switch (codePage) {
    case 1252:
      return Decode(bytes, Encoding::kWindows1252);
    case 932:
      return DecodeCp932(bytes);
    case kUtf8:
      return Decode(bytes, Encoding::kUtf8);
    case kUtf16Le:
      return Decode(bytes, Encoding::kUtf16Le);
    default:
      break;
  }
  if (bytes.empty()) {
    return std::wstring();
  }
  return SystemDecode(bytes, codePage);
}

std::string EncodeCodePage(std::wstring_view text, uint32_t codePage) {
  switch (codePage) {
    case 1252:
      return Encode(text, Encoding::kWindows1252);
    case 932:
      return Encode(text, Encoding::kCp932);
    case kUtf8:
      return Encode(text, Encoding::kUtf8);
    case kUtf16Le:
      return Encode(text, Encoding::kUtf16Le);
    default:
      break;
  }
  if (text.empty()) {
    return std::string();
  }
  return SystemEncode(text, codePage);
}

}  // namespace tarnwick
