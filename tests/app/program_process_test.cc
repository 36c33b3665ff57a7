// The built zorbel program run as a user runs it: `zorbel test` in a
// directory of its own with its proxyconfig.xml, against the controller
// emulator on a pseudo-terminal, reached over HTTP on the loopback
// interface. A hang guard bounds every wait for a child process; a child
// still running at the end of a test is killed.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/bridge_rig.h"
#include "testing/http_client.h"
#include "testing/scratch_dir.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"

namespace {

using Testing::HttpAnswer;
using Testing::HttpRequest;
using Clock = std::chrono::steady_clock;

constexpr const char* CHROMIUM = "/usr/bin/chromium";

std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A socket listening on every local address at a port the system picked;
// closed with the object.
class Listener {
 public:
  Listener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t len = sizeof a;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd_, 4) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      return;
    port_ = ntohs(a.sin_port);
  }
  ~Listener() { Close(); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  unsigned Port() const { return port_; }

 private:
  int fd_ = -1;
  unsigned port_ = 0;
};

// A free port: one the system just handed out and took back.
unsigned FreePort() {
  Listener l;
  return l.Port();
}

// A child process in a process group of its own, its output in files.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Runs Args[0] in Dir with stdout and stderr into the files Out and Err.
  bool Start(const std::vector<std::string>& Args, const std::filesystem::path& Dir,
             const std::filesystem::path& Out, const std::filesystem::path& Err) {
    // Everything the child needs is prepared before fork: after it only
    // async-signal-safe calls are made.
    std::vector<char*> argv;
    for (const std::string& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string dir = Dir.string(), out = Out.string(), err = Err.string();
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      ::setpgid(0, 0);
      const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (o < 0 || e < 0 || ::chdir(dir.c_str()) != 0) ::_exit(126);
      ::dup2(o, 1);
      ::dup2(e, 2);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::setpgid(pid_, pid_);
    return true;
  }

  // The exit status once the child has ended; -1 when it was still running
  // after the hang guard (it is then killed).
  int Wait(std::chrono::seconds Guard) {
    const Clock::time_point end = Clock::now() + Guard;
    while (pid_ > 0) {
      int status = 0;
      const pid_t r = ::waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        pid_ = 0;
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
      }
      if (Clock::now() > end) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

  bool Running() const { return pid_ > 0 && ::kill(pid_, 0) == 0; }
  void Signal(int Sig) const {
    if (pid_ > 0) ::kill(pid_, Sig);
  }

 private:
  pid_t pid_ = 0;
};

class ProgramProcess : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }

  void SetUp() override {
    dir_ = Testing::MakeScratchDir("process");
    ASSERT_TRUE(pty_.Open());
    options_.Trace = [this](const std::string& line) {
      std::lock_guard<std::mutex> lock(trace_mutex_);
      trace_ += line + "\n";
    };
    emu_ = std::make_unique<ZorbelEmulator::Emulator>(pty_, options_);
    emulator_ = std::thread([this] { emu_->Serve(); });
  }

  void TearDown() override {
    program_.reset();
    emu_->Stop();
    if (emulator_.joinable()) emulator_.join();
  }

  void WriteConfig(unsigned Port) { WriteConfig(Port, pty_.SlavePath(), "9600"); }
  void WriteConfig(unsigned Port, const std::string& Serial, const char* Baud,
                   const char* Extra = "") {
    std::ofstream(dir_ / "proxyconfig.xml")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\n  <SerialPort>" << Serial
        << "</SerialPort>\n  <BaudRate>" << Baud << "</BaudRate>\n  <HttpPort>" << Port
        << "</HttpPort>\n  <DebugLevel>" << debug_level_ << "</DebugLevel>\n  " << Extra
        << "\n</config>\n";
  }

  // Starts `zorbel test` on Port; when Serving, waits until its index page
  // answers.
  void StartProgram(unsigned Port, bool Serving) {
    WriteConfig(Port);
    program_ = std::make_unique<Child>();
    ASSERT_TRUE(
        program_->Start({ZORBEL_PROGRAM, "test"}, dir_, dir_ / "out.txt", dir_ / "err.txt"));
    if (!Serving) return;
    for (int i = 0; i < 200; ++i) {
      if (HttpRequest(Port, "GET", "/", "", "", 500).Status == 200) return;
      ASSERT_TRUE(program_->Running()) << Err();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FAIL() << "the program did not serve: " << Err();
  }

  std::string Trace() {
    std::lock_guard<std::mutex> lock(trace_mutex_);
    return trace_;
  }
  std::string Err() { return ReadFile(dir_ / "err.txt"); }
  std::string Log() { return ReadFile(dir_ / "zorbel.log1.log"); }

  std::filesystem::path dir_;
  ZorbelEmulator::Options options_;
  VXB::PseudoTerminal pty_;
  std::unique_ptr<ZorbelEmulator::Emulator> emu_;
  std::thread emulator_;
  std::unique_ptr<Child> program_;
  unsigned debug_level_ = 1;
  std::mutex trace_mutex_;
  std::string trace_;
};

