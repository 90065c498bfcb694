// The content types of an Office Open XML package (the [Content_Types].xml
// part of ECMA-376's Open Packaging Conventions): Default elements by
// extension and Override elements by part name, read with a small scanner of
// tags and attributes.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tarnwick::office {

inline constexpr char kContentTypesPart[] = "[Content_Types].xml";
inline constexpr char kVbaProjectContentType[] = "application/vnd.ms-office.vbaProject";

class ContentTypes {
 public:
  // UTF-8, or UTF-16 with its byte-order mark. Malformed markup ends the scan
  // quietly: what was read so far stands.
  explicit ContentTypes(std::string_view xml);

  // The type of a zip entry ("xl/vbaProject.bin"): its Override, else the
  // Default of its extension, else empty. Names compare without ASCII case.
  std::string TypeOf(std::string_view entryName) const;

 private:
  std::map<std::string, std::string> defaults_;   // lower-case extension -> type
  std::map<std::string, std::string> overrides_;  // lower-case "/part/name" -> type
};

}  // namespace tarnwick::office
