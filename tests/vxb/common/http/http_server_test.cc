// The HTTP server over loopback: raw requests (whole, trickled, half-closed)
// against the example server, checking status lines, headers and bodies;
// stopping, failed ports, page registration, protection and address rules.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "http_example/example_server.h"
#include "http_example/raw_client.h"
#include "testing/scratch_dir.h"
#include "vxb/common/http/httpd_ip_acl.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"

namespace Zorbel::HttpExample {
namespace {

class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = Testing::MakeScratchDir("http");
    std::ofstream(dir_ / "a.txt") << "x=${x} $ ${missing}.";
    std::ofstream(dir_ / "b.PNG", std::ios::binary) << std::string("\x89PNG\r\n\0z", 8);
    std::filesystem::create_directory(dir_ / "sub");
    server_ = std::make_unique<ExampleServer>(0, dir_.string());
    ASSERT_TRUE(server_->IsOK());
    // Short deadlines keep the slow-client cases fast.
    server_->SetTimeouts(400, 600, 300);
    ASSERT_TRUE(server_->Run());
    port_ = static_cast<VXB::Network::PORT>(server_->GetPort());
  }
  void TearDown() override {
    server_.reset();
    std::filesystem::remove_all(dir_);
  }
  Response Get(const std::string& target, const std::string& headers = "") {
    return Exchange(port_, "GET " + target + " HTTP/1.0\r\n" + headers + "\r\n");
  }

  std::filesystem::path dir_;
  std::unique_ptr<ExampleServer> server_;
  VXB::Network::PORT port_ = 0;
};

TEST_F(HttpServerTest, PagesFilesAndRefusals) {
  const Response hello = Get("/hello.html");
  EXPECT_EQ(hello.statusLine, "HTTP/1.0 200 Output Follows");
  EXPECT_EQ(hello.body, HELLO_PAGE);
  EXPECT_EQ(hello.headers.at("content-length"), std::to_string(std::strlen(HELLO_PAGE)));
  EXPECT_EQ(hello.headers.at("connection"), "close");

  const struct {
    const char* target;
    int status;
  } cases[] = {
      {"/", 200},
      {"/nothing", 404},
      {"/sub/echo", 404},
      {"/files/sub", 404},
      {"/files/.", 404},
      {"/files/a%5Cb", 404},
      {"/files/x:y", 404},
      {"/files/a\\b", 404},
      {"/files/../hello.html", 200},
      {"/files/", 404},
      {"/files/b.PNG", 200},
      {"/files/nope.txt", 404},
      // Ways out of the directory that a Windows path would take.
      {"/files/..%5Chello.html", 404},
      {"/files/%2E%2E%2Fhello.html", 404},
      {"/files/C:%5Chello.html", 404},
  };
  for (const auto& c : cases) EXPECT_EQ(Get(c.target).status, c.status) << c.target;

  const Response png = Get("/files/b.PNG");
  EXPECT_EQ(png.headers.at("content-type"), "image/png");
  EXPECT_EQ(png.body, std::string("\x89PNG\r\n\0z", 8));
  EXPECT_EQ(png.headers.at("content-length"), "8");

  // Expanded text goes out without the file's length; values are encoded.
  const Response text = Get("/files/a.txt?x=%3Cb%3E");
  EXPECT_EQ(text.body, "x=&lt;b&gt; $ .");
  EXPECT_EQ(text.headers.count("content-length"), 0u);

  const Response head = Exchange(port_, "HEAD / HTTP/1.0\r\n\r\n");
  EXPECT_EQ(head.statusLine, "HTTP/1.0 501 Not Implemented");
  EXPECT_EQ(Exchange(port_, "GET fiscal.json HTTP/1.0\r\n\r\n").status, 400);
}

TEST_F(HttpServerTest, NotModifiedComparesTheDateText) {
  const Response first = Get("/files/b.PNG");
  const std::string date = first.headers.at("last-modified");
  EXPECT_EQ(Get("/files/b.PNG", "If-Modified-Since: " + date + "\r\n").status, 304);
  EXPECT_EQ(Get("/files/b.PNG", "If-Modified-Since: x" + date + "\r\n").status, 200);
}