// Start-up failures: the program ends with exit 1 and says why on the error
// output (the log says it too), and never serves deaf.
TEST_F(ProgramProcess, StartUpFailuresExitOneWithTheReason) {
  Listener taken;
  ASSERT_NE(taken.Port(), 0u);
  const std::string pty = pty_.SlavePath();
  struct Case {
    std::string serial;
    const char* baud;
    unsigned port;
    const char* extra;
    const char* reason;
  } cases[] = {
      {pty, "9600", taken.Port(), "", "bind"},  // another program holds the port
      {pty, "9600", 70000, "", "Puerto HTTP 70000"},
      {pty, "1234", taken.Port(), "", "Velocidad 1234"},
      {"", "9600", taken.Port(), "", "puerto serie"},
      {(dir_ / "no-such-tty").string(), "9600", taken.Port(), "", "no-such-tty"},
      {pty, "9600", taken.Port(), "<AllowedClients>127.0.0.1, 10.0.0/8</AllowedClients>",
       "10.0.0/8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    WriteConfig(c.port, c.serial, c.baud, c.extra);
    std::filesystem::remove(dir_ / "zorbel.log1.log");  // each case's own log
    Child program;
    ASSERT_TRUE(program.Start({ZORBEL_PROGRAM, "test"}, dir_, dir_ / "out.txt", dir_ / "err.txt"));
    EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 1);
    const std::string err = Err();
    ASSERT_FALSE(err.empty());
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    EXPECT_EQ(err.back(), '\n') << err;
    EXPECT_NE(Log().find(c.reason), std::string::npos) << Log();
  }
  EXPECT_EQ(emu_->GetStats().BytesReceived.load(), 0u);
}

