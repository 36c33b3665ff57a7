#include "app/program.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/fake_service_manager.h"
#include "testing/scratch_dir.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/log.h"
#include "vxb/common/runtime/system.h"

namespace {

// A front end that, once started, asks for the stop the way a terminal's
// Ctrl-C or the service manager's SIGTERM does.
class SelfStoppingFrontEnd : public Zorbel::FrontEnd {
 public:
  bool Start(VXB::Driver::Generic&, VXP::CommunicationsProtocol::EventHandlerCallback) override {
    std::raise(SIGTERM);
    return true;
  }
  void Stop() override {}
  void WaitStopped() override {}
};

std::unique_ptr<Zorbel::FrontEnd> MakeSelfStopping(const Zorbel::ConfigParams&, const char*) {
  return std::make_unique<SelfStoppingFrontEnd>();
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("INVOCATION_ID");
    ::unsetenv("NOTIFY_SOCKET");
    previous_ = std::filesystem::current_path();
    dir_ = Testing::MakeScratchDir("program");
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    VXB::Log::SetFilename("log");
    std::filesystem::current_path(previous_);
  }
  void WriteConfig(const std::string& Elements) {
    std::ofstream(dir_ / "proxyconfig.xml") << "<config>" << Elements << "</config>\n";
  }
  int Run(std::vector<const char*> args, std::string* Out = nullptr, std::string* Err = nullptr) {
    args.insert(args.begin(), "zorbel");
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int code =
        Zorbel::RunProgram(static_cast<int>(args.size()), args.data(), MakeSelfStopping);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (Out != nullptr) *Out = out;
    if (Err != nullptr) *Err = err;
    return code;
  }
  std::string Log() {
    std::ifstream in(dir_ / "zorbel.log1.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path previous_;
  std::filesystem::path dir_;
};

TEST_F(ProgramTest, TestRunEndsCleanlyOnTermination) {
  VXB::PseudoTerminal pty;
  ASSERT_TRUE(pty.Open());
  WriteConfig(std::string("<SerialPort>") + pty.SlavePath() +
              "</SerialPort><HttpPort>8123</HttpPort>");
  std::string out;
  EXPECT_EQ(Run({"test"}, &out), 0);
  EXPECT_NE(out.find(std::string("SerialPort [") + pty.SlavePath() + "]\n"), std::string::npos);
  const std::string log = Log();
  EXPECT_NE(log.find("[ServiceClass] Serial " + std::string(pty.SlavePath()) + " to HTTP 8123..."),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("[ServiceClass] Service stopped\r\n"), std::string::npos) << log;
}

TEST_F(ProgramTest, StartUpFailureIsPrintedLoggedAndExitsOne) {
  WriteConfig("<SerialPort>/nonexistent/ttyQ</SerialPort><HttpPort>8123</HttpPort>");
  std::string err;
  EXPECT_EQ(Run({"TEST"}, nullptr, &err), 1);
  EXPECT_NE(
      err.find("Error de apertura: Can't open /nonexistent/ttyQ: No such file or directory\n"),
      std::string::npos)
      << err;
  EXPECT_NE(
      Log().find(
          "[main] Error de apertura: Can't open /nonexistent/ttyQ: No such file or directory\r\n"),
      std::string::npos)
      << Log();

  WriteConfig("<SerialPort>COM1</SerialPort><BaudRate>9600.5</BaudRate>");
  EXPECT_EQ(Run({"test"}, nullptr, &err), 1);
  // One line, converted for the terminal.
  EXPECT_EQ(err, "Error de par\xC3\xA1metros: Velocidad 9600.500000 no es v\xC3\xA1lida\n");
}

TEST_F(ProgramTest, OutsideTheServiceManagerPointsAtTest) {
  // An unknown word takes the same way as none (and keeps the log here).
  std::string err;
  EXPECT_EQ(Run({"start"}, nullptr, &err), 1);
  EXPECT_NE(err.find("use \"zorbel test\""), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST_F(ProgramTest, InstallAndUninstallUseTheConfiguredService) {
  Testing::FakeServiceManager m;
  WriteConfig(
      "<ServiceName> Caja 1 </ServiceName><AutomaticStart>no</AutomaticStart>"
      "<ServiceDescription>Puente de la caja 1</ServiceDescription>");
  std::string out;
  EXPECT_EQ(Run({"install"}, &out), 0);
  EXPECT_NE(out.find("Servicio instalado\n"), std::string::npos) << out;
  ASSERT_EQ(m.Units.count("Caja-1.service"), 1u);
  EXPECT_NE(m.Units["Caja-1.service"].find("\nDescription=Puente de la caja 1\n"),
            std::string::npos);
  EXPECT_EQ(m.Calls.back(), "disable Caja-1.service");

  m.States["Caja-1.service"] = "active";
  std::string err;
  EXPECT_EQ(Run({"uninstall"}, nullptr, &err), 1);
  EXPECT_NE(err.find("Caja-1.service is active; stop it first"), std::string::npos) << err;
  EXPECT_EQ(m.Units.count("Caja-1.service"), 1u);

  m.Units["Caja-1.service"] = "[Unit]\n";  // someone else's now
  m.States["Caja-1.service"] = "inactive";
  EXPECT_EQ(Run({"uninstall"}), 1);
  EXPECT_EQ(m.Units["Caja-1.service"], "[Unit]\n");
}

// A shop's configuration says yes in its own words: any value that begins
// with y or s, in either case, installs a service that starts with the
// system; any other value one started on demand. An element without text
// sets nothing, so the default (automatic) stays.
TEST_F(ProgramTest, AutomaticStartInTheShopsWords) {
  const struct {
    const char* value;
    const char* call;
  } cases[] = {
      {"Si", "enable Z.service"},  {"SI", "enable Z.service"}, {"si", "enable Z.service"},
      {"yes", "enable Z.service"}, {"Y", "enable Z.service"},  {"No", "disable Z.service"},
      {"n", "disable Z.service"},  {"", "enable Z.service"},   {"x", "disable Z.service"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Testing::FakeServiceManager m;
    WriteConfig(std::string("<ServiceName>Z</ServiceName><AutomaticStart>") + c.value +
                "</AutomaticStart>");
    EXPECT_EQ(Run({"install"}), 0);
    ASSERT_FALSE(m.Calls.empty());
    EXPECT_EQ(m.Calls.back(), c.call);
  }
}

TEST_F(ProgramTest, DirectoryIsTheExecutablesWithoutAWordElseTheCurrentOne) {
  char self[4096];
  ASSERT_TRUE(VXB::System::GetProgramPath(self, sizeof self));
  const std::string want = std::filesystem::path(self).parent_path().string();
  char dir[Zorbel::MAX_DIRECTORY];
  // Started through the search path: argv[0] has no directory at all.
  const char* bare[] = {"zorbel"};
  ASSERT_TRUE(Zorbel::ProgramDirectory(1, bare, dir, sizeof dir));
  EXPECT_EQ(std::string(dir), want);
  const char* with_word[] = {"zorbel", "test"};
  ASSERT_TRUE(Zorbel::ProgramDirectory(2, with_word, dir, sizeof dir));
  EXPECT_EQ(std::filesystem::path(dir), std::filesystem::current_path());
}

}  // namespace
