// The decompressed `dir` stream of a VBA project ([MS-OVBA] 2.3.4.2): its
// records are an Id and a size before their data, so records we do not need
// are skipped by their size. Optional records (PROJECTCOMPATVERSION,
// MODULENAMEUNICODE, MODULEREADONLY...) may be present or not, and
// PROJECTVERSION's size field, which says 4 before six bytes, is read as the
// editor writes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::office {

// The most modules a project may list. The editor's own documented limit is
// about 400 modules a project, and real projects hold tens; a thousand leaves
// room for any of them while a dir stream of a few hundred kilobytes can no
// longer make us read hundreds of thousands of modules.
inline constexpr size_t kMaxModules = 1000;

struct DirModule {
  std::string name;                // MODULENAME, in the project's code page
  std::wstring unicodeName;        // MODULENAMEUNICODE, when present
  std::string streamName;          // MODULESTREAMNAME, in the project's code page
  std::wstring unicodeStreamName;  // its Unicode form, when present
  uint32_t textOffset = 0;         // MODULEOFFSET: where the source starts in the stream
  bool procedural = true;          // MODULETYPE 0x0021; false for 0x0022
};

struct DirInfo {
  uint16_t codePage = 0;
  std::string name;  // PROJECTNAME, in the code page
  std::vector<DirModule> modules;
};

// Throws OfficeError(kDamaged) with a message starting "damaged VBA project: "
// for a record that runs past the end, a missing code page, a module without
// its stream name or offset, a module count that disagrees with the records,
// or more than kMaxModules modules.
DirInfo ParseDirStream(std::string_view dir);

}  // namespace tarnwick::office