// A sale in JSON and one in XML in ISO-8859-1, each step numbered by the
// client: every answer is its own step's, the accented description reaches
// the controller in its code page, both tickets are closed, each once.
TEST_F(ProgramProcess, JsonAndLatin1XmlSales) {
  const unsigned port = FreePort();
  ASSERT_NE(port, 0u);
  StartProgram(port, true);
  const std::string item =
      "\"Cantidad\":\"1\",\"PrecioUnitario\":\"2.50\",\"CondicionIVA\":\"7\","
      "\"AlicuotaIVA\":\"21.00\",\"OperacionMonto\":\"M\",\"MagnitudImpuestoInterno\":\"0\","
      "\"ModoBaseTotal\":\"T\"";
  const struct {
    const char* command;
    std::string fields;
  } steps[] = {
      {"AbrirDocumento", "\"CodigoComprobante\":\"83\""},
      {"ImprimirItem", "\"Descripcion\":\"Caf\u00e9 con leche\"," + item},
      {"ImprimirPago", "\"Descripcion\":\"Efectivo\",\"Monto\":\"2.50\",\"Operacion\":\"T\""},
      {"CerrarDocumento", ""},
  };
  unsigned sequence = 1;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.command);
    const std::string seq = std::to_string(sequence++);
    HttpAnswer json =
        HttpRequest(port, "POST", "/fiscal.json", "application/json",
                    std::string("{\"") + s.command + "\":{" + s.fields +
                        (s.fields.empty() ? "" : ",") + "\"Secuencia\":\"" + seq + "\"}}");
    EXPECT_EQ(json.Status, 200);
    EXPECT_EQ(Zorbel::EndToEnd::Compact(json.Body).rfind(
                  std::string("{\"") + s.command + "\":{\"Secuencia\":\"" + seq + "\"", 0),
              0u)
        << json.Body;
    EXPECT_EQ(json.Body.find("ErrorEjecucion"), std::string::npos) << json.Body;
  }
  // The same sale as XML, its description in ISO-8859-1 (0xE9 is "e" with
  // an acute accent).
  const char* xml_steps[][2] = {
      {"AbrirDocumento", "<CodigoComprobante>83</CodigoComprobante>"},
      {"ImprimirItem",
       "<Descripcion>Caf\xE9 con leche</Descripcion><Cantidad>1</Cantidad>"
       "<PrecioUnitario>2.50</PrecioUnitario><CondicionIVA>7</CondicionIVA>"
       "<AlicuotaIVA>21.00</AlicuotaIVA><OperacionMonto>M</OperacionMonto>"
       "<MagnitudImpuestoInterno>0</MagnitudImpuestoInterno><ModoBaseTotal>T</ModoBaseTotal>"},
      {"ImprimirPago",
       "<Descripcion>Efectivo</Descripcion><Monto>2.50</Monto><Operacion>T</Operacion>"},
      {"CerrarDocumento", ""},
  };
  for (const auto& s : xml_steps) {
    SCOPED_TRACE(s[0]);
    const std::string seq = std::to_string(sequence++);
    HttpAnswer xml =
        HttpRequest(port, "POST", "/fiscal.xml", "text/xml; charset=ISO-8859-1",
                    std::string("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><") + s[0] + ">" +
                        s[1] + "<Secuencia>" + seq + "</Secuencia></" + s[0] + ">");
    EXPECT_EQ(xml.Status, 200);
    EXPECT_NE(xml.ContentType.find("text/xml"), std::string::npos) << xml.ContentType;
    const std::string body = Zorbel::EndToEnd::Compact(xml.Body);
    const std::string open = std::string("<") + s[0] + "><Secuencia>" + seq + "</Secuencia>";
    EXPECT_NE(body.find(open), std::string::npos) << xml.Body;
    EXPECT_EQ(body.find("<Error>"), std::string::npos) << xml.Body;
    EXPECT_EQ(body.find("ErrorEjecucion"), std::string::npos) << xml.Body;
  }
  program_->Signal(SIGTERM);
  EXPECT_EQ(program_->Wait(std::chrono::seconds(30)), 0) << Err();

  const std::string trace = Trace();
  std::size_t cafe = 0;
  for (std::size_t at = trace.find("Caf[82h] con leche"); at != std::string::npos;
       at = trace.find("Caf[82h] con leche", at + 1))
    ++cafe;
  EXPECT_EQ(cafe, 2u) << trace;
  EXPECT_EQ(emu_->GetStats().Executed.load(), 8u) << trace;
  EXPECT_EQ(emu_->GetStats().Replayed.load(), 0u);
  emu_->Stop();
  emulator_.join();
  EXPECT_FALSE(emu_->Controller().DocumentOpen());
  EXPECT_EQ(emu_->Controller().LastNumber(83), 2u);
}

class SlowProgramProcess : public ProgramProcess {
 protected:
  SlowProgramProcess() { options_.SlowMs = 20000; }
};

