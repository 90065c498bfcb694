// What the files of the server's bindings share (server.h's Server is split
// over server.cpp, server_editing.cpp, server_navigation.cpp and
// server_workspace.cpp).
#pragma once

#include <optional>
#include <string>

#include "lsp/json_rpc.h"
#include "lsp/text_document.h"

namespace tarnwick::lsp {

// A settings file's text, or nullopt when there is none to read.
std::optional<std::string> ReadSettingsText(const std::string& path);
// The kinds of code action the server offers.
Json CodeActionKinds();

}  // namespace tarnwick::lsp
