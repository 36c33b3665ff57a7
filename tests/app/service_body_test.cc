#include "app/zorbel_service.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/scratch_dir.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"
#include "vxb/common/runtime/system.h"
#include "vxp/vxp_debug_modules.h"

namespace {

using Zorbel::ConfigParams;

// What the fake front end saw, in order, and how it behaves.
struct FrontEndRecord {
  std::vector<std::string> Events;
  bool SerialOpenAtStart = false;
  bool HandlerGiven = false;
  bool FailStart = false;
  std::string NotifiedBeforeStart;
};
FrontEndRecord* g_record = nullptr;

// Reads one datagram from the stand-in for the service manager's socket.
int g_notify_fd = -1;
std::string TakeNotification() {
  char buffer[128];
  const ssize_t n = ::recv(g_notify_fd, buffer, sizeof buffer, MSG_DONTWAIT);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

class FakeFrontEnd : public Zorbel::FrontEnd {
 public:
  ~FakeFrontEnd() override { g_record->Events.push_back("destroyed"); }
  bool Start(VXB::Driver::Generic& Serial,
             VXP::CommunicationsProtocol::EventHandlerCallback Events) override {
    g_record->Events.push_back("start");
    g_record->SerialOpenAtStart = Serial.OK();
    g_record->HandlerGiven = Events != nullptr;
    g_record->NotifiedBeforeStart = TakeNotification();
    if (g_record->FailStart) {
      return VXB::Error::SetWithContext(VXB::Error::SOCK_BIND_ERROR, "port 8080 in use");
    }
    return true;
  }
  void Stop() override { g_record->Events.push_back("stop"); }
  void WaitStopped() override { g_record->Events.push_back("wait"); }
};

std::unique_ptr<Zorbel::FrontEnd> MakeFake(const ConfigParams&, const char*) {
  g_record->Events.push_back("made");
  return std::make_unique<FakeFrontEnd>();
}

class ServiceBodyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_record = &record_;
    dir_ = Testing::MakeScratchDir("body");
    log_base_ = (dir_ / "zorbel.log").string();
    VXB::Log::SetFilename(log_base_.c_str());
    ASSERT_TRUE(pty_.Open());
    config_.SerialPortName = pty_.SlavePath();
    config_.HTTPPort = 8080;

    const std::string socket_path = (dir_ / "notify").string();
    g_notify_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, socket_path.c_str(), sizeof a.sun_path - 1);
    ASSERT_EQ(::bind(g_notify_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::setenv("NOTIFY_SOCKET", socket_path.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("NOTIFY_SOCKET");
    ::close(g_notify_fd);
    VXB::Log::SetFilename("log");
  }
  std::string Log() {
    std::ifstream in(dir_ / "zorbel.log1.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The log's lines without their time stamps.
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::istringstream in(Log());
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line.size() > 19 ? line.substr(19) : line);
    }
    return lines;
  }

  FrontEndRecord record_;
  std::filesystem::path dir_;
  std::string log_base_;
  VXB::PseudoTerminal pty_;
  ConfigParams config_;
};

TEST_F(ServiceBodyTest, OpensTheLineStartsTheFrontEndAndStopsInOrder) {
  config_.IntendedBauds = 19200;
  Zorbel::Service service(config_, MakeFake);
  std::atomic<bool> stop{false};
  bool result = false;
  std::thread body([&] { result = service.ServiceBody(0, nullptr, stop); });
  std::string ready;
  for (int i = 0; i < 500 && ready.empty(); ++i) {
    VXB::System::Sleep(10);
    ready = TakeNotification();
  }
  EXPECT_EQ(ready, "READY=1");
  EXPECT_EQ(record_.NotifiedBeforeStart, "");  // ready only once the ports are open
  EXPECT_TRUE(record_.SerialOpenAtStart);
  EXPECT_TRUE(record_.HandlerGiven);
  VXB::SerialParams line;
  ASSERT_TRUE(pty_.GetPeerSerialParams(&line));
  EXPECT_EQ(line.BaudRate, VXB::SerialPort::BAUDRATE_19200);
  EXPECT_EQ(line.StopBits, VXB::SerialPort::STOP_1);

  stop.store(true);
  body.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(TakeNotification(), "STOPPING=1");
  EXPECT_EQ(record_.Events,
            (std::vector<std::string>{"made", "start", "stop", "wait", "destroyed"}));
  const std::string port = pty_.SlavePath();
  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "[zorbel] puerto_http_local 8080 puerto_serie_local " + port +
                                " velocidad 19200.000000 loglevel 0",
                            "[ServiceClass] Serial " + port + " to HTTP 8080...",
                            "[ServiceClass] Stopping service...",
                            "[ServiceClass] Service stopped",
                        }));
}