TEST_F(HttpServerTest, EchoReadsTheBodyUpToItsLength) {
  const Response r = Exchange(port_,
                              "POST /echo?q=1 HTTP/1.0\r\nContent-Type: application/json; "
                              "charset=utf-8\r\nContent-Length: 7\r\n\r\n{\"a\":1}EXTRA");
  EXPECT_EQ(r.status, 200);
  EXPECT_NE(r.body.find("var q=1\n"), std::string::npos);
  EXPECT_NE(r.body.find("content-type application/json\ncharset utf-8\n"), std::string::npos);
  EXPECT_EQ(r.body.substr(r.body.size() - 12), "body {\"a\":1}");
}

TEST_F(HttpServerTest, DocumentsReadAndWrittenThroughTheTokenStream) {
  auto post = [this](const std::string& type, const std::string& body) {
    return Exchange(port_, "POST /doc HTTP/1.0\r\nContent-Type: " + type + "\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n" + body);
  };
  const Response json =
      post("application/json", "{\"ConsultarEstado\":{\"CodigoComprobante\":\"<a>\"}}");
  EXPECT_EQ(json.headers.at("content-type"), "application/json; charset=UTF-8");
  EXPECT_NE(json.body.find("ConsultarEstado"), std::string::npos) << json.body;
  EXPECT_NE(json.body.find("CodigoComprobante"), std::string::npos) << json.body;
  const Response xml = post("text/xml; charset=latin1", "<a><b>1</b></a>");
  EXPECT_EQ(xml.headers.at("content-type").substr(0, 8), "text/xml");
  EXPECT_NE(xml.body.find("<b>1</b>"), std::string::npos) << xml.body;
  EXPECT_EQ(post("application/xml", "<a/>").body, "unsupported content type unknown");
}

TEST_F(HttpServerTest, TrickledAndHalfClosedRequests) {
  // Whole request, then the sending side closed: still answered.
  EXPECT_EQ(Exchange(port_, "GET /hello.html HTTP/1.0\r\n\r\n", true).status, 200);
  // Trickled within the deadline: answered.
  RawClient slow;
  ASSERT_TRUE(slow.Connect(port_));
  for (char c : std::string("GET /hello.html HTTP/1.0\r\n\r\n")) slow.Send(std::string(1, c));
  std::string raw;
  slow.ReadAll(raw);
  EXPECT_EQ(ParseResponse(raw).status, 200);
  // A head that never ends is dropped (no answer) and the next client is
  // served.
  RawClient stuck;
  ASSERT_TRUE(stuck.Connect(port_));
  stuck.Send("GET /hello.html HTTP/1.0\r\n");
  std::thread trickle([&] {
    for (int i = 0; i < 40 && stuck.Send("X"); ++i) VXB::System::Sleep(50);
  });
  std::string dropped;
  stuck.ReadAll(dropped, 5000);
  trickle.join();
  EXPECT_EQ(dropped, "");
  EXPECT_EQ(Get("/hello.html").status, 200);
  // A request head cut by a half-close is not answered.
  EXPECT_FALSE(Exchange(port_, "GET /hello.html HTTP/1.0\r\nHost: a", true).complete);
}

TEST_F(HttpServerTest, LeftoverBytesNeverReachTheNextConnection) {
  // A large unread body: the answer still arrives whole (no reset).
  const std::string big(200000, 'b');
  const Response r = Exchange(port_,
                              "POST /hello.html HTTP/1.0\r\nContent-Type: application/json\r\n"
                              "Content-Length: " +
                                  std::to_string(big.size()) + "\r\n\r\n" + big);
  EXPECT_EQ(r.body, HELLO_PAGE);
  EXPECT_EQ(Exchange(port_, "GET /hello.html HTTP/1.0\r\n\r\nGET /echo HTTP/1.0\r\n\r\n").body,
            HELLO_PAGE);
  const Response next = Exchange(port_, "POST /echo HTTP/1.0\r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(next.body.substr(next.body.size() - 5), "body ");
}

TEST(HttpServerStop, StopWhileAClientTrickles) {
  ExampleServer server(0, "");
  ASSERT_TRUE(server.IsOK());
  server.SetTimeouts(60000, 60000, 300);  // only the stop can end the read below
  ASSERT_TRUE(server.Run());
  RawClient client;
  ASSERT_TRUE(client.Connect(static_cast<VXB::Network::PORT>(server.GetPort())));
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    for (int i = 0; i < 200 && !done.load() && client.Send("G"); ++i) VXB::System::Sleep(20);
  });
  VXB::System::Sleep(100);
  server.Stop();
  server.WaitStopped();  // returns: the read saw the stop flag
  done.store(true);
  trickle.join();
  EXPECT_FALSE(server.IsRunning());
  std::string raw;
  client.ReadAll(raw, 2000);
  EXPECT_EQ(raw, "");
}

