// JSON-RPC 2.0 as the language server protocol uses it: requests answered by
// their handlers, notifications handed on, and every rule about what may come
// when. No message escapes as an exception:
//   - text that is not JSON: -32700; JSON that is no message (not an object,
//     no "jsonrpc": "2.0", a method that is not a string, an id that is
//     neither a number nor a string, a batch): -32600;
//   - a request before "initialize": -32002; "initialize" twice, or any
//     request after "shutdown": -32600; a notification before "initialize"
//     is dropped, except "exit";
//   - an unknown request: -32601; an unknown notification: ignored;
//   - a request cancelled by "$/cancelRequest" before its handler ran: -32800;
//   - a handler's malformed parameters: -32602; any other failure of a
//     handler: -32603 with its message;
//   - "exit" ends the session: exit code 0 after "shutdown", 1 otherwise.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

namespace tarnwick::lsp {

using Json = nlohmann::json;

enum ErrorCode : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kInternalError = -32603,
  kServerNotInitialized = -32002,
  kRequestCancelled = -32800,
};

// A failure a handler reports with its own code.
class ResponseError : public std::runtime_error {
 public:
  ResponseError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

// Deeper nesting than this is refused before it is parsed.
inline constexpr int kMaxJsonDepth = 256;
// Parses one message body; a discarded value when it is not JSON or nests too deep.
Json ParseMessage(std::string_view body);

class Dispatcher {
 public:
  using Send = std::function<void(const Json&)>;
  using RequestHandler = std::function<Json(const Json& params)>;
  using NotificationHandler = std::function<void(const Json& params)>;

  explicit Dispatcher(Send send) : send(std::move(send)) {}

  void OnRequest(const std::string& method, RequestHandler handler);
  void OnNotification(const std::string& method, NotificationHandler handler);
  // Called with each response the client sends to a request of the server's.
  void OnResponse(std::function<void(const Json& message)> handler);

  // Handles one message body.
  void Handle(std::string_view body);
  // Handles a parsed message (a discarded value stands for text that was no JSON).
  void Handle(const Json& message);
  // Answers a frame that could not be read, with no id.
  void RejectFrame(int code, const std::string& message);

  // "$/cancelRequest" as it arrives, before the request is handled. Safe to
  // call from another thread than Handle's; ids not pending are forgotten.
  void NotePending(const Json& message);

  bool Exited() const { return exited; }
  int ExitCode() const { return shutdown ? 0 : 1; }
  bool Initialized() const { return initialized; }

  // Sends a request or notification of the server's own.
  void SendRequest(const std::string& method, const Json& params, const Json& id);
  void SendNotification(const std::string& method, const Json& params);

 private:
  void Respond(const Json& id, const Json& result);
  void RespondError(const Json& id, int code, const std::string& message);

  Send send;
  std::map<std::string, RequestHandler> requests;
  std::map<std::string, NotificationHandler> notifications;
  std::function<void(const Json&)> responses;
  bool initialized = false;
  bool shutdown = false;
  bool exited = false;

  std::mutex cancelMutex;
  std::set<std::string> pending;    // ids of requests read and not yet handled
  std::set<std::string> cancelled;  // of those, the ones the client cancelled
};

}  // namespace tarnwick::lsp
