#include "tools/doc/doc_paths.h"

#include "files/safe_write.h"
#include "text/utf.h"

namespace tarnwick {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
#ifdef _WIN32
  return fs::path(Utf8ToWide(utf8));
#else
  return fs::path(utf8);
#endif
}

std::string Shown(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

void WriteAtomically(const fs::path& path, const std::string& bytes, bool replace) {
  WriteFileSafely(path, bytes, replace);
}

}  // namespace tarnwick
