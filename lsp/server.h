// The language server: the protocol's methods bound to the features, over the
// documents the client has open. One thread handles the messages in order;
// what it shares with other threads it guards itself.
#pragma once

#include <istream>
#include <map>
#include <ostream>
#include <string>

#include "lsp/json_rpc.h"
#include "lsp/text_document.h"

namespace tarnwick::lsp {

struct ServerOptions {
  // Past this, a message is answered with an error and skipped.
  size_t maxMessageBytes = size_t{256} << 20;
  // The input may block after "exit" (standard input): the reader is left to
  // the end of the process instead of being waited for. The caller then ends
  // the process without running static destructors.
  bool inputMayBlock = false;
};

// What the client said it can do, in its initialize request.
struct ClientCapabilities {
  bool snippets = false;
};

class Server {
 public:
  explicit Server(Dispatcher::Send send);
  Dispatcher& Rpc() { return rpc; }
  // The text of an open document, for tests; null when it is not open.
  const TextDocument* Document(const std::string& uri) const;

 private:
  TextDocument& Open(const Json& params);
  void BindLifecycle();
  void BindDocuments();
  void BindEditing();

  Dispatcher rpc;
  ClientCapabilities client;
  std::map<std::string, TextDocument> documents;
};

// Reads framed messages from `in` and answers on `out` until "exit" or the end
// of the input. Returns the process's exit code. Never throws.
int RunServer(std::istream& in, std::ostream& out, const ServerOptions& options = {});

}  // namespace tarnwick::lsp
