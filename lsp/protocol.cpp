#include "lsp/protocol.h"

#include "text/utf.h"

namespace tarnwick::lsp {

TextPosition PositionFrom(const Json& position) {
  return {position.at("line").get<int64_t>(), position.at("character").get<int64_t>()};
}

TextRange RangeFrom(const Json& range) {
  return {PositionFrom(range.at("start")), PositionFrom(range.at("end"))};
}

std::wstring WideFrom(const Json& string) {
  return Utf8ToWide(string.get_ref<const std::string&>());
}

const std::string& UriFrom(const Json& params) {
  return params.at("textDocument").at("uri").get_ref<const std::string&>();
}

Json ToJson(TextPosition position) {
  return {{"line", position.line}, {"character", position.character}};
}

Json ToJson(const TextRange& range) {
  return {{"start", ToJson(range.start)}, {"end", ToJson(range.end)}};
}

Json ToJson(const TextEdit& edit) {
  return {{"range", ToJson(edit.range)}, {"newText", Utf8(edit.newText)}};
}

std::string Utf8(std::wstring_view text) {
  return WideToUtf8(text);
}

}  // namespace tarnwick::lsp