// Nothing came and the connection is still open: the server has neither
// answered nor dropped it.
bool StillWaiting(RawClient& client) {
  VXB::Byte b = 0;
  return client.Socket().ReadBuffer(&b, 1, 0) == 0 &&
         VXB::Error::GetCurrent().Error == VXB::Error::IO_TIMEOUT_ERROR;
}

// Long deadlines: only the order of events decides these cases.
class HttpConnectionsTest : public ::testing::Test {
 protected:
  void Start(unsigned max) {
    dir_ = Testing::MakeScratchDir("http-connections");
    std::ofstream(dir_ / "big.bin", std::ios::binary) << std::string(12u << 20, 'b');
    server_ = std::make_unique<ExampleServer>(0, dir_.string());
    ASSERT_TRUE(server_->IsOK());
    server_->SetTimeouts(30000, 30000, 300);
    server_->SetMaxConnections(max);
    ASSERT_TRUE(server_->Run());
    port_ = static_cast<VXB::Network::PORT>(server_->GetPort());
  }
  void TearDown() override {
    server_.reset();
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
  std::unique_ptr<ExampleServer> server_;
  VXB::Network::PORT port_ = 0;
};

TEST_F(HttpConnectionsTest, IdleHalfSentAndUnreadClientsHoldNobody) {
  Start(64);
  RawClient idle[5];
  const char* first_bytes[5] = {"", "", "G", "GET /hello.html HTTP/1.0\r\n",
                                "POST /echo HTTP/1.0\r\nContent-Length: 4\r\n\r\nab"};
  for (int k = 0; k < 5; ++k) {
    ASSERT_TRUE(idle[k].Connect(port_));
    if (*first_bytes[k] != 0) ASSERT_TRUE(idle[k].Send(first_bytes[k]));
  }
  RawClient unread;  // asks for a long answer and never reads it
  ASSERT_TRUE(unread.Connect(port_));
  ASSERT_TRUE(unread.Send("GET /files/big.bin HTTP/1.0\r\n\r\n"));

  const Response r = Exchange(port_, "POST /echo HTTP/1.0\r\nContent-Length: 2\r\n\r\nok");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body.substr(r.body.size() - 7), "body ok");
  // Served while every earlier client is still waiting, none dropped.
  for (RawClient& c : idle) EXPECT_TRUE(StillWaiting(c));

  // Each of them is served once its request is complete.
  const char* rest[5] = {"GET /hello.html HTTP/1.0\r\n\r\n", "GET /hello.html HTTP/1.0\r\n\r\n",
                         "ET /hello.html HTTP/1.0\r\n\r\n", "\r\n", "cd"};
  for (int k = 4; k >= 0; --k) {
    ASSERT_TRUE(idle[k].Send(rest[k]));
    std::string raw;
    idle[k].ReadAll(raw, 20000);
    EXPECT_EQ(ParseResponse(raw).status, 200) << k << raw;
  }
  std::string big;
  unread.ReadAll(big, 20000);
  EXPECT_EQ(ParseResponse(big).body.size(), 12u << 20);
}

// A page that keeps the server busy until the test lets it go, standing in
// for a long command on the controller.
class HoldingPage : public VXB::HTTP::PageFunctor {
 public:
  void PageHandler(const char*) override {
    entered.store(true);
    while (!released.load()) std::this_thread::yield();
  }
  std::atomic<bool> entered{false};
  std::atomic<bool> released{false};
};

