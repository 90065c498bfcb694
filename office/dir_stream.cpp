#include "office/dir_stream.h"

#include "office/bytes.h"
#include "office/office_error.h"

namespace tarnwick::office {

namespace {

// The records' Ids, [MS-OVBA] 2.3.4.2.
enum : uint16_t {
  kProjectCodePage = 0x0003,
  kProjectName = 0x0004,
  kProjectVersion = 0x0009,
  kProjectModules = 0x000F,
  kDirTerminator = 0x0010,
  kModuleName = 0x0019,
  kModuleStreamName = 0x001A,
  kModuleTypeProcedural = 0x0021,
  kModuleTypeOther = 0x0022,
  kModuleTerminator = 0x002B,
  kModuleOffset = 0x0031,
  kModuleStreamNameUnicode = 0x0032,
  kModuleNameUnicode = 0x0047,
};

[[noreturn]] void Damaged(const std::string& what) {
  throw OfficeError(OfficeFailure::kDamaged, "damaged VBA project: " + what);
}

std::wstring Utf16Le(std::string_view bytes) {
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(Le16(bytes, 2 * i));
  }
  return text;
}

std::string Hex(uint16_t id) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x0000";
  for (int i = 5; i >= 2; --i, id >>= 4) {
    text[i] = kDigits[id & 0xF];
  }
  return text;
}

uint32_t Number(std::string_view data, uint16_t id) {
  if (data.size() == 2) {
    return Le16(data, 0);
  }
  if (data.size() != 4) {
    Damaged("dir record " + Hex(id) + " has " + std::to_string(data.size()) +
            " bytes where a number belongs");
  }
  return Le32(data, 0);
}

[[noreturn]] void TooManyModules() {
  Damaged("the dir stream lists more than " + std::to_string(kMaxModules) +
          " modules, the most a project may hold");
}

}  // namespace

DirInfo ParseDirStream(std::string_view dir) {
  DirInfo info;
  bool haveCodePage = false;
  bool inModule = false;
  bool haveStreamName = false;
  bool haveOffset = false;
  uint32_t declaredModules = 0;
  size_t at = 0;
  while (at < dir.size()) {
    if (!Fits(dir, at, 6)) {
      Damaged("the dir stream ends inside a record header");
    }
    const uint16_t id = Le16(dir, at);
    uint64_t size = Le32(dir, at + 2);
    if (id == kProjectVersion) {
      size = 6;  // its Reserved field says 4; VersionMajor (4) and VersionMinor (2) follow
    }
    if (!Fits(dir, at + 6, size)) {
      Damaged("dir record " + Hex(id) + " runs past the end of the stream");
    }
    const std::string_view data = dir.substr(at + 6, size);
    at += 6 + size;
    if (id == kDirTerminator) {
      break;
    }
    switch (id) {
      case kProjectCodePage:
        info.codePage = static_cast<uint16_t>(Number(data, id));
        haveCodePage = true;
        break;
      case kProjectName:
        info.name = std::string(data);
        break;
      case kProjectModules:
        declaredModules = Number(data, id);
        if (declaredModules > kMaxModules) {
          TooManyModules();
        }
        break;
      case kModuleName:
        if (inModule) {
          Damaged("the record of module " + std::to_string(info.modules.size()) +
                  " has no terminator");
        }
        if (info.modules.size() == kMaxModules) {
          TooManyModules();
        }
        inModule = true;
        haveStreamName = haveOffset = false;
        info.modules.emplace_back();
        info.modules.back().name = std::string(data);
        break;
      default:
        if (!inModule) {
          break;  // a record of the project's information or references
        }
        DirModule& module = info.modules.back();
        switch (id) {
          case kModuleNameUnicode:
            module.unicodeName = Utf16Le(data);
            break;
          case kModuleStreamName:
            module.streamName = std::string(data);
            haveStreamName = true;
            break;
          case kModuleStreamNameUnicode:
            module.unicodeStreamName = Utf16Le(data);
            break;
          case kModuleOffset:
            module.textOffset = Number(data, id);
            haveOffset = true;
            break;
          case kModuleTypeProcedural:
          case kModuleTypeOther:
            module.procedural = id == kModuleTypeProcedural;
            break;
          case kModuleTerminator:
            if (!haveStreamName || !haveOffset) {
              Damaged("the record of module " + std::to_string(info.modules.size()) +
                      " lacks its " + (haveStreamName ? "source offset" : "stream name"));
            }
            inModule = false;
            break;
          default:
            break;
        }
    }
  }
  if (inModule) {
    Damaged("the dir stream ends inside the record of module " +
            std::to_string(info.modules.size()));
  }
  if (!haveCodePage) {
    Damaged("the dir stream has no code page");
  }
  if (declaredModules != info.modules.size()) {
    Damaged("the dir stream declares " + std::to_string(declaredModules) + " modules but holds " +
            std::to_string(info.modules.size()));
  }
  return info;
}

}  // namespace tarnwick::office
