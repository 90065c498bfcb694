#include "tests/office/writer/project_writer.h"

#include <stdexcept>

using namespace std::string_literals;

#include "text/cp932.h"
#include "text/encoding.h"
#include "tests/office/writer/vba_compressor.h"
#include "tests/office/writer/zip_writer.h"
#include "tests/office/writer/little_endian.h"

namespace tarnwick::office::testing {

namespace {

void Record(std::string& out, uint16_t id, const std::string& data) {
  Append16(out, id);
  Append32(out, static_cast<uint32_t>(data.size()));
  out += data;
}

std::string Number32(uint32_t value) {
  std::string data;
  Append32(data, value);
  return data;
}

std::string Number16(uint32_t value) {
  std::string data;
  Append16(data, value);
  return data;
}

std::string Utf16(const std::wstring& text) {
  std::string data;
  for (const wchar_t c : text) {
    Append16(data, static_cast<uint16_t>(c));
  }
  return data;
}

std::wstring StreamName(const ModuleFixture& module) {
  return module.streamName.empty() ? module.name : module.streamName;
}

std::string ModuleStream(const ModuleFixture& module, uint16_t codePage) {
  std::string stream(module.compiledBytes, '\xCC');
  stream += CompressVba(module.rawText ? *module.rawText : Encoded(module.source, codePage));
  return stream;
}

const char* const kReferenceStdole =
    "*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\Windows\\System32\\stdole2.tlb#OLE "
    "Automation";
const char* const kReferenceForms =
    "*\\G{0D452EE1-E08F-101A-852E-02608C4D0BB4}#2.0#0#C:\\Windows\\System32\\FM20.DLL#Microsoft "
    "Forms 2.0 Object Library";

}  // namespace

std::string Encoded(const std::wstring& text, uint16_t codePage) {
  if (codePage == 1252) {
    return Encode(text, Encoding::kWindows1252);
  }
  if (codePage == 932) {
    return EncodeCp932(text);
  }
  // ASCII is the same in every other code page the fixtures use.
  std::string bytes;
  for (const wchar_t c : text) {
    if (c >= 0x80) {
      throw std::invalid_argument("fixtures write other code pages than 1252 and 932 in ASCII");
    }
    bytes.push_back(static_cast<char>(c));
  }
  return bytes;
}

std::wstring ModuleSource(const std::wstring& name, ModuleKind kind, const std::wstring& code) {
  std::wstring text = L"Attribute VB_Name = \"" + name + L"\"\r\n";
  switch (kind) {
    case ModuleKind::kStandard:
      break;
    case ModuleKind::kDocument:
      text +=
          L"Attribute VB_Base = \"0{00020819-0000-0000-C000-000000000046}\"\r\n"
          L"Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = False\r\n"
          L"Attribute VB_PredeclaredId = True\r\nAttribute VB_Exposed = True\r\n"
          L"Attribute VB_TemplateDerived = False\r\nAttribute VB_Customizable = True\r\n";
      break;
    case ModuleKind::kClass:
      text +=
          L"Attribute VB_Base = \"0{FCFB3D2A-A0FA-1068-A738-08002B3371B5}\"\r\n"
          L"Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = False\r\n"
          L"Attribute VB_PredeclaredId = False\r\nAttribute VB_Exposed = False\r\n"
          L"Attribute VB_TemplateDerived = False\r\nAttribute VB_Customizable = False\r\n";
      break;
    case ModuleKind::kForm:
      text +=
          L"Attribute VB_Base = \"0{C62A69F0-16DC-11CE-9E98-00AA00574A4F}{7A1B3C2D-0000-0000-"
          L"0000-000000000000}\"\r\n"
          L"Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = False\r\n"
          L"Attribute VB_PredeclaredId = True\r\nAttribute VB_Exposed = False\r\n"
          L"Attribute VB_TemplateDerived = False\r\nAttribute VB_Customizable = False\r\n";
      break;
  }
  return text + code;
}

std::string DirStream(const ProjectFixture& project) {
  const uint16_t cp = project.codePage;
  std::string dir;
  Record(dir, 0x0001, Number32(1));  // PROJECTSYSKIND: 32-bit Windows
  if (project.compatVersion) {
    Record(dir, 0x004A, Number32(2));  // PROJECTCOMPATVERSION
  }
  Record(dir, 0x0002, Number32(0x0409));  // PROJECTLCID
  Record(dir, 0x0014, Number32(0x0409));  // PROJECTLCIDINVOKE
  Record(dir, 0x0003, Number16(cp));      // PROJECTCODEPAGE
  Record(dir, 0x0004, Encoded(project.name, cp));
  Record(dir, 0x0005, "");  // PROJECTDOCSTRING
  Record(dir, 0x0040, "");
  Record(dir, 0x0006, "");  // PROJECTHELPFILEPATH
  Record(dir, 0x003D, "");
  Record(dir, 0x0007, Number32(0));  // PROJECTHELPCONTEXT
  Record(dir, 0x0008, Number32(0));  // PROJECTLIBFLAGS
  // PROJECTVERSION: its Reserved field says 4, then six bytes follow.
  Append16(dir, 0x0009);
  Append32(dir, 4);
  Append32(dir, 0x5A3D2B1C);
  Append16(dir, 0x0011);
  Record(dir, 0x000C, "");  // PROJECTCONSTANTS
  Record(dir, 0x003C, "");

  // References: one registered (stdole), one control with its extended part.
  Record(dir, 0x0016, "stdole");
  Record(dir, 0x003E, Utf16(L"stdole"));
  std::string registered;
  Append32(registered, static_cast<uint32_t>(std::string(kReferenceStdole).size()));
  registered += kReferenceStdole;
  Append32(registered, 0);
  Append16(registered, 0);
  Record(dir, 0x000D, registered);
  Record(dir, 0x0016, "MSForms");
  Record(dir, 0x003E, Utf16(L"MSForms"));
  std::string twiddled;
  Append32(twiddled, static_cast<uint32_t>(std::string(kReferenceForms).size()));
  twiddled += kReferenceForms;
  Append32(twiddled, 0);
  Append16(twiddled, 0);
  Record(dir, 0x002F, twiddled);
  std::string extended;
  Append32(extended, static_cast<uint32_t>(std::string(kReferenceForms).size()));
  extended += kReferenceForms;
  Append32(extended, 0);
  Append16(extended, 0);
  extended.append(16, '\x5A');  // OriginalTypeLib
  Append32(extended, 0);        // Cookie
  Record(dir, 0x0030, extended);

  Record(dir, 0x000F, Number16(static_cast<uint32_t>(project.modules.size())));  // PROJECTMODULES
  Record(dir, 0x0013, Number16(0xFFFF));                                         // PROJECTCOOKIE
  for (const ModuleFixture& module : project.modules) {
    Record(dir, 0x0019, Encoded(module.name, cp));
    if (project.unicodeNames) {
      Record(dir, 0x0047, Utf16(module.name));
    }
    Record(dir, 0x001A, Encoded(StreamName(module), cp));
    if (project.unicodeStreamNames) {
      Record(dir, 0x0032, Utf16(StreamName(module)));
    }
    Record(dir, 0x001C, "");  // MODULEDOCSTRING
    Record(dir, 0x0048, "");
    Record(dir, 0x0031, Number32(module.compiledBytes + module.offsetSkew));  // MODULEOFFSET
    Record(dir, 0x001E, Number32(0));                                         // MODULEHELPCONTEXT
    Record(dir, 0x002C, Number16(0xFFFF));                                    // MODULECOOKIE
    Record(dir, module.kind == ModuleKind::kStandard ? 0x0021 : 0x0022, "");
    if (module.kind == ModuleKind::kDocument) {
      Record(dir, 0x0028, "");  // MODULEPRIVATE
    }
    Record(dir, 0x002B, "");  // the module's terminator
  }
  Record(dir, 0x0010, "");
  return dir;
}

std::string ProjectStream(const ProjectFixture& project) {
  const uint16_t cp = project.codePage;
  std::string text = "ID=\"{5A1B2C3D-0000-4000-8000-00000000000A}\"\r\n";
  for (const ModuleFixture& module : project.modules) {
    const std::string name = Encoded(module.name, cp);
    switch (module.kind) {
      case ModuleKind::kStandard:
        text += "Module=" + name + "\r\n";
        break;
      case ModuleKind::kClass:
        text += "Class=" + name + "\r\n";
        break;
      case ModuleKind::kDocument:
        text += "Document=" + name + "/&H00000000\r\n";
        break;
      case ModuleKind::kForm:
        text += "Package={AC9F2F90-E877-11CE-9F68-00AA00574A4F}\r\nBaseClass=" + name + "\r\n";
        break;
    }
  }
  text += "Name=\"" + Encoded(project.name, cp) + "\"\r\nHelpContextID=\"0\"\r\n";
  text += "VersionCompatible32=\"393222000\"\r\n";
  if (project.lockedForViewing) {
    text +=
        "CMG=\"C2C0E1F0E5F4E5F4E5F4E5F4\"\r\n"
        "DPB=\"8F8D7E5B6C7E7F7F80808080F0C1A2B3C4D5E6F708192A3B4C5D6E7F\"\r\n"
        "GC=\"1E1C0D0E0F0F0F\"\r\n";
  } else {
    text +=
        "CMG=\"0C0EF3E3F7E3F7E3F7E3F7E3\"\r\nDPB=\"B5B7A8A9AAAAAA\"\r\nGC=\"5D5F4E4F4F4F4F\"\r\n";
  }
  text +=
      "\r\n[Host Extender Info]\r\n&H00000001={3832D640-CF90-11CF-8E43-00A0C911005A};VBE;"
      "&H00000000\r\n\r\n[Workspace]\r\n";
  for (const ModuleFixture& module : project.modules) {
    text += Encoded(module.name, cp) + "=0, 0, 0, 0, C\r\n";
  }
  return text;
}

std::vector<CfbNode> ProjectNodes(const ProjectFixture& project) {
  std::vector<CfbNode> vba;
  vba.push_back(CfbNode::Stream(L"dir", CompressVba(DirStream(project))));
  vba.push_back(CfbNode::Stream(L"_VBA_PROJECT", std::string("\xCC\x61\xFF\xFF\x00\x00\x00", 7)));
  std::string projectWm;
  std::vector<CfbNode> nodes;
  for (const ModuleFixture& module : project.modules) {
    vba.push_back(CfbNode::Stream(StreamName(module), ModuleStream(module, project.codePage)));
    projectWm += Encoded(module.name, project.codePage) + '\0' + Utf16(module.name) + "\0\0"s;
    if (module.kind == ModuleKind::kForm) {
      nodes.push_back(CfbNode::Storage(
          module.name, {CfbNode::Stream(L"\x03VBFrame",
                                        "VERSION 5.00\r\nBegin {C62A69F0-16DC-11CE-"
                                        "9E98-00AA00574A4F} " +
                                            Encoded(module.name, project.codePage) + "\r\nEnd\r\n"),
                        CfbNode::Stream(L"f", std::string(64, '\0')), CfbNode::Stream(L"o", "")}));
    }
  }
  projectWm += "\0\0"s;
  nodes.push_back(CfbNode::Storage(L"VBA", std::move(vba)));
  nodes.push_back(CfbNode::Stream(L"PROJECT", ProjectStream(project)));
  nodes.push_back(CfbNode::Stream(L"PROJECTwm", projectWm));
  return nodes;
}

const char* ContainerName(Container container) {
  switch (container) {
    case Container::kBin:
      return "vbaProject.bin";
    case Container::kXls:
      return "xls";
    case Container::kDoc:
      return "doc";
    case Container::kXlsm:
      return "xlsm";
    case Container::kDocm:
      return "docm";
  }
  return "?";
}

std::string PackageWith(const std::string& partName, const std::string& vbaProjectBin,
                        bool byOverride) {
  std::string types =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
  if (byOverride) {
    types += "<Override PartName=\"/" + partName +
             "\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
  } else {
    types += "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
  }
  types +=
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.ms-excel.sheet.macroEnabled.main+xml\"/></Types>";
  return WriteZip({
      {"[Content_Types].xml", types, true},
      {"_rels/.rels",
       "<?xml version=\"1.0\"?><Relationships "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>",
       true},
      {"xl/workbook.xml", "<?xml version=\"1.0\"?><workbook/>", true},
      {partName, vbaProjectBin, false},
  });
}

std::string OfficeFile(Container container, const ProjectFixture& project,
                       const CfbOptions& options) {
  std::vector<CfbNode> nodes = ProjectNodes(project);
  switch (container) {
    case Container::kBin:
      return WriteCompoundFile(CfbNode::Storage(L"Root Entry", std::move(nodes)), options);
    case Container::kXls:
      return WriteCompoundFile(
          CfbNode::Storage(L"Root Entry",
                           {CfbNode::Stream(L"Workbook", std::string(600, '\x09')),
                            CfbNode::Storage(L"_VBA_PROJECT_CUR", std::move(nodes))}),
          options);
    case Container::kDoc:
      return WriteCompoundFile(
          CfbNode::Storage(L"Root Entry",
                           {CfbNode::Stream(L"WordDocument", std::string(5000, '\xEC')),
                            CfbNode::Stream(L"1Table", std::string(300, '\0')),
                            CfbNode::Storage(L"Macros", std::move(nodes))}),
          options);
    case Container::kXlsm:
      return PackageWith("xl/vbaProject.bin", OfficeFile(Container::kBin, project, options), false);
    case Container::kDocm:
      return PackageWith("word/vbaProject.bin", OfficeFile(Container::kBin, project, options),
                         true);
  }
  return std::string();
}

}  // namespace tarnwick::office::testing
