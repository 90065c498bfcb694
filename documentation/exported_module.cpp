#include "documentation/exported_module.h"

#include <array>
#include <string_view>

#include "engine/declaration_parser.h"
#include "text/ascii.h"
#include "text/device_names.h"
#include "text/shown_text.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

constexpr std::wstring_view kClassHeader =
    L"VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n";
constexpr size_t kClassHeaderLines = 4;

// The attributes of a form's header that tie it to its designer or make it a
// class; a standard module takes none of them.
constexpr std::array<std::wstring_view, 7> kFormAttributes = {
    L"VB_Base",    L"VB_GlobalNameSpace", L"VB_Creatable",    L"VB_PredeclaredId",
    L"VB_Exposed", L"VB_TemplateDerived", L"VB_Customizable",
};
// Those that the editor keeps for a class module but leaves out of its export.
constexpr std::array<std::wstring_view, 3> kUnexportedClassAttributes = {
    L"VB_Base",
    L"VB_TemplateDerived",
    L"VB_Customizable",
};

constexpr size_t kMaxNameLength = 31;  // the editor's limit for a module's name

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// The first word of a line, and the one after it up to '=' or a blank.
std::wstring_view Word(std::wstring_view line, size_t& at) {
  while (at < line.size() && IsBlank(line[at])) {
    ++at;
  }
  const size_t start = at;
  while (at < line.size() && !IsBlank(line[at]) && line[at] != L'=') {
    ++at;
  }
  return line.substr(start, at - start);
}

// The source less the header's Attribute lines that name one of `dropped`.
template <size_t N>
std::wstring WithoutAttributes(std::wstring_view source,
                               const std::array<std::wstring_view, N>& dropped) {
  std::wstring code;
  code.reserve(source.size());
  bool header = true;
  size_t begin = 0;
  while (begin < source.size()) {
    size_t end = source.find(L'\n', begin);
    end = end == std::wstring_view::npos ? source.size() : end + 1;
    const std::wstring_view line = source.substr(begin, end - begin);
    begin = end;
    header = header && IsAttributeStatement(line);
    if (header) {
      size_t at = 0;
      Word(line, at);
      const std::wstring_view name = Word(line, at);
      bool drop = false;
      for (const std::wstring_view attribute : dropped) {
        drop = drop || EqualsIgnoringAsciiCase(name, attribute);
      }
      if (drop) {
        continue;
      }
    }
    code += line;
  }
  return code;
}

bool IsAsciiLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// A letter beyond ASCII as the editor takes it in names (Módulo1, 表1): any
// character from U+00C0 on but ×, ÷, the spaces, punctuation, symbols and
// format characters of U+2000-U+2BFF and U+3000-U+303F, surrogates, variation
// selectors, the byte-order mark and the specials.
bool IsOtherLetter(wchar_t c) {
  const auto u = static_cast<uint32_t>(c);
  return u >= 0xC0 && u != 0xD7 && u != 0xF7 && !(u >= 0x2000 && u <= 0x2BFF) &&
         !(u >= 0x3000 && u <= 0x303F) && !(u >= 0xD800 && u <= 0xDFFF) &&
         !(u >= 0xFE00 && u <= 0xFE0F) && u != 0xFEFF && !(u >= 0xFFF0 && u <= 0xFFFF);
}

// A module of an Office file as its export writes it.
struct ExportedModule {
  std::wstring name;
  office::ModuleKind kind = office::ModuleKind::kStandard;
  // How messages name it: the name with its export's extension, "Module1.bas",
  // "Sheet1.cls", "UserForm1.frm".
  std::string shownName;
  // The file `export` writes: the same, but "UserForm1.frm.bas" for a form,
  // whose layout lives in the designer storage that no export of code holds.
  std::string fileName;
  // CR LF lines: class and document modules under the VERSION 1.0 CLASS
  // header (a class module without the attributes its export leaves out); a
  // form's code without the attributes only its designer gives meaning to, so
  // that an import makes it a standard module and nothing else.
  std::wstring text;
  size_t headerLines = 0;  // the lines of that header
};

