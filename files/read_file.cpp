#include "files/read_file.h"

#include "files/system_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

[[noreturn]] void CannotRead(const std::string& reason) {
  throw InputError("cannot read the file: " + reason);
}

std::string SizeText(std::uintmax_t bytes) {
  if (bytes >= (std::uintmax_t{1} << 30) && bytes % (std::uintmax_t{1} << 30) == 0) {
    return std::to_string(bytes >> 30) + " GiB";
  }
  if (bytes >= (std::uintmax_t{1} << 20) && bytes % (std::uintmax_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB";
  }
  return std::to_string(bytes) + " bytes";
}

[[noreturn]] void TooLarge(std::uintmax_t largest) {
  throw InputError("the file is larger than " + SizeText(largest) +
                   ": no module or Office file is");
}

constexpr size_t kBlock = size_t{1} << 16;

#ifdef _WIN32
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
    }
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::string ReadOpened(const std::filesystem::path& path, std::uintmax_t largest) {
  // Backup semantics open a folder too, so that it is named as one.
  const Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    CannotRead(files::WindowsReason(GetLastError()));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info)) {
    CannotRead("it is not a regular file");
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    CannotRead("it is a folder");
  }
  const std::uintmax_t size =
      (static_cast<std::uintmax_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > largest) {
    TooLarge(largest);
  }
  std::string bytes;
  bytes.reserve(static_cast<size_t>(size));
  char buffer[kBlock];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      CannotRead(files::WindowsReason(GetLastError()));
    }
    if (got == 0) {
      return bytes;
    }
    bytes.append(buffer, got);
    if (bytes.size() > largest) {
      TooLarge(largest);  // it grew while we read it
    }
  }
}
#else
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string ReadOpened(const std::filesystem::path& path, std::uintmax_t largest) {
  // Without blocking: opening a FIFO with no writer would wait for one.
  const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    CannotRead(files::ErrnoReason(errno));
  }
  struct stat status {};
  if (fstat(file.get(), &status) != 0) {
    CannotRead(files::ErrnoReason(errno));
  }
  if (S_ISDIR(status.st_mode)) {
    CannotRead("it is a folder");
  }
  if (!S_ISREG(status.st_mode)) {
    CannotRead("it is not a regular file (a device, a pipe or a socket)");
  }
  if (static_cast<std::uintmax_t>(status.st_size) > largest) {
    TooLarge(largest);
  }
  std::string bytes;
  bytes.reserve(static_cast<size_t>(status.st_size));
  char buffer[kBlock];
  for (;;) {
    const ssize_t got = read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      CannotRead(files::ErrnoReason(errno));
    }
    if (got == 0) {
      return bytes;
    }
    bytes.append(buffer, static_cast<size_t>(got));
    if (bytes.size() > largest) {
      TooLarge(largest);  // it grew while we read it
    }
  }
}
#endif

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path, std::uintmax_t largest) {
  return ReadOpened(path, largest);
}

std::vector<std::wstring> ReadModuleFile(const std::string& path) {
  try {
    return DecodeSourceText(ReadFileBytes(path), Encoding::kUtf8).lines;
  } catch (const InputError& error) {
    const std::string line = error.line > 0 ? "line " + std::to_string(error.line) + ": " : "";
    throw InputError("module file '" + path + "': " + line + error.what());
  }
}

}  // namespace tarnwick
