#include "office/vba_project.h"

#include <optional>

#include "office/compound_file.h"
#include "office/content_types.h"
#include "office/project_storage.h"
#include "office/zip_reader.h"
#include "text/ascii.h"

namespace tarnwick::office {

namespace {

constexpr uint64_t kMaxContentTypesSize = 4ull << 20;
constexpr uint64_t kMaxProjectPartSize = 256ull << 20;

[[noreturn]] void Fail(OfficeFailure failure, const std::string& what) {
  throw OfficeError(failure, what);
}

// Jet (Access 97-2003) and ACE (Access 2007 and later) databases.
bool IsAccessDatabase(std::string_view bytes) {
  static constexpr std::string_view kStart("\x00\x01\x00\x00", 4);
  return bytes.substr(0, 4) == kStart &&
         (bytes.substr(4, 15) == "Standard Jet DB" || bytes.substr(4, 15) == "Standard ACE DB");
}

bool Has(const CompoundFile& file, std::wstring_view name, CompoundFile::Type type) {
  const std::optional<uint32_t> found = file.Find(file.root(), name);
  return found && file.entry(*found).type == type;
}

VbaProject FromCompoundFile(std::string bytes) {
  const CompoundFile file(std::move(bytes));
  using Type = CompoundFile::Type;
  if (Has(file, L"EncryptionInfo", Type::kStream) &&
      Has(file, L"EncryptedPackage", Type::kStream)) {
    Fail(OfficeFailure::kEncrypted,
         "the file is encrypted with a password to open; save it without that password to read "
         "its VBA project");
  }
  if (Has(file, L"PowerPoint Document", Type::kStream)) {
    Fail(OfficeFailure::kUnsupported,
         "PowerPoint 97-2003 files are not supported: their VBA project is kept compressed inside "
         "the presentation stream, not as a storage of the file; save it as .pptm to read it");
  }
  for (const wchar_t* storage : {L"_VBA_PROJECT_CUR", L"Macros"}) {
    if (const std::optional<uint32_t> found = file.Find(file.root(), storage);
        found && file.entry(*found).type == Type::kStorage) {
      return ReadProjectStorage(file, *found);
    }
  }
  if (HoldsVbaProject(file, file.root())) {
    return ReadProjectStorage(file, file.root());
  }
  if (Has(file, L"Workbook", Type::kStream) || Has(file, L"Book", Type::kStream)) {
    Fail(OfficeFailure::kNoProject, "the workbook holds no VBA project");
  }
  if (Has(file, L"WordDocument", Type::kStream)) {
    Fail(OfficeFailure::kNoProject, "the document holds no VBA project");
  }
  Fail(OfficeFailure::kNoProject, "the compound file holds no VBA project");
}

VbaProject FromPackage(std::string bytes) {
  const ZipArchive zip(std::move(bytes));
  const ZipEntry* typesEntry = nullptr;
  for (const ZipEntry& entry : zip.entries()) {
    if (EqualsIgnoringAsciiCase(entry.name, kContentTypesPart)) {
      typesEntry = &entry;
      break;
    }
  }
  if (typesEntry == nullptr) {
    Fail(OfficeFailure::kUnsupported,
         "a zip archive, but no Office Open XML package: it has no [Content_Types].xml");
  }
  const ContentTypes types(zip.Read(*typesEntry, kMaxContentTypesSize));
  for (const ZipEntry& entry : zip.entries()) {
    if (!EqualsIgnoringAsciiCase(types.TypeOf(entry.name), kVbaProjectContentType)) {
      continue;
    }
    std::string part = zip.Read(entry, kMaxProjectPartSize);
    if (!LooksLikeCompoundFile(part)) {
      Fail(OfficeFailure::kDamaged,
           "damaged VBA project: the part " + entry.name + " is no compound file");
    }
    const CompoundFile file(std::move(part));
    if (!HoldsVbaProject(file, file.root())) {
      Fail(OfficeFailure::kDamaged, "damaged VBA project: the part " + entry.name +
                                        " holds no VBA storage and PROJECT stream");
    }
    return ReadProjectStorage(file, file.root());
  }
  Fail(OfficeFailure::kNoProject, "the package holds no VBA project (no part of type " +
                                      std::string(kVbaProjectContentType) +
                                      "); it was saved without macros");
}

}  // namespace

const char* ModuleKindName(ModuleKind kind) {
  switch (kind) {
    case ModuleKind::kStandard:
      return "standard";
    case ModuleKind::kClass:
      return "class";
    case ModuleKind::kDocument:
      return "document";
    case ModuleKind::kForm:
      return "form";
  }
  return "?";
}

bool LooksLikeOfficeFile(std::string_view bytes) {
  return IsAccessDatabase(bytes) || LooksLikeCompoundFile(bytes) || LooksLikeZip(bytes);
}

VbaProject ReadVbaProject(std::string fileBytes) {
  if (fileBytes.size() > kMaxOfficeFileSize) {
    Fail(OfficeFailure::kUnsupported, "the file is larger than the " +
                                          std::to_string(kMaxOfficeFileSize >> 20) +
                                          " MiB read from Office files");
  }
  if (IsAccessDatabase(fileBytes)) {
    Fail(OfficeFailure::kUnsupported,
         "Access databases are not supported: their VBA project lives in the database's own "
         "system tables, not in a VBA storage; export the modules from Access instead");
  }
  if (LooksLikeCompoundFile(fileBytes)) {
    return FromCompoundFile(std::move(fileBytes));
  }
  if (LooksLikeZip(fileBytes)) {
    return FromPackage(std::move(fileBytes));
  }
  Fail(OfficeFailure::kUnsupported,
       "not an Office file or vbaProject.bin: neither a zip package nor a compound file");
}

}  // namespace tarnwick::office
