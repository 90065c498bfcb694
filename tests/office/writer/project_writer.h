// VBA projects for fixtures, written from text: the dir stream, the PROJECT
// and PROJECTwm streams and one stream per module (a few bytes standing for
// compiled code, then the compressed source), wrapped as a bare
// vbaProject.bin, an .xls (_VBA_PROJECT_CUR), a .doc (Macros) or an
// Office Open XML package. Names and source are encoded with the project's
// code page: windows-1252 or cp932; for others the text is ASCII or raw bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "office/vba_project.h"
#include "tests/office/writer/compound_file_writer.h"

namespace tarnwick::office::testing {

struct ModuleFixture {
  std::wstring name;
  ModuleKind kind = ModuleKind::kStandard;
  std::wstring source;                 // the text, CR LF line ends
  std::optional<std::string> rawText;  // bytes to compress instead of the encoded source
  std::wstring streamName;             // empty: the name
  uint32_t compiledBytes = 24;         // stand-in for compiled code before the source
  int32_t offsetSkew = 0;              // added to the MODULEOFFSET written, to make it lie
};

struct ProjectFixture {
  std::wstring name = L"VBAProject";
  uint16_t codePage = 1252;
  std::vector<ModuleFixture> modules;
  bool compatVersion = true;       // PROJECTCOMPATVERSION, which older projects lack
  bool unicodeNames = true;        // MODULENAMEUNICODE records
  bool unicodeStreamNames = true;  // MODULESTREAMNAME's Unicode part, which some writers leave out
  bool lockedForViewing = false;
};

// The code page's bytes of a text: 1252 or 932, or ASCII text in any other.
std::string Encoded(const std::wstring& text, uint16_t codePage);

// The module's source as the editor stores it: Attribute lines, then `code`.
std::wstring ModuleSource(const std::wstring& name, ModuleKind kind, const std::wstring& code);

std::string DirStream(const ProjectFixture& project);  // not yet compressed
std::string ProjectStream(const ProjectFixture& project);

// The streams and storages of a project storage (VBA, PROJECT, PROJECTwm, forms').
std::vector<CfbNode> ProjectNodes(const ProjectFixture& project);

enum class Container { kBin, kXls, kDoc, kXlsm, kDocm };
const char* ContainerName(Container container);

std::string OfficeFile(Container container, const ProjectFixture& project,
                       const CfbOptions& options = {});

// An Office Open XML package around a vbaProject.bin: its content type given
// by a Default for .bin or by an Override of its part name.
std::string PackageWith(const std::string& partName, const std::string& vbaProjectBin,
                        bool byOverride);

}  // namespace tarnwick::office::testing
