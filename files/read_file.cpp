#include "files/read_file.h"

#include "files/system_error.h"

#include <algorithm>

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

// The cap on a file's bytes: `largest` until its head has been read, then
// what the head asks for.
class Cap {
 public:
  Cap(std::uintmax_t largest, const std::function<std::uintmax_t(std::string_view)>* largestFor,
      std::uintmax_t size)
      : largest_(largest), largestFor_(largestFor), size_(size) {
    if (size_ > largest_) {
      TooLarge(largest_);
    }
  }
  std::uintmax_t Largest() const { return largest_; }
  bool Decided() const { return largestFor_ == nullptr; }
  // Called with the bytes read so far, and at the end of the file.
  void Check(const std::string& bytes, bool end) {
    if (largestFor_ && (bytes.size() >= kFileHeadBytes || end)) {
      largest_ =
          std::min(largest_, (*largestFor_)(std::string_view(bytes).substr(0, kFileHeadBytes)));
      largestFor_ = nullptr;
      if (size_ > largest_) {
        TooLarge(largest_);
      }
    }
    if (bytes.size() > largest_) {
      TooLarge(largest_);  // it grew while we read it
    }
  }

 private:
  std::uintmax_t largest_;
  const std::function<std::uintmax_t(std::string_view)>* largestFor_;
  std::uintmax_t size_;
};

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

std::string ReadOpened(const std::filesystem::path& path, std::uintmax_t largest,
                       const std::function<std::uintmax_t(std::string_view)>* largestFor) {
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
  Cap cap(largest, largestFor, size);
  std::string bytes;
  bool reserved = false;
  char buffer[kBlock];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      CannotRead(files::WindowsReason(GetLastError()));
    }
    if (got == 0) {
      cap.Check(bytes, true);
      return bytes;
    }
    bytes.append(buffer, got);
    cap.Check(bytes, false);
    if (!reserved && cap.Decided()) {  // once the head has set the cap, room for the whole file
      bytes.reserve(static_cast<size_t>(std::min(size, cap.Largest())));
      reserved = true;
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

std::string ReadOpened(const std::filesystem::path& path, std::uintmax_t largest,
                       const std::function<std::uintmax_t(std::string_view)>* largestFor) {
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
  const auto size = static_cast<std::uintmax_t>(status.st_size);
  Cap cap(largest, largestFor, size);
  std::string bytes;
  bool reserved = false;
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
      cap.Check(bytes, true);
      return bytes;
    }
    bytes.append(buffer, static_cast<size_t>(got));
    cap.Check(bytes, false);
    if (!reserved && cap.Decided()) {  // once the head has set the cap, room for the whole file
      bytes.reserve(static_cast<size_t>(std::min(size, cap.Largest())));
      reserved = true;
    }
  }
}
#endif

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path, std::uintmax_t largest) {
  return ReadOpened(path, largest, nullptr);
}

std::string ReadFileBytes(const std::filesystem::path& path, std::uintmax_t largest,
                          const std::function<std::uintmax_t(std::string_view head)>& largestFor) {
  return ReadOpened(path, largest, &largestFor);
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
