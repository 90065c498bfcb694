// Inputs crafted to cost a reader much for their size: each is built here from
// a few lines, read, and held to its expected line and to a bound on the
// memory it may take (counted here, allocation by allocation) and its time
// (generous: machines differ several times in speed; the bounds are there to
// catch costs that grow with the square of a count, or a copy per line).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>

#include "office/dir_stream.h"
#include "office/vba_project.h"
#include "tests/office/writer/hostile_projects.h"
#include "tests/office/writer/zip_writer.h"
#include "text/source_text.h"

namespace {

// Every allocation of the program carries its size just before it, so that the
// bytes alive, and the most alive at once, are known.
std::atomic<size_t> alive{0};
std::atomic<size_t> peak{0};
constexpr size_t kHeader = 16;

void* Allocate(size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  *reinterpret_cast<size_t*>(block) = size;
  const size_t now = alive += size;
  for (size_t high = peak; now > high && !peak.compare_exchange_weak(high, now);) {
  }
  return block + kHeader;
}

void Free(void* pointer) noexcept {
  if (pointer != nullptr) {
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
    alive -= *reinterpret_cast<size_t*>(block);
    std::free(block);
  }
}

}  // namespace

void* operator new(size_t size) {
  return Allocate(size);
}
void* operator new[](size_t size) {
  return Allocate(size);
}
void operator delete(void* pointer) noexcept {
  Free(pointer);
}
void operator delete[](void* pointer) noexcept {
  Free(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
  Free(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
  Free(pointer);
}

namespace tarnwick {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

struct HostileInput {
  const char* name;
  std::function<std::string()> build;     // the input's bytes
  std::function<void(std::string)> read;  // reads them, throwing what it refuses
  const char* expected;                   // a part of the message; "" when read
  size_t mostBytes;                       // allocated at once while reading
  double mostSeconds;
};

void ReadOffice(std::string bytes) {
  (void)office::ReadVbaProject(std::move(bytes));
}
void ReadText(std::string bytes) {
  (void)DecodeSourceText(std::move(bytes), Encoding::kWindows1252);
}

TEST(HostileInputs, EachIsRefusedOrReadWithinItsBounds) {
  const HostileInput inputs[] = {
      {"modules naming one stream, each read once",
       [] { return office::testing::ModulesSharingOneStream(400, 4 * kMiB); }, ReadOffice,
       "module M1's stream 'Shared' is also the stream of module M0", 24 * kMiB, 10},
      {"more modules than a project holds",
       [] { return office::testing::ManyModulesAndStreams(office::kMaxModules + 1, 0); },
       ReadOffice, "lists more than 1000 modules", 16 * kMiB, 10},
      {"a thousand modules among 50,000 streams",
       [] { return office::testing::ManyModulesAndStreams(1000, 50000); }, ReadOffice, "",
       64 * kMiB, 20},
      {"modules that are runs of line ends",
       [] { return office::testing::LineEndRunModules(4, 2 * kMiB); }, ReadOffice,
       "module M0 has more than 131070 lines", 48 * kMiB, 10},
      {"a text of 32 MiB of line ends", [] { return std::string(kLargestModuleText, '\n'); },
       ReadText, "more than 131070 lines", 1 * kMiB, 10},
      {"a text one byte over the largest", [] { return std::string(kLargestModuleText + 1, 'x'); },
       ReadText, "larger than 32 MiB", 1 * kMiB, 10},
      {"a text of NUL bytes", [] { return std::string(16 * kMiB, '\0'); }, ReadText,
       "control character U+0000", 1 * kMiB, 10},
      {"a text of empty lines at the most lines",
       [] { return std::string(kMostTextLines - 1, '\n') + "x"; }, ReadText, "", 24 * kMiB, 10},
      {"an Office file's name on no Office file", [] { return std::string(); },
       [](std::string bytes) { office::RefuseMisnamedOfficeFile("book.xlsm", bytes); },
       "not an Office file: it is empty", 1 * kMiB, 1},
      {"a part named to forge a line on a terminal",
       [] {
         return office::testing::WriteZip(
             {{"[Content_Types].xml",
               "<Types><Default Extension=\"bin\" "
               "ContentType=\"application/vnd.ms-office.vbaProject\"/></Types>"},
              {"xl/a\n\x1b[2JFAKE: error: \xE2\x80\xAE.bin", "junk"}});
       },
       ReadOffice, "the part xl/a??[2JFAKE: error: ?.bin is no compound file", 1 * kMiB, 1},
  };
  for (const HostileInput& input : inputs) {
    SCOPED_TRACE(input.name);
    std::string bytes = input.build();
    const size_t before = alive;
    peak = before;
    std::string message;
    const auto start = std::chrono::steady_clock::now();
    try {
      input.read(std::move(bytes));
    } catch (const std::exception& error) {
      message = error.what();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (*input.expected == '\0') {
      EXPECT_EQ(message, "");
    } else {
      EXPECT_NE(message.find(input.expected), std::string::npos) << message;
    }
    // Whatever the input named, its message is safe on a terminal.
    for (const char c : message) {
      EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) << message;
    }
    EXPECT_LE(peak - before, input.mostBytes);
    EXPECT_LE(took.count(), input.mostSeconds);
  }
}

}  // namespace
}  // namespace tarnwick
