#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "files/rename_no_replace.h"
#include "files/safe_write.h"
#include "files/system_error.h"
#include "files/temporary_name.h"
#include "text/source_text.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, int error) {
  throw InputError(what + ": " + files::ErrnoReason(error));
}

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  int get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  // Returns 0 or the errno of close().
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && close(fd) != 0 ? errno : 0;
  }

 private:
  int fd_;
};

// The temporary file until it is renamed: removed if anything fails first.
class Temporary {
 public:
  Temporary(int folder, std::string name) : folder_(folder), name_(std::move(name)) {}
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    if (!name_.empty()) {
      unlinkat(folder_, name_.c_str(), 0);
    }
  }
  const char* name() const { return name_.c_str(); }
  void Renamed() { name_.clear(); }

 private:
  int folder_;
  std::string name_;
};

// The file a write goes to: a link's target for a link (the link stays).
fs::path WrittenPath(const fs::path& path, bool replace) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
    return path;
  }
  if (!replace) {
    Fail("cannot create the file", EEXIST);
  }
  std::error_code error;
  fs::path target = fs::canonical(path, error);
  if (error) {
    Fail("cannot write the file through its link", error.value());
  }
  return target;
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written < 0) {
      Fail("cannot write the file", errno);
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

}  // namespace

namespace files {

int RenameWithoutReplacing(int folder, const char* from, const char* to, NoReplaceMethod method) {
  if (method == NoReplaceMethod::kBest) {
#ifdef RENAME_NOREPLACE
    if (renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) {
      return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
      return errno;
    }
#endif
    method = NoReplaceMethod::kLink;
  }
  if (method == NoReplaceMethod::kLink) {
    if (linkat(folder, from, folder, to, 0) == 0) {
      unlinkat(folder, from, 0);
      return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) {
      return errno;  // EEXIST among them
    }
  }
  // FAT, exFAT and some network shares have neither.
  struct stat status {};
  if (fstatat(folder, to, &status, AT_SYMLINK_NOFOLLOW) == 0) {
    return EEXIST;
  }
  if (errno != ENOENT) {
    return errno;
  }
  return renameat(folder, from, folder, to) == 0 ? 0 : errno;
}

}  // namespace files

void WriteFileSafely(const fs::path& path, std::string_view bytes, bool replace) {
  const fs::path target = WrittenPath(path, replace);
  const fs::path folderPath = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string name = target.filename().native();
  const Descriptor folder(open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) {
    Fail("cannot write into the folder", errno);
  }

  struct stat existing {};
  const bool exists = fstatat(folder.get(), name.c_str(), &existing, 0) == 0;
  if (exists) {
    if (!replace) {
      Fail("cannot create the file", EEXIST);
    }
    if (!S_ISREG(existing.st_mode)) {
      throw InputError("cannot replace it: it is not a regular file");
    }
    if ((existing.st_mode & 0222) == 0) {
      throw InputError("the file is read-only; it was left as it was");
    }
    if (faccessat(folder.get(), name.c_str(), W_OK, 0) != 0) {
      Fail("cannot replace the file", errno);
    }
  }

  // A name of its own, created here and now: never a file or link that stood there.
  Descriptor file;
  std::string temporaryName;
  for (int attempt = 0; file.get() < 0; ++attempt) {
    temporaryName = files::TemporaryBeside(target).filename().native();
    const int mode = exists ? (existing.st_mode & 07777) : 0666;
    file.Reset(openat(folder.get(), temporaryName.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (file.get() < 0 && (errno != EEXIST || attempt == 16)) {
      Fail("cannot write the file", errno);
    }
  }
  Temporary temporary(folder.get(), temporaryName);
  WriteAll(file.get(), bytes);
  if (exists) {
    // The owner where we may (as root), then the mode, which the umask narrowed
    // when the file was created and a change of owner may clear.
    (void)fchown(file.get(), existing.st_uid, existing.st_gid);
    if (fchmod(file.get(), existing.st_mode & 07777) != 0) {
      Fail("cannot keep the file's permissions", errno);
    }
  }
  if (fsync(file.get()) != 0) {
    Fail("cannot write the file", errno);
  }
  if (const int error = file.Close(); error != 0) {
    Fail("cannot write the file", error);
  }
  if (replace) {
    if (renameat(folder.get(), temporary.name(), folder.get(), name.c_str()) != 0) {
      Fail("cannot replace the file", errno);
    }
  } else if (const int error =
                 files::RenameWithoutReplacing(folder.get(), temporary.name(), name.c_str());
             error != 0) {
    Fail("cannot create the file", error);
  }
  temporary.Renamed();
  (void)fsync(folder.get());  // the rename itself; some file systems cannot flush a folder
}

}  // namespace tarnwick
