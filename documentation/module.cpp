#include "documentation/module.h"

#include <algorithm>
#include <utility>

#include "text/ascii.h"
#include "text/shown_text.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

ModuleOrigin FileOrigin(std::string path, std::wstring name, std::optional<ModuleKind> kind) {
  ModuleOrigin origin;
  origin.file = std::move(path);
  origin.name = std::move(name);
  origin.kind = kind;
  return origin;
}

DocModule WithOrigin(ModuleOrigin origin) {
  DocModule doc;
  // A file's name may hold anything its file system allows.
  doc.path = ShownText(origin.file) + (origin.InOfficeFile() ? "/" + origin.inFile : "");
  doc.origin = std::move(origin);
  return doc;
}

}  // namespace

bool IsModuleFileName(std::string_view path) {
  return EndsWithIgnoringAsciiCase(path, ".bas") || EndsWithIgnoringAsciiCase(path, ".cls") ||
         EndsWithIgnoringAsciiCase(path, ".frm");
}

ModuleOrigin ModuleFileOrigin(std::string path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  std::optional<ModuleKind> kind;
  if (EndsWithIgnoringAsciiCase(name, ".frm.bas")) {
    name.resize(name.size() - 8);
    kind = ModuleKind::kForm;
  } else if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
    name.resize(dot);
  }
  std::wstring stem = Utf8ToWide(ShownText(name));
  return FileOrigin(std::move(path), std::move(stem), kind);
}

int32_t DocModule::ShownLine(int32_t line) const {
  if (editorLines.empty() || line <= 0) {
    return line;
  }
  return editorLines[std::min(static_cast<size_t>(line), editorLines.size()) - 1];
}

Finding Shown(const DocModule& module, Finding finding) {
  finding.line = module.ShownLine(finding.line);
  return finding;
}

std::string Located(const std::string& path, const Finding& finding) {
  return path + (finding.line > 0 ? ":" + std::to_string(finding.line) : std::string()) + ": " +
         (finding.code.empty() ? std::string() : finding.code + " ") + finding.message;
}

std::string Located(const DocModule& module, const Finding& finding) {
  return Located(module.path, Shown(module, finding));
}

DocModule ModuleFromBytes(ModuleOrigin origin, const std::string& bytes, Encoding fallback) {
  DocModule doc = WithOrigin(std::move(origin));
  doc.source = DecodeSourceText(bytes, fallback);
  return doc;
}

DocModule ModuleFromText(ModuleOrigin origin, std::wstring_view text) {
  DocModule doc = WithOrigin(std::move(origin));
  SourceText& source = doc.source;
  source.encoding = Encoding::kUtf8;
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t lf = text.find(L'\n', begin);
    const size_t end = lf == std::wstring_view::npos ? text.size() : lf;
    const bool cr = end > begin && text[end - 1] == L'\r';
    const std::wstring_view line = text.substr(begin, end - begin - (cr ? 1 : 0));
    source.Append(std::wstring(line), lf == std::wstring_view::npos ? "" : cr ? "\r\n" : "\n");
    begin = end + 1;
  }
  return doc;
}

void RefuseControlCharacters(const DocModule& doc) {
  const std::vector<std::wstring>& lines = doc.source.lines;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const size_t at = FindControlCharacter(lines[i]); at != std::wstring::npos) {
      throw ModuleError(doc.ShownLine(static_cast<int32_t>(i + 1)),
                        ControlCharacterProblem(static_cast<unsigned>(lines[i][at])));
    }
  }
}

void ParseModule(DocModule& doc) {
  try {
    doc.module = ReadModule(doc.source.lines);
  } catch (const ModuleError& error) {
    throw ModuleError(doc.ShownLine(error.line), error.what());
  }
  if (doc.module.name.empty()) {
    doc.module.name = doc.origin.name;
  }
  if (doc.origin.kind) {
    doc.module.kind = *doc.origin.kind;
  }
}

DocModule ReadModuleText(std::wstring_view text, std::string path, std::wstring name,
                         std::optional<ModuleKind> kind) {
  DocModule doc = ModuleFromText(FileOrigin(std::move(path), std::move(name), kind), text);
  ParseModule(doc);
  return doc;
}

DocModule ModuleFromLines(ModuleOrigin origin, std::vector<std::wstring> lines) {
  DocModule doc = WithOrigin(std::move(origin));
  SourceText& source = doc.source;
  source.encoding = Encoding::kUtf8;
  const bool endsWithLf = !lines.empty() && lines.back().empty();
  const size_t count = lines.size() - (endsWithLf ? 1 : 0);
  size_t units = 0;
  for (size_t i = 0; i < count; ++i) {
    units += lines[i].size() + 1;
  }
  source.lines.reserve(count);
  source.spans.reserve(count);
  source.body.reserve(units);  // as UTF-8, enough for ASCII text
  for (size_t i = 0; i < count; ++i) {
    source.Append(std::move(lines[i]), i + 1 < count || endsWithLf ? "\n" : "");
  }
  return doc;
}

DocModule ReadModuleLines(std::vector<std::wstring> lines, std::string path, std::wstring name,
                          std::optional<ModuleKind> kind) {
  DocModule doc =
      ModuleFromLines(FileOrigin(std::move(path), std::move(name), kind), std::move(lines));
  ParseModule(doc);
  return doc;
}

DocModule ReadDocModule(std::string path, const std::string& bytes, Encoding fallback,
                        const std::wstring& stem, std::optional<ModuleKind> kind) {
  DocModule doc = ModuleFromBytes(FileOrigin(std::move(path), stem, kind), bytes, fallback);
  ParseModule(doc);
  return doc;
}

}  // namespace tarnwick
