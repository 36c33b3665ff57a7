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
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/http_client.h"
#include "testing/scratch_dir.h"
#include "vxb/common/error.h"
#include "vxb/common/serial_port.h"
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
    emu_ = std::make_unique<ZorbelEmulator::Emulator>(pty_, options_);
    emulator_ = std::thread([this] { emu_->Serve(); });
  }

  void TearDown() override {
    program_.reset();
    emu_->Stop();
    emulator_.join();
  }

  void WriteConfig(unsigned Port) {
    std::ofstream(dir_ / "proxyconfig.xml")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\n  <SerialPort>"
        << pty_.SlavePath() << "</SerialPort>\n  <BaudRate>9600</BaudRate>\n  <HttpPort>" << Port
        << "</HttpPort>\n  <DebugLevel>1</DebugLevel>\n</config>\n";
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

  std::string Err() { return ReadFile(dir_ / "err.txt"); }
  std::string Log() { return ReadFile(dir_ / "zorbel.log1.log"); }

  std::filesystem::path dir_;
  ZorbelEmulator::Options options_;
  VXB::PseudoTerminal pty_;
  std::unique_ptr<ZorbelEmulator::Emulator> emu_;
  std::thread emulator_;
  std::unique_ptr<Child> program_;
};

// Another program holds the HTTP port: the start-up fails with exit 1 and
// says why on the error output; the program does not stay running deaf.
TEST_F(ProgramProcess, HttpPortInUseEndsStartUp) {
  Listener taken;
  ASSERT_NE(taken.Port(), 0u);
  StartProgram(taken.Port(), false);
  EXPECT_EQ(program_->Wait(std::chrono::seconds(30)), 1);
  // One line that names the failing step.
  const std::string err = Err();
  EXPECT_NE(err.find("bind"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_EQ(emu_->GetStats().BytesReceived.load(), 0u);
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

// The index page as a browser shows it: the title and the log's lines.
TEST_F(ProgramProcess, IndexPageInHeadlessBrowser) {
  if (::access(CHROMIUM, X_OK) != 0) GTEST_SKIP() << CHROMIUM << " is not installed";
  const unsigned port = FreePort();
  ASSERT_NE(port, 0u);
  StartProgram(port, true);
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
  program_->Signal(SIGTERM);
  EXPECT_EQ(program_->Wait(std::chrono::seconds(30)), 0) << Err();
}

}  // namespace
