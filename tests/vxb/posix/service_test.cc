#include "vxb/common/service/service.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <string>
#include <vector>

#include "testing/fake_service_manager.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"

namespace {

// Records how its body was run; the body can ask for its own stop the way
// Ctrl-C does and then waits for the flag.
class RecordingService : public VXB::Service {
 public:
  RecordingService() : VXB::Service("Vardex Zorbel", "Puente") {}
  bool ServiceBody(unsigned argc, const char* const* argv, const std::atomic<bool>& Stop) override {
    ++Runs;
    Args.assign(argv, argv + argc);
    if (RaiseSignal != 0) {
      std::raise(RaiseSignal);
      while (!Stop.load()) VXB::System::Sleep(1);
      StoppedBySignal = true;
    }
    return Result;
  }
  bool AutomaticStart() override { return Automatic; }

  int Runs = 0;
  std::vector<std::string> Args;
  int RaiseSignal = 0;
  bool StoppedBySignal = false;
  bool Result = true;
  bool Automatic = true;
};

class ServiceMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("INVOCATION_ID");
    ::unsetenv("NOTIFY_SOCKET");
  }
  void TearDown() override { ::unsetenv("INVOCATION_ID"); }
  bool Main(std::vector<const char*> args) {
    args.insert(args.begin(), "/usr/local/bin/zorbel");
    return VXB::Service::Main(&service_, static_cast<int>(args.size()), args.data());
  }
  RecordingService service_;
};

TEST_F(ServiceMainTest, TestWordInAnyCaseRunsTheBodyWithoutIt) {
  for (const char* word : {"test", "TeSt", "TEST"}) {
    service_.Runs = 0;
    ASSERT_TRUE(Main({word, "x", "y"}));
    EXPECT_EQ(service_.Runs, 1);
    EXPECT_EQ(service_.Args, (std::vector<std::string>{"/usr/local/bin/zorbel", "x", "y"}));
  }
  service_.Result = false;
  EXPECT_FALSE(Main({"test"}));
}

TEST_F(ServiceMainTest, InterruptOrTerminationStopsATerminalRun) {
  for (const int signal : {SIGINT, SIGTERM}) {
    RecordingService service;  // a new service clears the stop flag
    service.RaiseSignal = signal;
    const char* argv[] = {"zorbel", "test"};
    EXPECT_TRUE(VXB::Service::Main(&service, 2, argv));
    EXPECT_TRUE(service.StoppedBySignal);
    EXPECT_TRUE(VXB::Service::StopRequested());
  }
  // The handlers are gone with the run: the default action is back.
  struct sigaction now {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST_F(ServiceMainTest, WithoutAWordRunsOnlyUnderTheServiceManager) {
  for (std::vector<const char*> args : {std::vector<const char*>{}, {"start"}}) {
    service_.Runs = 0;
    EXPECT_FALSE(Main(args));
    EXPECT_EQ(service_.Runs, 0);
    EXPECT_EQ(VXB::Error::GetLastError()->Error, VXB::Error::SYSTEM_SERVICE_ERROR);
    EXPECT_STREQ(VXB::Error::GetLastError()->Context,
                 "Run: not started by the service manager; use \"zorbel test\" to run in this "
                 "terminal");
  }
  ::setenv("INVOCATION_ID", "0123456789abcdef", 1);
  EXPECT_TRUE(Main({}));
  EXPECT_EQ(service_.Runs, 1);
  service_.Result = false;  // a failed body is a failed service
  EXPECT_FALSE(Main({}));
}

TEST_F(ServiceMainTest, InstallAndUninstallThroughTheServiceManager) {
  Testing::FakeServiceManager m;
  char self[4096];
  ASSERT_TRUE(VXB::System::GetProgramPath(self, sizeof self));
  ::testing::internal::CaptureStdout();
  ASSERT_TRUE(Main({"InStAlL"}));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Servicio instalado\n");
  const std::string& unit = m.Units["Vardex-Zorbel.service"];
  EXPECT_NE(unit.find(std::string("\nExecStart=\"") + self + "\"\n"), std::string::npos) << unit;
  std::string dir = self;
  dir.erase(dir.rfind('/'));
  EXPECT_NE(unit.find("\nWorkingDirectory=" + dir + "\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("\nDescription=Puente\n"), std::string::npos) << unit;

  m.States["Vardex-Zorbel.service"] = "active";
  EXPECT_FALSE(Main({"uninstall"}));
  EXPECT_EQ(m.Units.count("Vardex-Zorbel.service"), 1u);

  m.States["Vardex-Zorbel.service"] = "inactive";
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(Main({"Uninstall"}));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Servicio desinstalado\n");
  EXPECT_EQ(m.Units.count("Vardex-Zorbel.service"), 0u);
  EXPECT_EQ(service_.Runs, 0);
}

}  // namespace