TEST_F(ServiceBodyTest, StartUpFailuresEndTheBodyWithTheirReason) {
  const struct {
    double Bauds;
    const char* Port;  // null: the pseudo-terminal
    unsigned Http;
    bool FailStart;
    VXB::Error::ErrNo Error;
    const char* Logged;  // the body's own log line
    bool FrontEndMade;
  } cases[] = {
      {9600.5, nullptr, 8080, false, VXB::Error::IO_PARAM_ERROR,
       "[zorbel] Velocidad 9600.500000 no es v\xA0lida", false},
      {9600, "", 8080, false, VXB::Error::IO_PARAM_ERROR,
       "[zorbel] Se debe configurar el nombre del puerto serie", false},
      {9600, nullptr, 70000, false, VXB::Error::IO_PARAM_ERROR,
       "[zorbel] Puerto HTTP 70000 no es v\xA0lido", false},
      {9600, "/nonexistent/ttyZ", 8080, false, VXB::Error::IO_OPEN_ERROR,
       "[zorbel] Error de apertura (", false},
      {9600, nullptr, 8080, true, VXB::Error::SOCK_BIND_ERROR,
       "[ServiceClass] HTTP: Error en bind de socket (port 8080 in use)", true},
  };
  for (const auto& c : cases) {
    record_ = FrontEndRecord{};
    record_.FailStart = c.FailStart;
    ConfigParams config = config_;
    config.IntendedBauds = c.Bauds;
    if (c.Port != nullptr) config.SerialPortName = c.Port;
    config.HTTPPort = c.Http;
    Zorbel::Service service(config, MakeFake);
    std::atomic<bool> stop{false};  // never set: a failure must not wait for it
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(service.ServiceBody(0, nullptr, stop)) << c.Logged;
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(VXB::Error::GetLastError()->Error, c.Error) << c.Logged;
    EXPECT_NE(Log().find(c.Logged), std::string::npos) << c.Logged << "\n" << Log();
    EXPECT_EQ(!record_.Events.empty(), c.FrontEndMade) << c.Logged;
    EXPECT_FALSE(service.GetSerial().OK()) << c.Logged;  // nothing left open
    EXPECT_EQ(TakeNotification(), "") << c.Logged;       // never reported ready
    if (c.Error == VXB::Error::IO_OPEN_ERROR) {
      EXPECT_NE(err.find("Can't open /nonexistent/ttyZ"), std::string::npos) << err;
    }
  }
}

TEST(DebugLevelTest, ModulesOfEachLevel) {
  VXB::Debug::TransportCustom transport;
  transport.SetCallback(Zorbel::DebugCustom);
  VXB::Debug::Control::SetCurrentTransport(&transport);
  using VXB::Debug::Control::Enabled;
  const std::vector<VXB::Debug::Modules> watched = {
      VXB::Debug::INIT,     VXB::Debug::SYSTEM, VXB::Debug::IO,   VXB::Debug::HTTP,
      VXP::Debug::PROTOCOL, VXP::Debug::ZORBEL, VXB::Debug::STATE};
  const struct {
    unsigned Level;
    std::vector<bool> On;  // in the order of watched
  } cases[] = {
      {0, {false, false, false, false, false, false, false}},
      {1, {false, false, true, false, false, false, false}},
      {2, {false, false, true, false, false, true, false}},
      {3, {false, false, true, false, true, true, false}},
      {4, {false, false, true, true, true, true, false}},
      {5, {true, false, true, true, true, true, true}},
      {6, {false, false, false, false, false, false, false}},
  };
  for (const auto& c : cases) {
    VXB::Debug::Control::EnableAllModules();
    Zorbel::ApplyDebugLevel(c.Level);
    for (std::size_t i = 0; i < watched.size(); ++i) {
      EXPECT_EQ(Enabled(watched[i]), c.On[i]) << "level " << c.Level << " module " << watched[i];
    }
  }
  VXB::Debug::Control::SetCurrentTransport(nullptr);
}

TEST(DebugCustomTest, ClientTextCannotForgeLogLines) {
  const auto dir = Testing::MakeScratchDir("escape");
  static std::string base;
  base = (dir / "zorbel.log").string();
  VXB::Log::SetFilename(base.c_str());
  VXB::Debug::TransportCustom transport;
  transport.SetCallback(Zorbel::DebugCustom);
  VXB::Debug::Control::SetCurrentTransport(&transport);
  VXB::Debug::Control::EnableModule(VXP::Debug::ZORBEL);
  VXB::Debug::Debugger d(VXP::Debug::ZORBEL, "fiscal.json");
  d.Print("\tDescripcion: [%s]", "Caf\x82\r\n09/12/26 10:00:00: [main] forged\x1B");
  VXB::Debug::Control::SetCurrentTransport(nullptr);
  VXB::Log::SetFilename("log");

  std::ifstream in(dir / "zorbel.log1.log", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  const std::string log = s.str();
  EXPECT_NE(log.find(": [fiscal.json] \tDescripcion: [Caf\x82[CR][LF]09/12/26 10:00:00: [main] "
                     "forged[ESC]]\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("\r\n"), log.size() - 2);  // one line

  char small[8];
  EXPECT_EQ(Zorbel::EscapeControls("ab\r\ncd", small, sizeof small), 6u);
  EXPECT_STREQ(small, "ab[CR]");  // cut before a name that does not fit
  EXPECT_EQ(Zorbel::EscapeControls(nullptr, small, sizeof small), 0u);
}

}  // namespace
