#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "files/safe_write.h"
#include "files/system_error.h"
#include "files/temporary_name.h"
#include "text/source_text.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, DWORD error) {
  throw InputError(what + ": " + files::WindowsReason(error));
}

// The temporary file until it is renamed: closed, and removed if anything
// fails first.
class Temporary {
 public:
  explicit Temporary(fs::path path) : path_(std::move(path)) {}
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    Close();
    if (!path_.empty()) {
      DeleteFileW(path_.c_str());
    }
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  const fs::path& path() const { return path_; }
  // Returns 0 or the error of CloseHandle.
  DWORD Close() {
    const HANDLE open = handle;
    handle = INVALID_HANDLE_VALUE;
    return open != INVALID_HANDLE_VALUE && !CloseHandle(open) ? GetLastError() : 0;
  }
  void Renamed() { path_.clear(); }

 private:
  fs::path path_;
};

// The file a write goes to: a link's target for a link (the link stays).
fs::path WrittenPath(const fs::path& path, bool replace) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) {
    return path;
  }
  if (!replace) {
    Fail("cannot create the file", ERROR_FILE_EXISTS);
  }
  fs::path target = fs::canonical(path, error);
  if (error) {
    throw InputError("cannot write the file through its link: " + error.message());
  }
  return target;
}

}  // namespace

void WriteFileSafely(const fs::path& path, std::string_view bytes, bool replace) {
  const fs::path target = WrittenPath(path, replace);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    if (!replace) {
      Fail("cannot create the file", ERROR_FILE_EXISTS);
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
      throw InputError("cannot replace it: it is not a regular file");
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      throw InputError("the file is read-only; it was left as it was");
    }
  }

  // A name of its own, created here and now: never a file that stood there.
  std::unique_ptr<Temporary> temporary;
  for (int attempt = 0;; ++attempt) {
    temporary = std::make_unique<Temporary>(files::TemporaryBeside(target));
    temporary->handle = CreateFileW(temporary->path().c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (temporary->handle != INVALID_HANDLE_VALUE) {
      break;
    }
    const DWORD error = GetLastError();
    temporary->Renamed();  // not ours: nothing to remove
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 16) {
      Fail("cannot write the file", error);
    }
  }
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(temporary->handle, bytes.data(), chunk, &written, nullptr)) {
      Fail("cannot write the file", GetLastError());
    }
    bytes.remove_prefix(written);
  }
  if (!FlushFileBuffers(temporary->handle)) {
    Fail("cannot write the file", GetLastError());
  }
  if (const DWORD error = temporary->Close(); error != 0) {
    Fail("cannot write the file", error);
  }
  if (exists) {
    // ReplaceFileW keeps the replaced file's attributes and security.
    if (!ReplaceFileW(target.c_str(), temporary->path().c_str(), nullptr,
                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) &&
        !MoveFileExW(temporary->path().c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      Fail("cannot replace the file", GetLastError());
    }
  } else {
    // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file, even
    // one that appeared a moment ago.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(temporary->path().c_str(), target.c_str(), flags)) {
      Fail(replace ? "cannot replace the file" : "cannot create the file", GetLastError());
    }
  }
  temporary->Renamed();
}

}  // namespace tarnwick
