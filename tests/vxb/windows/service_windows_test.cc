// The service wrapper against the service control manager (Wine's in the
// test runs): what install registers, the refusals of install and
// uninstall, the console run and a dispatcher started from a console.
#include "vxb/common/service.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "vxb/common/error.h"

namespace {

unsigned LastErr() { return VXB::Error::GetLastError()->Error; }
std::string LastContext() { return VXB::Error::GetLastError()->Context; }

class RecordingService : public VXB::Service {
 public:
  RecordingService(const char* Name, bool Automatic)
      : VXB::Service(Name, "Servicio de prueba"), automatic_(Automatic) {}
  bool ServiceBody(unsigned argc, const char* const* argv, const std::atomic<bool>& Stop) override {
    for (unsigned i = 0; i < argc; ++i) args.push_back(argv[i]);
    stop_seen = Stop.load();
    return result;
  }
  bool AutomaticStart() override { return automatic_; }

  std::vector<std::string> args;
  bool stop_seen = true;
  bool result = true;

 private:
  bool automatic_;
};

std::string UniqueName(const char* Kind) {
  return std::string("ZorbelTest ") + Kind + " " + std::to_string(GetCurrentProcessId());
}

bool Main(VXB::Service& s, const char* Word) {
  const char* argv[] = {"zorbel.exe", Word, nullptr};
  return VXB::Service::Main(&s, Word != nullptr ? 2 : 1, argv);
}

// What the manager holds for a service; Exists false when it has none.
struct Registered {
  bool Exists = false;
  DWORD StartType = 0;
  std::string Command;
  std::string Description;
};

Registered Lookup(const std::string& Name) {
  Registered r;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return r;
  SC_HANDLE service = OpenServiceA(manager, Name.c_str(), SERVICE_QUERY_CONFIG);
  if (service != nullptr) {
    r.Exists = true;
    std::vector<unsigned char> buffer(8192);
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (QueryServiceConfigA(service, config, static_cast<DWORD>(buffer.size()), &needed)) {
      r.StartType = config->dwStartType;
      r.Command = config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : "";
    }
    if (QueryServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                             static_cast<DWORD>(buffer.size()), &needed)) {
      const auto* d = reinterpret_cast<SERVICE_DESCRIPTIONA*>(buffer.data());
      r.Description = d->lpDescription != nullptr ? d->lpDescription : "";
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return r;
}

TEST(ServiceWindowsTest, InstallRegistersThisProgramAndUninstallRemovesIt) {
  for (const bool automatic : {true, false}) {
    SCOPED_TRACE(automatic ? "automatic" : "on demand");
    const std::string name = UniqueName(automatic ? "auto" : "demand");
    RecordingService s(name.c_str(), automatic);
    ASSERT_TRUE(Main(s, "Install")) << LastContext();
    const Registered r = Lookup(name);
    ASSERT_TRUE(r.Exists);
    EXPECT_EQ(r.StartType, automatic ? DWORD{SERVICE_AUTO_START} : DWORD{SERVICE_DEMAND_START});
    char path[1024];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    EXPECT_EQ(r.Command, std::string("\"") + path + "\"");
    EXPECT_EQ(r.Description, "Servicio de prueba");

    // A second install leaves the registered service alone and fails.
    EXPECT_FALSE(Main(s, "install"));
    EXPECT_EQ(LastErr(), VXB::Error::SYSTEM_SERVICE_ERROR);
    EXPECT_EQ(LastContext(), "Install: CreateService fail (1073)");

    ASSERT_TRUE(Main(s, "UNINSTALL")) << LastContext();
    EXPECT_FALSE(Lookup(name).Exists);
    EXPECT_FALSE(Main(s, "uninstall"));
    EXPECT_EQ(LastContext(), "Uninstall: OpenService fail (1060)");
  }
}

TEST(ServiceWindowsTest, UninstallLeavesAnotherProgramsServiceAlone) {
  const std::string name = UniqueName("foreign");
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  ASSERT_NE(manager, nullptr);
  SC_HANDLE foreign =
      CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                     "\"C:\\otro\\programa.exe\"", nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(foreign, nullptr);
  RecordingService s(name.c_str(), false);
  EXPECT_FALSE(Main(s, "uninstall"));
  EXPECT_EQ(LastErr(), VXB::Error::SYSTEM_SERVICE_ERROR);
  EXPECT_EQ(LastContext(), "Uninstall: service " + name + " runs another program");
  EXPECT_TRUE(Lookup(name).Exists);
  DeleteService(foreign);
  CloseServiceHandle(foreign);
  CloseServiceHandle(manager);
}

TEST(ServiceWindowsTest, ConsoleRunDropsTheWordAndGivesTheBodysResult) {
  RecordingService s(UniqueName("console").c_str(), false);
  const char* argv[] = {"zorbel.exe", "TeSt", "uno", "dos", nullptr};
  EXPECT_TRUE(VXB::Service::Main(&s, 4, argv));
  EXPECT_EQ(s.args, (std::vector<std::string>{"zorbel.exe", "uno", "dos"}));
  EXPECT_FALSE(s.stop_seen);
  s.result = false;
  EXPECT_FALSE(Main(s, "test"));
}

TEST(ServiceWindowsTest, TheDispatcherFromAConsoleFailsPointingAtTest) {
  RecordingService s(UniqueName("dispatcher").c_str(), false);
  EXPECT_FALSE(Main(s, nullptr));
  EXPECT_EQ(LastErr(), VXB::Error::SYSTEM_SERVICE_ERROR);
  EXPECT_EQ(LastContext().rfind("Run: StartServiceCtrlDispatcher fail (1063)", 0), 0u)
      << LastContext();
  EXPECT_TRUE(s.args.empty());
}

}  // namespace
