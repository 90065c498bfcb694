#include "office/project_storage.h"

#include <optional>

#include "office/dir_stream.h"
#include "office/office_error.h"
#include "office/project_stream.h"
#include "office/vba_compression.h"
#include "text/ascii.h"
#include "text/code_page.h"
#include "text/encoding.h"
#include "text/utf.h"

namespace tarnwick::office {

namespace {

[[noreturn]] void Damaged(const std::string& what) {
  throw OfficeError(OfficeFailure::kDamaged, "damaged VBA project: " + what);
}

// Decodes text in the project's code page; a failure names the line it is on.
std::wstring Decoded(std::string_view bytes, uint16_t codePage, const std::string& what) {
  try {
    return DecodeCodePage(bytes, codePage);
  } catch (const EncodingError& whole) {
    size_t line = 1;
    for (size_t at = 0; at <= bytes.size(); ++line) {
      size_t end = bytes.find('\n', at);
      if (end == std::string_view::npos) {
        end = bytes.size();
      }
      try {
        (void)DecodeCodePage(bytes.substr(at, end - at), codePage);
      } catch (const EncodingError& error) {
        Damaged(what + (line > 1 || end < bytes.size() ? ", line " + std::to_string(line) : "") +
                ": " + error.what());
      }
      at = end + 1;
    }
    Damaged(what + ": " + whole.what());
  }
}

uint32_t Required(const CompoundFile& file, uint32_t storage, std::wstring_view name,
                  CompoundFile::Type type, const std::string& what) {
  const std::optional<uint32_t> found = file.Find(storage, name);
  if (!found || file.entry(*found).type != type) {
    Damaged(what + " is missing");
  }
  return *found;
}

ModuleKind KindOf(const DirModule& module, const std::wstring& name,
                  const std::vector<std::pair<std::wstring, ModuleKind>>& lines) {
  if (module.procedural) {
    return ModuleKind::kStandard;
  }
  for (const auto& [lineName, kind] : lines) {
    if (EqualsIgnoringAsciiCase(lineName, name) && kind != ModuleKind::kStandard) {
      return kind;
    }
  }
  return ModuleKind::kClass;  // not named in the PROJECT stream: a class is the safest kind
}

}  // namespace

bool HoldsVbaProject(const CompoundFile& file, uint32_t storage) {
  const std::optional<uint32_t> vba = file.Find(storage, L"VBA");
  const std::optional<uint32_t> project = file.Find(storage, L"PROJECT");
  return vba && project && file.entry(*vba).type == CompoundFile::Type::kStorage &&
         file.entry(*project).type == CompoundFile::Type::kStream;
}

VbaProject ReadProjectStorage(const CompoundFile& file, uint32_t storage) {
  const uint32_t vba =
      Required(file, storage, L"VBA", CompoundFile::Type::kStorage, "the VBA storage");
  const uint32_t dirStream =
      Required(file, vba, L"dir", CompoundFile::Type::kStream, "the dir stream");
  const uint32_t projectStream =
      Required(file, storage, L"PROJECT", CompoundFile::Type::kStream, "the PROJECT stream");
  const std::string dirCompressed = file.Read(dirStream, kMaxProjectStreamSize);
  std::string dirBytes;
  try {
    dirBytes = DecompressVba(dirCompressed, kMaxProjectStreamSize);
  } catch (const OfficeError& error) {
    Damaged(std::string("the dir stream: ") + error.what());
  }
  const DirInfo dir = ParseDirStream(dirBytes);

  VbaProject project;
  project.codePage = dir.codePage;
  project.name = Decoded(dir.name, dir.codePage, "the project's name");

  std::vector<std::pair<std::wstring, ModuleKind>> lines;
  for (const ProjectModuleLine& line :
       ParseProjectStream(file.Read(projectStream, kMaxProjectStreamSize))) {
    try {
      lines.emplace_back(DecodeCodePage(line.name, dir.codePage), line.kind);
    } catch (const EncodingError&) {
      // A line we cannot decode names no module we can match.
    }
  }

  uint64_t total = 0;
  for (const DirModule& entry : dir.modules) {
    VbaModule module;
    const std::wstring codePageName = Decoded(entry.name, dir.codePage, "a module's name");
    module.name = entry.unicodeName.empty() ? codePageName : entry.unicodeName;
    const std::string what = "module " + WideToUtf8(module.name);
    const std::wstring streamName =
        entry.unicodeStreamName.empty()
            ? Decoded(entry.streamName, dir.codePage, what + "'s stream name")
            : entry.unicodeStreamName;
    module.streamName = WideToUtf8(streamName);
    module.kind = KindOf(entry, codePageName, lines);

    const std::optional<uint32_t> stream = file.Find(vba, streamName);
    if (!stream || file.entry(*stream).type != CompoundFile::Type::kStream) {
      Damaged(what + "'s stream '" + module.streamName + "' is missing");
    }
    const std::string bytes = file.Read(*stream, kMaxModuleStreamSize);
    if (entry.textOffset >= bytes.size()) {
      Damaged(what + "'s source offset " + std::to_string(entry.textOffset) +
              " lies past the end of its " + std::to_string(bytes.size()) + "-byte stream");
    }
    std::string text;
    try {
      text = DecompressVba(std::string_view(bytes).substr(entry.textOffset), kMaxModuleSourceSize);
    } catch (const OfficeError& error) {
      Damaged(what + "'s source: " + error.what());
    }
    total += text.size();
    if (total > kMaxProjectSourceSize) {
      Damaged("the modules' source exceeds " + std::to_string(kMaxProjectSourceSize) + " bytes");
    }
    module.source = Decoded(text, dir.codePage, what);
    project.modules.push_back(std::move(module));
  }
  return project;
}

}  // namespace tarnwick::office