// SIGTERM (the service manager's stop) while the controller prints: the
// client still gets the error document, and the program ends cleanly.
TEST_F(SlowProgramProcess, TerminationDuringSlowPrintEndsCleanly) {
  const unsigned port = FreePort();
  ASSERT_NE(port, 0u);
  StartProgram(port, true);
  HttpAnswer a;
  std::thread client([&] {
    a = HttpRequest(port, "POST", "/fiscal.json", "application/json",
                    R"({"ImprimirTextoFiscal":{"Texto":"Lento","Secuencia":"4"}})", 30000);
  });
  for (int i = 0; i < 1000 && emu_->GetStats().Packets.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(emu_->GetStats().Packets.load(), 1u);
  program_->Signal(SIGTERM);
  const int code = program_->Wait(std::chrono::seconds(30));
  client.join();
  EXPECT_EQ(code, 0) << Err();
  EXPECT_EQ(a.Status, 200);
  EXPECT_NE(a.Body.find("PROTOCOL_ABORTED"), std::string::npos) << a.Body;
  std::string log = Log();
  while (!log.empty() && (log.back() == '\n' || log.back() == '\r')) log.pop_back();
  const std::string last = log.substr(log.rfind('\n') + 1);
  EXPECT_NE(last.find("Service stopped"), std::string::npos) << log;
}

// The index page as a browser shows it: the title and the log's lines, and
// client text traced into the log (debug level 3) shown as text, never as
// markup of the page.
TEST_F(ProgramProcess, IndexPageInHeadlessBrowser) {
  if (::access(CHROMIUM, X_OK) != 0) GTEST_SKIP() << CHROMIUM << " is not installed";
  const unsigned port = FreePort();
  ASSERT_NE(port, 0u);
  debug_level_ = 3;
  StartProgram(port, true);
  EXPECT_EQ(HttpRequest(port, "POST", "/fiscal.json", "application/json",
                        R"({"ImprimirTextoFiscal":{"Texto":"<i id=\"forged\">x</i>"}})")
                .Status,
            200);
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
  Child browser;
  ASSERT_TRUE(browser.Start(
      {CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
       "--no-first-run", "--user-data-dir=" + (dir_ / "chromium").string(), "--dump-dom", url},
      dir_, dir_ / "dom.html", dir_ / "chromium.err"));
  ASSERT_EQ(browser.Wait(std::chrono::seconds(90)), 0) << ReadFile(dir_ / "chromium.err");
  const std::string dom = ReadFile(dir_ / "dom.html");
  EXPECT_NE(dom.find("<title>Registro</title>"), std::string::npos) << dom;
  const std::string serving =
      std::string("Serial ") + pty_.SlavePath() + " to HTTP " + std::to_string(port);
  EXPECT_NE(dom.find(serving), std::string::npos) << dom;
  EXPECT_NE(dom.find("&lt;i id="), std::string::npos) << dom;
  EXPECT_EQ(dom.find("<i id="), std::string::npos) << dom;
  // The dashboard above the log: the status and the command just sent.
  EXPECT_NE(dom.find("<div class=\"estado\" id=\"estado\">"), std::string::npos) << dom;
  const std::size_t table = dom.find("<table class=\"comandos\">");
  ASSERT_NE(table, std::string::npos) << dom;
  EXPECT_NE(dom.find("ImprimirTextoFiscal", table), std::string::npos) << dom;
  EXPECT_LT(table, dom.find("<pre>")) << dom;

  // The page as the technician sees it, kept with the build's test output.
  const std::filesystem::path shots = ZORBEL_TEST_OUTPUT_DIR;
  std::filesystem::create_directories(shots);
  const std::filesystem::path shot = shots / "index-dashboard.png";
  std::filesystem::remove(shot);
  Child camera;
  ASSERT_TRUE(camera.Start(
      {CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
       "--no-first-run", "--user-data-dir=" + (dir_ / "chromium").string(), "--hide-scrollbars",
       "--window-size=1280,1400", "--screenshot=" + shot.string(), url},
      dir_, dir_ / "shot.out", dir_ / "shot.err"));
  ASSERT_EQ(camera.Wait(std::chrono::seconds(90)), 0) << ReadFile(dir_ / "shot.err");
  EXPECT_EQ(ReadFile(shot).substr(0, 8), "\x89PNG\r\n\x1a\n") << ReadFile(dir_ / "shot.err");
  std::printf("index page screenshot: %s\n", shot.c_str());
  program_->Signal(SIGTERM);
  EXPECT_EQ(program_->Wait(std::chrono::seconds(30)), 0) << Err();
  std::filesystem::remove_all(dir_ / "chromium");  // the browser's profile, megabytes
}

}  // namespace