ExportedModule ExportOf(const office::VbaModule& module) {
  ExportedModule exported;
  exported.name = module.name;
  exported.kind = module.kind;
  const std::string name = WideToUtf8(module.name);
  switch (module.kind) {
    case office::ModuleKind::kStandard:
      exported.shownName = exported.fileName = name + ".bas";
      exported.text = module.source;
      break;
    case office::ModuleKind::kClass:
    case office::ModuleKind::kDocument:
      exported.shownName = exported.fileName = name + ".cls";
      exported.text.reserve(kClassHeader.size() + module.source.size());
      exported.text = kClassHeader;
      exported.text += module.kind == office::ModuleKind::kClass
                           ? WithoutAttributes(module.source, kUnexportedClassAttributes)
                           : module.source;
      exported.headerLines = kClassHeaderLines;
      break;
    case office::ModuleKind::kForm:
      exported.shownName = name + ".frm";
      exported.fileName = name + ".frm.bas";
      exported.text = WithoutAttributes(module.source, kFormAttributes);
      break;
  }
  // Messages go to terminals: a hostile name is shown safely.
  exported.shownName = ShownText(exported.shownName);
  return exported;
}

// The kind a module of the project has for the documentation: a document's
// module is a class module.
ModuleKind KindOf(office::ModuleKind kind) {
  switch (kind) {
    case office::ModuleKind::kClass:
    case office::ModuleKind::kDocument:
      return ModuleKind::kClass;
    case office::ModuleKind::kForm:
      return ModuleKind::kForm;
    case office::ModuleKind::kStandard:
      break;
  }
  return ModuleKind::kStandard;
}

}  // namespace

std::string ModuleNameProblem(const std::wstring& name) {
  const std::string shown = "\"" + ShownText(name) + "\"";
  if (name.empty()) {
    return "a module has no name";
  }
  bool identifier =
      (IsAsciiLetter(name[0]) || IsOtherLetter(name[0])) && name.size() <= kMaxNameLength;
  for (const wchar_t c : name) {
    identifier = identifier &&
                 (IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'_' || IsOtherLetter(c));
  }
  if (!identifier) {
    return "the module name " + shown + " is no VBA identifier";
  }
  if (IsWindowsDeviceName(name)) {
    return "the module name " + shown + " is a device name of Windows";
  }
  return std::string();
}

std::vector<int32_t> EditorLines(const std::vector<std::wstring>& lines, size_t headerLines) {
  std::vector<int32_t> shown(lines.size(), 1);
  int32_t visible = 0;
  bool continued = false;  // the line goes on a statement of the line before
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool hidden = i < headerLines || (!continued && IsAttributeStatement(lines[i]));
    continued = i >= headerLines && IsContinuedLine(lines[i]);
    if (!hidden) {
      ++visible;
    }
    shown[i] = visible == 0 ? 1 : visible;
  }
  return shown;
}

DocModule ModuleFromProject(const std::string& officePath, const office::VbaModule& module,
                            uint32_t codePage) {
  ExportedModule exported = ExportOf(module);
  ModuleOrigin origin;
  origin.file = officePath;
  origin.inFile = std::move(exported.shownName);
  origin.name = module.name;
  origin.kind = KindOf(module.kind);
  origin.codePage = codePage;
  origin.exportName = std::move(exported.fileName);
  DocModule doc = ModuleFromText(std::move(origin), exported.text);
  doc.editorLines = EditorLines(doc.source.lines, exported.headerLines);
  return doc;
}

std::wstring ExportText(const DocModule& module) {
  const SourceText& source = module.source;
  std::wstring text;
  for (size_t i = 0; i < source.lines.size(); ++i) {
    text += source.lines[i];
    text += source.ends[i] == "\r\n" ? L"\r\n" : source.ends[i] == "\n" ? L"\n" : L"";
  }
  return text;
}

}  // namespace tarnwick
