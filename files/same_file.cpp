#include "files/same_file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarnwick {

#ifdef _WIN32
namespace {

// The volume and the file's ID, through a handle that only reads attributes
// (a file open elsewhere, or a folder, still answers).
bool IdentityOf(const std::filesystem::path& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  BY_HANDLE_FILE_INFORMATION x{};
  BY_HANDLE_FILE_INFORMATION y{};
  return IdentityOf(a, x) && IdentityOf(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}
#else
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;  // st_dev and st_ino
}
#endif

}  // namespace tarnwick
