// The Office readers on random files: the whole project reader, then each
// reader alone on the same bytes (zip, compound file, the compression, the dir
// and PROJECT streams, the content types). Nothing may escape but OfficeError,
// and what is read stays within the readers' caps.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "office/compound_file.h"
#include "office/content_types.h"
#include "office/dir_stream.h"
#include "office/project_stream.h"
#include "office/vba_compression.h"
#include "office/vba_project.h"
#include "office/zip_reader.h"

namespace {

using namespace tarnwick::office;

constexpr uint64_t kCap = 1 << 20;

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void Project(const std::string& bytes) {
  try {
    (void)ReadVbaProject(bytes);
  } catch (const OfficeError&) {
  }
}

void Zip(const std::string& bytes) {
  try {
    const ZipArchive zip(bytes);
    for (const ZipEntry& entry : zip.entries()) {
      try {
        if (zip.Read(entry, kCap).size() != entry.size) {
          Broken("a zip entry read to another size than its own");
        }
      } catch (const OfficeError&) {
      }
    }
  } catch (const OfficeError&) {
  }
}

void Compound(const std::string& bytes) {
  try {
    const CompoundFile file(bytes);
    // Every entry reached from the root, each stream read under the cap.
    std::vector<uint32_t> pending{file.root()};
    size_t visited = 0;
    while (!pending.empty()) {
      const uint32_t id = pending.back();
      pending.pop_back();
      if (++visited > bytes.size() / 128 + 1) {
        Broken("the directory walk reached more entries than the file holds");
      }
      for (const uint32_t child : file.entry(id).children) {
        if (file.entry(child).type == CompoundFile::Type::kStream) {
          try {
            if (file.Read(child, kCap).size() != file.entry(child).size) {
              Broken("a stream read to another size than its own");
            }
          } catch (const OfficeError&) {
          }
        } else {
          pending.push_back(child);
        }
      }
    }
  } catch (const OfficeError&) {
  }
}

void Streams(const std::string& bytes) {
  try {
    if (DecompressVba(bytes, kCap).size() > kCap) {
      Broken("decompressed past the cap");
    }
  } catch (const OfficeError&) {
  }
  try {
    (void)ParseDirStream(bytes);
  } catch (const OfficeError&) {
  }
  (void)ParseProjectStream(bytes);
  (void)ContentTypes(bytes).TypeOf("xl/vbaProject.bin");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Project(bytes);
  Zip(bytes);
  Compound(bytes);
  Streams(bytes);
  return 0;
}
