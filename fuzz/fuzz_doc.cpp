// tarnwick-doc's reader, XML file, check and sync on random module files.
// Nothing may escape but the two errors of bad input; the XML file is always
// well-formed; sync changes only ''' lines and descriptions, loses no line of
// code, and a second sync changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/text_helpers.h"
#include "text/ascii.h"
#include "text/utf.h"
#include "documentation/check.h"
#include "documentation/markdown.h"
#include "documentation/sync.h"
#include "documentation/xml_file.h"
#include "documentation/xml_fragment.h"

namespace {

using namespace tarnwick;

constexpr const char* kPieces[] = {
    "''' ",
    "'''",
    "    ''' ",
    "<summary>",
    "</summary>",
    "<param name=\"",
    "\">",
    "</param>",
    "<returns>",
    "</returns>",
    "<returns/>",
    "<remarks>",
    "</remarks>",
    "<c>",
    "</c>",
    "<see cref=\"",
    "\"/>",
    "&amp;",
    "&lt;",
    "&#",
    "<!--",
    "-->",
    "<![CDATA[",
    "]]>",
    "Sub S(",
    "Function F(",
    "Property Get P(",
    "Property Let P(",
    "Event E(",
    "Declare PtrSafe Function D Lib \"k\" (",
    ") As Long",
    ")",
    "a",
    "b As Long",
    ", ",
    "ByVal c&",
    "Optional d = 1",
    "ParamArray e()",
    "x as String",
    " ' (z, y)",
    "End Sub",
    "End Function",
    "End Property",
    "Public ",
    "Private ",
    "Dim v As Long",
    "Const K = 1",
    "Enum E",
    "End Enum",
    "Type T",
    "End Type",
    "    m",
    " _",
    "#If X Then",
    "#Else",
    "#End If",
    "VERSION 1.0 CLASS",
    "BEGIN",
    "END",
    "Attribute VB_Name = \"M\"",
    "Attribute S.VB_Description = \"",
    "Attribute P.VB_Description = \"",
    "\"\"",
    "'@Description(\"",
    "'@ModuleDescription \"",
    "Option Explicit",
    ": End Sub",
    "\"",
    "é",
    "日",
    "\x93\xFA",
    "\xE9",
    "\t",
    " ",
    "<",
};

// A module file: lines of pieces, ended by CR LF or LF, now and then raw bytes.
std::string ModuleBytes(FuzzedDataProvider& input) {
  std::string bytes;
  if (input.ConsumeBool()) {
    bytes = "\xEF\xBB\xBF";
  }
  const int lines = input.ConsumeIntegralInRange(1, 40);
  for (int line = 0; line < lines && input.remaining_bytes() > 0; ++line) {
    const int pieces = input.ConsumeIntegralInRange(0, 8);
    for (int piece = 0; piece < pieces; ++piece) {
      if (input.ConsumeIntegralInRange(0, 15) == 0) {
        bytes += input.ConsumeBytesAsString(input.ConsumeIntegralInRange(1, 4));
      } else {
        bytes += kPieces[input.ConsumeIntegralInRange<size_t>(0, std::size(kPieces) - 1)];
      }
    }
    bytes += input.ConsumeBool() ? "\r\n" : "\n";
  }
  return bytes;
}

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

bool Read(const std::string& bytes, Encoding fallback, DocModule& doc) {
  try {
    doc = ReadDocModule("F.bas", bytes, fallback, L"F");
    return true;
  } catch (const InputError&) {
  } catch (const ModuleError&) {
  }
  return false;
}

// The lines of code: every line that is not a ''' line or a description.
std::vector<std::wstring> CodeLines(const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> code;
  for (const std::wstring& line : lines) {
    const std::wstring lower = ToAsciiLower(line);
    if (FindCommentMarker(line) == std::wstring::npos &&
        lower.find(L"description") == std::wstring::npos) {
      code.push_back(line);
    }
  }
  return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const Encoding fallback = input.ConsumeBool() ? Encoding::kWindows1252 : Encoding::kCp932;
  const std::string bytes = ModuleBytes(input);
  DocModule doc;
  if (!Read(bytes, fallback, doc)) {
    return 0;
  }

  std::vector<std::string> warnings;
  const std::string xml = XmlDocumentation(L"P<&\"'>", {doc}, warnings);
  std::vector<XmlNode> nodes;
  const size_t body = xml.find("<doc>");
  if (body == std::string::npos || ParseXmlFragment(Utf8ToWide(xml.substr(body)), nodes)) {
    Broken("the XML file is not well-formed");
  }
  (void)CheckModule(doc);
  (void)MarkdownSite(L"P", {doc});

  const SyncOptions options{input.ConsumeBool()};
  const SyncResult once = SyncModule(doc, options);
  std::string synced;
  try {
    synced = SyncedBytes(doc.source, once);
  } catch (const EncodingError&) {
    return 0;  // a new line the file's encoding cannot hold is reported, not written
  }
  (void)UnifiedDiff("F.bas", doc.source, once);
  if (!once.changed && synced != bytes) {
    Broken("sync without a change rewrote the file");
  }
  DocModule after;
  if (!Read(synced, fallback, after)) {
    Broken("the file after sync cannot be read");
  }
  if (after.source.encoding != doc.source.encoding) {
    return 0;  // a removed line took the only bytes that were not UTF-8
  }
  if (CodeLines(after.source.lines) != CodeLines(doc.source.lines)) {
    Broken("sync changed or lost a line that is not a ''' line");
  }
  if (SyncedBytes(after.source, SyncModule(after, options)) != synced) {
    Broken("a second sync changed the file");
  }
  return 0;
}