TEST(HttpConnectionsDeadlines, TimeSpentOnAnotherRequestIsNotCounted) {
  ExampleServer server(0, "");
  ASSERT_TRUE(server.IsOK());
  server.SetTimeouts(300, 300, 300);
  HoldingPage hold;
  ASSERT_TRUE(server.AddPage("hold", &hold));
  ASSERT_TRUE(server.Run());
  const auto port = static_cast<VXB::Network::PORT>(server.GetPort());

  // The body's client is connected and its head read before the long
  // request starts (the hello exchange after it proves it was accepted).
  const std::string body(40000, 'z');
  RawClient slow;
  ASSERT_TRUE(slow.Connect(port));
  ASSERT_TRUE(slow.Send("POST /echo HTTP/1.0\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\n\r\n"));
  ASSERT_EQ(Exchange(port, "GET /hello.html HTTP/1.0\r\n\r\n").status, 200);

  RawClient holder;
  ASSERT_TRUE(holder.Connect(port));
  ASSERT_TRUE(holder.Send("GET /hold HTTP/1.0\r\n\r\n"));
  while (!hold.entered.load()) std::this_thread::yield();
  // The whole body is sent while the server is busy, and the body's
  // deadline passes meanwhile: more than one receive's worth waits for it.
  ASSERT_TRUE(slow.Send(body));
  VXB::System::Sleep(700);
  hold.released.store(true);

  std::string raw;
  slow.ReadAll(raw, 20000);
  const Response r = ParseResponse(raw);
  EXPECT_EQ(r.status, 200);
  ASSERT_GE(r.body.size(), body.size());
  EXPECT_EQ(r.body.substr(r.body.size() - body.size()), body);
  std::string held;
  holder.ReadAll(held, 20000);
  server.Stop();
  server.WaitStopped();
}

TEST_F(HttpConnectionsTest, BeyondTheCapTheNewestIsRefused) {
  Start(2);
  RawClient first;
  RawClient second;
  ASSERT_TRUE(first.Connect(port_));
  ASSERT_TRUE(second.Connect(port_));
  const Response refused = Exchange(port_, "GET /hello.html HTTP/1.0\r\n\r\n");
  EXPECT_EQ(refused.statusLine, "HTTP/1.0 503 Service Unavailable");
  EXPECT_TRUE(StillWaiting(first));
  first.Close();  // makes room, once the server has seen the close
  int status = 0;
  std::uint64_t refused_count = 1;
  for (int attempt = 0; attempt < 50 && status != 200; ++attempt) {
    status = Exchange(port_, "GET /hello.html HTTP/1.0\r\n\r\n").status;
    EXPECT_TRUE(status == 200 || status == 503) << status;
    if (status == 503) ++refused_count;
  }
  EXPECT_EQ(status, 200);
  // Every 503 is counted as a refusal by the cap, and as nothing else.
  const VXB::HTTP::RefusalCounts counts = server_->GetRefusals();
  EXPECT_EQ(counts.OverCapacity, refused_count);
  EXPECT_EQ(counts.DeniedClient + counts.ForeignHost + counts.ForeignOrigin, 0u);
  ASSERT_TRUE(second.Send("GET /hello.html HTTP/1.0\r\n\r\n"));
  std::string raw;
  second.ReadAll(raw, 20000);
  EXPECT_EQ(ParseResponse(raw).status, 200);
}

TEST_F(HttpConnectionsTest, StopEndsTheServerWithIdleClientsOpen) {
  Start(64);
  RawClient idle[3];
  for (RawClient& c : idle) ASSERT_TRUE(c.Connect(port_));
  idle[0].Send("GET /hel");
  EXPECT_EQ(Exchange(port_, "GET /hello.html HTTP/1.0\r\n\r\n").status, 200);
  server_->Stop();
  server_->WaitStopped();
  EXPECT_FALSE(server_->IsRunning());
  for (RawClient& c : idle) {
    std::string raw;
    c.ReadAll(raw, 20000);
    EXPECT_EQ(raw, "");
  }
}

class PlainServer : public VXB::HTTP::Server {
 public:
  using Server::Server;
  ~PlainServer() override {
    Stop();
    Join();
  }
  void Index() override { Print("index"); }
};

class Hello : public VXB::HTTP::PageFunctor {
 public:
  explicit Hello(VXB::HTTP::Server* s) : s_(s) {}
  void PageHandler(const char* Page) override { s_->PrintF("page %s", Page); }

