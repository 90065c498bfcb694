#include "lsp/uri.h"

#include "text/ascii.h"

namespace tarnwick::lsp {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  c = AsciiUpper(c);
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

bool IsDriveAt(std::string_view path, size_t at) {
  return path.size() >= at + 2 && path[at + 1] == ':' &&
         ((path[at] >= 'a' && path[at] <= 'z') || (path[at] >= 'A' && path[at] <= 'Z'));
}

}  // namespace

std::optional<std::string> PathFromUri(std::string_view uri) {
  if (uri.size() < 5 || !EqualsIgnoringAsciiCase(uri.substr(0, 5), "file:")) {
    return std::nullopt;
  }
  std::string_view rest = uri.substr(5);
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost") {
      return std::nullopt;  // a file on another machine
    }
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
        HexValue(rest[i + 2]) >= 0) {
      const char decoded = static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
      if (decoded == '\0') {
        return std::nullopt;
      }
      path += decoded;
      i += 2;
    } else if (rest[i] == '?' || rest[i] == '#') {
      break;
    } else {
      path += rest[i];
    }
  }
  // "/C:/src" is the Windows path "C:/src".
  if (!path.empty() && path[0] == '/' && IsDriveAt(path, 1)) {
    path.erase(0, 1);
    path[0] = AsciiUpper(path[0]);
  }
  if (path.empty()) {
    return std::nullopt;
  }
  return path;
}

std::string UriFromPath(std::string_view path) {
  std::string uri = "file://";
  if (IsDriveAt(path, 0)) {
    uri += '/';
  }
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i] == '\\' ? '/' : path[i]);
    if (IsUnreserved(c) || (c == ':' && i == 1 && IsDriveAt(path, 0))) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

}  // namespace tarnwick::lsp
