// A module as the documentation library works on it: one record that carries
// where the module came from, its text line by line, what its text declares,
// and how messages number its lines. Every reader below makes one from text
// held in memory; nothing here opens a file.
//
// Reading is two steps, so that a caller that only needs the text (export)
// never parses it: ModuleFromBytes or ModuleFromText splits the text into
// lines, once, and ParseModule reads its declarations and blocks.
// ReadModuleText and ReadDocModule do both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/encoding.h"
#include "text/source_text.h"
#include "vba/module_reader.h"

namespace tarnwick {

// Where a module was read from.
struct ModuleOrigin {
  // The file that was read: the module file, or the Office file that holds the
  // module, with '/' between folders, as the file was named: UTF-8, or where
  // the file system's name is not, its bytes.
  std::string file;
  // Inside an Office file, how messages name the module: its name with the
  // extension its export has ("Calc.bas", "Sheet1.cls", "Entry.frm"). Empty for
  // a module file.
  std::string inFile;
  // The module's name when its text names none (no Attribute VB_Name): the
  // file's stem, or its name in the Office file's project.
  std::wstring name;
  // The kind the module's container gives it: a module of an Office file, or a
  // form's code exported as "Name.frm.bas". It holds over what the text's
  // header says; nullopt leaves the kind to the header.
  std::optional<ModuleKind> kind;
  // For a module of an Office file: the project's code page, in which its
  // export is written, and the name of the file its export writes
  // ("Entry.frm.bas" for a form's code).
  uint32_t codePage = 0;
  std::string exportName;

  bool InOfficeFile() const { return !inFile.empty(); }
};

struct DocModule {
  ModuleOrigin origin;
  // As messages name it: the file, or "OFFICE/Calc.bas"; shown as a name
  // from a file is (text/shown_text.h), so valid UTF-8 whatever the file's name.
  std::string path;
  SourceText source;
  // What the text declares, once ParseModule has read it. Its name is
  // Attribute VB_Name, or else the origin's name; its kind the origin's kind
  // when there is one.
  ModuleSource module;
  // How messages number the lines of `source`: empty when lines are shown as
  // they stand (a module file); for a module read out of an Office file, the
  // line the editor shows for each one (EditorLines in exported_module.h).
  std::vector<int32_t> editorLines;

  // The line (1-based) that messages show for a line of `source`; 0 stays 0.
  // The one place where a line of the text becomes the line a user is shown.
  int32_t ShownLine(int32_t line) const;
};

// A message about one line of a module: "PATH:LINE: CODE message" when
// printed. `code` names the rule of a check's finding, and is empty elsewhere.
// `line` is a line of the module's source until Shown() maps it.
struct Finding {
  int32_t line = 0;
  std::string code;
  std::string message;
};

// The finding with its line as messages show it (DocModule::ShownLine).
Finding Shown(const DocModule& module, Finding finding);

// "PATH:LINE: CODE message" (the line left out when it is 0, the code when empty).
std::string Located(const std::string& path, const Finding& finding);
// The same about a line of the module, its line shown as the user sees it.
std::string Located(const DocModule& module, const Finding& finding);

// The module's text from a file's bytes: a byte-order mark decides the
// encoding, else valid UTF-8 is UTF-8, else `fallback`. Not parsed yet.
// Throws InputError (with the line) for bytes that cannot be decoded.
DocModule ModuleFromBytes(ModuleOrigin origin, const std::string& bytes, Encoding fallback);

// The module's text from decoded text held in memory (an editor's buffer),
// split at LF (a CR before it goes with the line end). Kept lines are written
// back as UTF-8. Not parsed yet.
DocModule ModuleFromText(ModuleOrigin origin, std::wstring_view text);

// Refuses text decoded elsewhere than from a module file's bytes (a module
// of an Office file) as a module file's is refused: for a control character
// other than tab, which no module holds. Throws ModuleError with the line as
// messages show it.
void RefuseControlCharacters(const DocModule& module);

// Reads the declarations, blocks and descriptions of the module's text into
// `module.module`. Throws ModuleError (a header that does not end) with the
// line as messages show it.
void ParseModule(DocModule& module);

// ModuleFromText and ParseModule: a module held in memory, ready for every
// function of the library. `path` is how messages name it; `name` the module's
// name when its text has no Attribute VB_Name. Throws ModuleError.
DocModule ReadModuleText(std::wstring_view text, std::string path, std::wstring name,
                         std::optional<ModuleKind> kind = std::nullopt);

// The module's text from lines held in memory (an editor's buffer held line
// by line), each without its end: the same module as ModuleFromText gives for
// the lines joined with LF, so that an empty last line is the end of the line
// before it, not a line of its own. Not parsed yet.
DocModule ModuleFromLines(ModuleOrigin origin, std::vector<std::wstring> lines);

// ModuleFromLines and ParseModule: the same as ReadModuleText for text held
// line by line. Throws ModuleError.
DocModule ReadModuleLines(std::vector<std::wstring> lines, std::string path, std::wstring name,
                          std::optional<ModuleKind> kind = std::nullopt);

// True for a module file's name: .bas, .cls or .frm, in any case.
bool IsModuleFileName(std::string_view path);

// Where a module file's module comes from, by its path (UTF-8, or the file
// system's bytes) alone: its name is the file's stem, shown safely, and
// "Name.frm.bas", a form's code as export writes it, is the form Name.
ModuleOrigin ModuleFileOrigin(std::string path);

// ModuleFromBytes and ParseModule for a module file's bytes, named `path` in
// messages, with `stem` as its name when its text names none. Throws
// InputError or ModuleError.
DocModule ReadDocModule(std::string path, const std::string& bytes, Encoding fallback,
                        const std::wstring& stem, std::optional<ModuleKind> kind = std::nullopt);

}  // namespace tarnwick
