#include "tools/doc/doc_paths.h"

#include <cstdio>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "text/source_text.h"
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
  fs::path temporary = path;
  temporary += ".tarnwick-doc.tmp";
  std::error_code ignored;
  fs::remove(temporary, ignored);  // a link left there is not written through
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    if (!file) {
      fs::remove(temporary, ignored);
      throw InputError("cannot write the file");
    }
  }
#ifdef _WIN32
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  const bool renamed = MoveFileExW(temporary.c_str(), path.c_str(), flags) != 0;
#else
  // link() refuses a name that exists, which a check before rename() could miss.
  const bool renamed = replace ? std::rename(temporary.c_str(), path.c_str()) == 0
                               : link(temporary.c_str(), path.c_str()) == 0;
  if (!replace && renamed) {
    fs::remove(temporary, ignored);
  }
#endif
  if (!renamed) {
    fs::remove(temporary, ignored);
    throw InputError(replace ? "cannot replace the file" : "cannot create the file");
  }
}

}  // namespace tarnwick
