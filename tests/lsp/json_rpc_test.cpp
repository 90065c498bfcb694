// What the message loop does beyond the recorded transcripts: cancellation
// seen ahead of its request, failing handlers, and framing at its limits.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "lsp/json_rpc.h"
#include "lsp/server.h"
#include "lsp/transport.h"

namespace tarnwick::lsp {
namespace {

Json Request(int id, const std::string& method) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", Json::object()}};
}

class DispatcherTest : public testing::Test {
 protected:
  DispatcherTest() : rpc([this](const Json& message) { sent.push_back(message); }) {
    rpc.OnRequest("initialize", [](const Json&) { return Json::object(); });
    rpc.OnRequest("fails", [](const Json&) -> Json { throw std::runtime_error("no disk"); });
    rpc.OnRequest("echo", [](const Json&) { return Json("ok"); });
    rpc.Handle(Request(1, "initialize"));
    sent.clear();
  }
  Dispatcher rpc;
  std::vector<Json> sent;
};

TEST_F(DispatcherTest, ACancelledRequestIsAnsweredWithoutRunning) {
  const Json request = Request(7, "echo");
  const Json cancel = {{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 7}}}};
  rpc.NotePending(request);
  rpc.NotePending(cancel);
  rpc.Handle(request);
  rpc.Handle(cancel);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["error"]["code"], kRequestCancelled);
  // A cancellation that comes after its answer, or for no request, is dropped.
  rpc.NotePending(Request(8, "echo"));
  rpc.Handle(Request(8, "echo"));
  rpc.NotePending({{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 8}}}});
  rpc.NotePending(Request(8, "echo"));
  rpc.Handle(Request(8, "echo"));
  EXPECT_EQ(sent.back()["result"], "ok");
}

TEST_F(DispatcherTest, AFailingHandlerIsAnsweredAndTheServerGoesOn) {
  rpc.Handle(Request(2, "fails"));
  rpc.Handle(Request(3, "echo"));
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0]["error"]["code"], kInternalError);
  EXPECT_EQ(sent[0]["error"]["message"], "no disk");
  EXPECT_EQ(sent[1]["result"], "ok");
}

std::string Framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(RunServer, SkipsAMessageOverTheLimitAndReadsTheNext) {
  ServerOptions options;
  options.maxMessageBytes = 100;
  std::istringstream in(Framed(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})") +
                        Framed(std::string(5000, '{')) +
                        Framed(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})") +
                        Framed(R"({"jsonrpc":"2.0","method":"exit"})"));
  std::ostringstream out;
  EXPECT_EQ(RunServer(in, out, options), 0);
  std::istringstream answers(out.str());
  FrameReader reader(answers, 1 << 20);
  std::vector<Json> messages;
  for (Frame frame = reader.Next(); frame.kind == Frame::Kind::kMessage; frame = reader.Next()) {
    messages.push_back(Json::parse(frame.body));
  }
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1]["error"]["code"], kInvalidRequest);
  EXPECT_EQ(messages[2]["id"], 2);
}

TEST(RunServer, EndsWhenTheInputEndsInsideAMessage) {
  std::istringstream in("Content-Length: 50\r\n\r\n{\"jsonrpc\"");
  std::ostringstream out;
  EXPECT_EQ(RunServer(in, out), 1);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace tarnwick::lsp
