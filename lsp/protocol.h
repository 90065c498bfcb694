// The protocol's JSON shapes for the plain values of the features: positions,
// ranges, text edits, and strings, which JSON holds in UTF-8 and the features
// in UTF-16.
#pragma once

#include <string>

#include "lsp/json_rpc.h"
#include "lsp/text_document.h"
#include "lsp/text_edits.h"

namespace tarnwick::lsp {

// Throws Json::exception (answered as invalid params) for a wrong shape.
TextPosition PositionFrom(const Json& position);
TextRange RangeFrom(const Json& range);
std::wstring WideFrom(const Json& string);
const std::string& UriFrom(const Json& params);  // params.textDocument.uri

Json ToJson(TextPosition position);
Json ToJson(const TextRange& range);
Json ToJson(const TextEdit& edit);
std::string Utf8(std::wstring_view text);

}  // namespace tarnwick::lsp
