// The VBA project of an Office file, read straight from its bytes: an Office
// Open XML package (.xlsm .xlsb .xlam .docm .dotm .pptm .ppam .vsdm...), whose
// project is the part of type application/vnd.ms-office.vbaProject; a
// compound file of Office 97-2003 (.xls .xla .doc .dot), whose project is the
// storage _VBA_PROJECT_CUR (Excel) or Macros (Word); or a bare vbaProject.bin.
// The kind of file is found from its content, never from its name.
//
// Failure contract: ReadVbaProject either returns the whole project or throws
// OfficeError (office_error.h), whose message is one line fit to follow
// "FILE: error: " and whose `failure` says which case it is:
//   kEncrypted    a package encrypted with a password to open; it must be saved
//                 without that password to be read
//   kNoProject    a package or compound file without a VBA project (.xlsx, or
//                 an .xlsm saved without macros)
//   kUnsupported  an Access database, a PowerPoint 97-2003 file, or bytes of
//                 no Office format
//   kDamaged      anything broken: truncated zips, bad local headers, sector
//                 chains that loop or leave the file, directory trees that loop,
//                 sizes that lie, offsets past a stream's end, bad compressed
//                 data, text the project's code page cannot decode
// Every reader is bounded (sizes capped, chains, entries and chunks counted),
// so no input makes it hang or exhaust memory. A project locked for viewing
// is read like any other: only its PROJECT stream's protection lines differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "office/office_error.h"

namespace tarnwick::office {

// Office files larger than this are refused (kUnsupported) before parsing.
inline constexpr uint64_t kMaxOfficeFileSize = 1ull << 30;

enum class ModuleKind {
  kStandard,  // a procedural module (.bas)
  kClass,     // a class module (.cls)
  kDocument,  // a document's module: ThisWorkbook, Sheet1, ThisDocument (.cls)
  kForm,      // a user form's code (.frm)
};

const char* ModuleKindName(ModuleKind kind);  // "standard", "class", "document", "form"

struct VbaModule {
  std::wstring name;       // MODULENAMEUNICODE where present, else MODULENAME decoded
  std::string streamName;  // the module's stream in the VBA storage, as UTF-8
  ModuleKind kind = ModuleKind::kStandard;
  // The source as the editor keeps it and exports it: its Attribute lines
  // first, CR LF line ends, decoded with the project's code page.
  std::wstring source;
};

struct VbaProject {
  std::wstring name;
  uint16_t codePage = 0;
  std::vector<VbaModule> modules;  // in the order of the dir stream
};

// Whether the bytes are of a kind ReadVbaProject knows (a zip, a compound file,
// an Access database), so that a caller can tell them from module text without
// looking at a file's name.
bool LooksLikeOfficeFile(std::string_view bytes);

// True for a file name with an extension of Office's (.xlsm .xls .docm .pptm
// .vsdm .xlsx... and .bin, the bare project), ASCII case ignored.
bool NamedLikeOfficeFile(std::string_view fileName);

// Throws OfficeError(kUnsupported) "not an Office file: ..." for a file named
// like an Office file whose bytes are of no Office format (an empty file among
// them), which must not be read as a module's text.
void RefuseMisnamedOfficeFile(std::string_view fileName, std::string_view bytes);

// Reads the project out of a whole file's bytes.
VbaProject ReadVbaProject(std::string fileBytes);

}  // namespace tarnwick::office