 private:
  VXB::HTTP::Server* s_;
};

// A server left without clients gets its idle turn, on its own thread,
// within about half a second.
TEST(HttpServerLifecycle, IdleTurnWithoutClients) {
  class IdleServer final : public PlainServer {
   public:
    using PlainServer::PlainServer;
    // Stopped here, so that the thread never calls Idle on a server half
    // destroyed.
    ~IdleServer() override {
      Stop();
      Join();
    }
    std::atomic<unsigned> idle{0};

   protected:
    void Idle() override { ++idle; }
  };
  IdleServer s(0, true);
  ASSERT_TRUE(s.IsOK());
  ASSERT_TRUE(s.Run());
  const std::uint64_t until = VXB::System::MonotonicMilliseconds() + 5000;
  while (s.idle.load() == 0 && VXB::System::MonotonicMilliseconds() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GT(s.idle.load(), 0u);
}

TEST(HttpServerLifecycle, StopBeforeRunAndBusyPort) {
  PlainServer first(0, true);
  ASSERT_TRUE(first.IsOK());
  first.Stop();  // before the thread runs: not lost
  ASSERT_TRUE(first.Run());
  first.WaitStopped();
  EXPECT_FALSE(first.IsRunning());

  PlainServer busy(first.GetPort(), true);
  EXPECT_FALSE(busy.IsOK());
  EXPECT_EQ(busy.GetPort(), 0u);
  Hello page(&busy);
  EXPECT_FALSE(busy.AddPage("x", &page));
}

TEST(HttpServerLifecycle, PagesProtectionAndAddressRules) {
  PlainServer s(0, true);
  ASSERT_TRUE(s.IsOK());
  Hello page(&s);
  const std::string name49(49, 'n');
  EXPECT_TRUE(s.AddPage(name49.c_str(), &page));
  EXPECT_FALSE(s.AddPage((name49 + "n").c_str(), &page));
  EXPECT_FALSE(s.AddPage("a/b", &page));
  EXPECT_TRUE(s.AddPage("fiscal.json", &page));
  EXPECT_TRUE(s.AddPage("secret", &page, true));
  EXPECT_TRUE(s.AddHTTPSOnlyPage("tls", &page));
  ASSERT_TRUE(s.Run());
  const auto port = static_cast<VXB::Network::PORT>(s.GetPort());
  auto get = [port](const std::string& target, const std::string& headers = "") {
    return Exchange(port, "GET " + target + " HTTP/1.0\r\n" + headers + "\r\n");
  };
  EXPECT_EQ(get("/fiscal.json").body, "page fiscal.json");
  EXPECT_EQ(get("/" + name49).status, 200);
  EXPECT_EQ(get("/sub/fiscal.json").status, 404);
  const Response secret = get("/secret", "Authorization: Basic dXNlcjpwYXNz\r\n");
  EXPECT_EQ(secret.status, 401);  // the default check denies
  EXPECT_EQ(secret.headers.at("www-authenticate"), "Basic realm=\"VXB\"");
  EXPECT_EQ(get("/tls").status, 403);

  s.Stop();
  s.WaitStopped();
}

TEST(HttpServerLifecycle, AddressRulesRefuseAtAccept) {
  VXB::HTTP::httpAcl* deny = VXB::HTTP::httpdAddAcl(nullptr, nullptr, "127.0.0.0/8", 2);
  ASSERT_NE(deny, nullptr);
  {
    PlainServer s(0, true);
    ASSERT_TRUE(s.IsOK());
    VXB::HTTP::httpdSetDefaultAcl(s.Engine(), deny);
    ASSERT_TRUE(s.Run());
    const Response r =
        Exchange(static_cast<VXB::Network::PORT>(s.GetPort()), "GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(r.statusLine, "HTTP/1.0 403 Permission Denied");
    EXPECT_NE(r.body.find("Access to the request URL was denied!"), std::string::npos);
    EXPECT_EQ(s.GetRefusals().DeniedClient, 1u);
    EXPECT_EQ(s.GetRefusals().OverCapacity, 0u);
  }
  VXB::HTTP::httpdFreeAcl(deny);
}

}  // namespace
}  // namespace Zorbel::HttpExample
