#include "lsp/json_rpc.h"

#include <exception>

namespace tarnwick::lsp {
namespace {

bool IsValidId(const Json& id) {
  return id.is_string() || id.is_number_integer() || id.is_number_unsigned();
}

// The deepest nesting of arrays and objects outside strings.
bool NestsTooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) {
        return true;
      }
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

}  // namespace

Json ParseMessage(std::string_view body) {
  if (NestsTooDeep(body)) {
    return Json(Json::value_t::discarded);
  }
  return Json::parse(body.begin(), body.end(), nullptr, false);
}

void Dispatcher::OnRequest(const std::string& method, RequestHandler handler) {
  requests[method] = std::move(handler);
}

void Dispatcher::OnNotification(const std::string& method, NotificationHandler handler) {
  notifications[method] = std::move(handler);
}

void Dispatcher::OnResponse(std::function<void(const Json&)> handler) {
  responses = std::move(handler);
}

void Dispatcher::Respond(const Json& id, const Json& result) {
  send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
}

void Dispatcher::RespondError(const Json& id, int code, const std::string& message) {
  send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void Dispatcher::RejectFrame(int code, const std::string& message) {
  RespondError(nullptr, code, message);
}

void Dispatcher::SendRequest(const std::string& method, const Json& params, const Json& id) {
  send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
}

void Dispatcher::SendNotification(const std::string& method, const Json& params) {
  send(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

void Dispatcher::NotePending(const Json& message) {
  if (!message.is_object()) {
    return;
  }
  const auto method = message.find("method");
  if (method == message.end() || !method->is_string()) {
    return;
  }
  std::lock_guard<std::mutex> lock(cancelMutex);
  const auto id = message.find("id");
  if (id != message.end() && IsValidId(*id)) {
    pending.insert(id->dump());
    return;
  }
  if (*method == "$/cancelRequest") {
    const auto params = message.find("params");
    if (params != message.end() && params->is_object()) {
      const auto target = params->find("id");
      if (target != params->end() && pending.count(target->dump()) != 0) {
        cancelled.insert(target->dump());
      }
    }
  }
}

void Dispatcher::Handle(std::string_view body) {
  Handle(ParseMessage(body));
}

void Dispatcher::Handle(const Json& message) {
  if (message.is_discarded()) {
    RespondError(nullptr, kParseError, "the message is not valid JSON");
    return;
  }
  if (message.is_array()) {
    RespondError(nullptr, kInvalidRequest, "batches are not supported");
    return;
  }
  if (!message.is_object()) {
    RespondError(nullptr, kInvalidRequest, "a message must be a JSON object");
    return;
  }
  const auto idAt = message.find("id");
  const bool hasId = idAt != message.end();
  const Json id = hasId && IsValidId(*idAt) ? *idAt : Json(nullptr);
  const auto version = message.find("jsonrpc");
  if (version == message.end() || *version != "2.0") {
    RespondError(id, kInvalidRequest, "the message is not JSON-RPC 2.0");
    return;
  }
  const auto methodAt = message.find("method");
  if (methodAt == message.end()) {
    if (hasId && (message.contains("result") || message.contains("error"))) {
      if (responses) {
        try {
          responses(message);
        } catch (const std::exception&) {
          // A response the server cannot use changes nothing.
        }
      }
      return;
    }
    RespondError(id, kInvalidRequest, "the message has no method");
    return;
  }
  if (!methodAt->is_string() || (hasId && !IsValidId(*idAt))) {
    RespondError(id, kInvalidRequest,
                 methodAt->is_string() ? "the id must be a number or a string"
                                       : "the method must be a string");
    return;
  }
  const std::string method = *methodAt;
  const auto paramsAt = message.find("params");
  const Json params = paramsAt == message.end() ? Json(nullptr) : *paramsAt;
  if (!params.is_null() && !params.is_object() && !params.is_array()) {
    if (hasId) {
      RespondError(id, kInvalidRequest, "params must be an object or an array");
    }
    return;
  }

  if (!hasId) {
    if (method == "exit") {
      exited = true;
      return;
    }
    if (!initialized || method == "$/cancelRequest") {
      return;
    }
    const auto handler = notifications.find(method);
    if (handler == notifications.end()) {
      return;
    }
    try {
      handler->second(params);
    } catch (const std::exception&) {
      // A notification has no answer; a failure in one changes nothing else.
    }
    return;
  }

  const std::string key = id.dump();
  bool wasCancelled = false;
  {
    std::lock_guard<std::mutex> lock(cancelMutex);
    pending.erase(key);
    wasCancelled = cancelled.erase(key) != 0;
  }
  if (method == "initialize") {
    if (initialized) {
      RespondError(id, kInvalidRequest, "the server is already initialized");
      return;
    }
  } else if (!initialized) {
    RespondError(id, kServerNotInitialized, "the server is not initialized yet");
    return;
  } else if (shutdown) {
    RespondError(id, kInvalidRequest, "the server is shutting down");
    return;
  }
  if (wasCancelled) {
    RespondError(id, kRequestCancelled, "the request was cancelled");
    return;
  }
  if (method == "shutdown") {
    shutdown = true;
    Respond(id, nullptr);
    return;
  }
  const auto handler = requests.find(method);
  if (handler == requests.end()) {
    RespondError(id, kMethodNotFound, "unknown method " + method);
    return;
  }
  try {
    Json result = handler->second(params);
    if (method == "initialize") {
      initialized = true;
    }
    Respond(id, result);
  } catch (const ResponseError& e) {
    RespondError(id, e.code, e.what());
  } catch (const Json::exception& e) {
    RespondError(id, kInvalidParams, std::string("invalid params: ") + e.what());
  } catch (const std::exception& e) {
    RespondError(id, kInternalError, e.what());
  }
}

}  // namespace tarnwick::lsp
