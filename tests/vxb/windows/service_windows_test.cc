// The service wrapper against the service control manager (Wine's in the
// test runs): what install registers, the refusals of install and
// uninstall, the console run, a dispatcher started from a console, and this
// program run by the manager as a service (main's "--as-service"): the
// status it reports when its body serves, stops or fails.
#include "vxb/common/service/service.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "vxb/common/runtime/error.h"

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
  // The failure actions' delays (0: not a restart), when the manager tells
  // them (Wine's does not).
  std::optional<std::vector<DWORD>> Restarts;
};

Registered LookupOnce(const std::string& Name, DWORD& Why) {
  Registered r;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) {
    Why = GetLastError();
    return r;
  }
  SC_HANDLE service = OpenServiceA(manager, Name.c_str(), SERVICE_QUERY_CONFIG);
  if (service == nullptr) Why = GetLastError();
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
    if (QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(),
                             static_cast<DWORD>(buffer.size()), &needed)) {
      const auto* f = reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(buffer.data());
      r.Restarts.emplace();
      for (DWORD i = 0; i < f->cActions; ++i) {
        r.Restarts->push_back(f->lpsaActions[i].Type == SC_ACTION_RESTART ? f->lpsaActions[i].Delay
                                                                          : 0);
      }
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return r;
}

// The manager's record once it agrees with Expected (registered or not),
// looked up again for a few seconds: a manager still starting in a fresh
// prefix, busy with another program's requests, can answer late.
Registered Lookup(const std::string& Name, bool Expected = true) {
  DWORD why = 0;
  Registered r = LookupOnce(Name, why);
  for (int i = 0; i < 200 && r.Exists != Expected; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    r = LookupOnce(Name, why);
  }
  if (r.Exists != Expected) ADD_FAILURE() << Name << ": manager's answer " << why;
  return r;
}

// Deletes the named service, if it is registered, when it goes out of scope:
// a test that fails half-way leaves no service behind in the prefix (an
// automatic one would be started at every later start of Wine).
class ServiceRemoval {
 public:
  explicit ServiceRemoval(std::string Name) : name_(std::move(Name)) {}
  ~ServiceRemoval() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return;
    if (SC_HANDLE service = OpenServiceA(manager, name_.c_str(), DELETE)) {
      DeleteService(service);
      CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
  }
  ServiceRemoval(const ServiceRemoval&) = delete;
  ServiceRemoval& operator=(const ServiceRemoval&) = delete;

 private:
  std::string name_;
};

TEST(ServiceWindowsTest, InstallRegistersThisProgramAndUninstallRemovesIt) {
  for (const bool automatic : {true, false}) {
    SCOPED_TRACE(automatic ? "automatic" : "on demand");
    const std::string name = UniqueName(automatic ? "auto" : "demand");
    const ServiceRemoval removal(name);
    RecordingService s(name.c_str(), automatic);
    ASSERT_TRUE(Main(s, "Install")) << LastContext();
    const Registered r = Lookup(name);
    ASSERT_TRUE(r.Exists);
    EXPECT_EQ(r.StartType, automatic ? DWORD{SERVICE_AUTO_START} : DWORD{SERVICE_DEMAND_START});
    char path[1024];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    EXPECT_EQ(r.Command, std::string("\"") + path + "\"");
    EXPECT_EQ(r.Description, "Servicio de prueba");
    if (r.Restarts) {
      EXPECT_EQ(*r.Restarts, (std::vector<DWORD>{5000, 5000, 60000}));
    }

    // A second install leaves the registered service alone and fails.
    EXPECT_FALSE(Main(s, "install"));
    EXPECT_EQ(LastErr(), VXB::Error::SYSTEM_SERVICE_ERROR);
    EXPECT_EQ(LastContext(), "Install: CreateService fail (1073)");

    ASSERT_TRUE(Main(s, "UNINSTALL")) << LastContext();
    EXPECT_FALSE(Lookup(name, false).Exists);
    EXPECT_FALSE(Main(s, "uninstall"));
    EXPECT_EQ(LastContext(), "Uninstall: OpenService fail (1060)");
  }
}

TEST(ServiceWindowsTest, UninstallLeavesAnotherProgramsServiceAlone) {
  const std::string name = UniqueName("foreign");
  const ServiceRemoval removal(name);
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

// This program as the manager runs it (main's "--as-service"): the body does
// what the start arguments ask.
//   fail          fails opening a port, as a bridge whose controller is gone
//   serve MARKER  reports ready, waits for the stop, and only a while later
//                 writes MARKER and returns: a STOPPED reported before the
//                 body had returned would be seen with no MARKER yet
class ProbeService : public VXB::Service {
 public:
  explicit ProbeService(const char* Name) : VXB::Service(Name, "Servicio de prueba") {}
  bool ServiceBody(unsigned argc, const char* const* argv, const std::atomic<bool>& Stop) override {
    const std::string_view mode = argc >= 2 ? argv[1] : "";
    if (mode == "serve" && argc >= 3) {
      ReportReady();
      while (!Stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      if (FILE* f = std::fopen(argv[2], "w")) {
        std::fputs("fin", f);
        std::fclose(f);
      }
      return true;
    }
    return VXB::Error::SetWithContext(VXB::Error::IO_OPEN_ERROR, "Can't open COM9");
  }
};

// A service registered to run this test program with "--as-service",
// removed when the test ends.
class ServiceRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager_, nullptr) << GetLastError();
    char path[1024];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    const std::string command = std::string("\"") + path + "\" --as-service \"" + name_ + "\"";
    service_ = CreateServiceA(manager_, name_.c_str(), name_.c_str(), SERVICE_ALL_ACCESS,
                              SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                              command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(service_, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (service_ != nullptr) {
      SERVICE_STATUS status{};
      if (QueryServiceStatus(service_, &status) && status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(service_, SERVICE_CONTROL_STOP, &status);
        WaitFor(SERVICE_STOPPED);
      }
      // The manager keeps a started service until its process has ended;
      // deleting it before that can leave it registered.
      if (process_ != nullptr) {
        WaitForSingleObject(process_, 30000);
        CloseHandle(process_);
      }
      DeleteService(service_);
      CloseServiceHandle(service_);
      Lookup(name_, false);
    }
    if (manager_ != nullptr) CloseServiceHandle(manager_);
  }

  // Starts the service with Args and keeps a handle on its process.
  bool Start(std::vector<const char*> Args) {
    if (!StartServiceA(service_, static_cast<DWORD>(Args.size()), Args.data())) return false;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (QueryServiceStatusEx(service_, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                             sizeof status, &needed) &&
        status.dwProcessId != 0) {
      process_ = OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
    }
    return true;
  }

  // The status once the service is in State, or the last one seen after
  // thirty seconds.
  SERVICE_STATUS WaitFor(DWORD State) {
    SERVICE_STATUS status{};
    for (int i = 0; i < 3000; ++i) {
      if (QueryServiceStatus(service_, &status) && status.dwCurrentState == State) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
  }

  const std::string name_ = UniqueName("run");
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
  HANDLE process_ = nullptr;
};

TEST_F(ServiceRunTest, AFailedBodyStopsWithItsErrorNumber) {
  ASSERT_TRUE(Start({"fail"})) << GetLastError();
  const SERVICE_STATUS status = WaitFor(SERVICE_STOPPED);
  EXPECT_EQ(status.dwCurrentState, DWORD{SERVICE_STOPPED});
  EXPECT_EQ(status.dwWin32ExitCode, DWORD{ERROR_SERVICE_SPECIFIC_ERROR});
  EXPECT_EQ(status.dwServiceSpecificExitCode, DWORD{VXB::Error::IO_OPEN_ERROR});
}

TEST_F(ServiceRunTest, AStopReachesTheBodyAndStoppedComesAfterItReturns) {
  char dir[1024];
  ASSERT_GT(GetTempPathA(sizeof dir, dir), 0u);
  const std::string marker = std::string(dir) + name_ + ".fin";
  DeleteFileA(marker.c_str());
  ASSERT_TRUE(Start({"serve", marker.c_str()})) << GetLastError();
  SERVICE_STATUS status = WaitFor(SERVICE_RUNNING);
  ASSERT_EQ(status.dwCurrentState, DWORD{SERVICE_RUNNING});
  EXPECT_EQ(status.dwControlsAccepted, DWORD{SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN});
  ASSERT_TRUE(ControlService(service_, SERVICE_CONTROL_STOP, &status)) << GetLastError();
  status = WaitFor(SERVICE_STOPPED);
  EXPECT_EQ(status.dwCurrentState, DWORD{SERVICE_STOPPED});
  EXPECT_EQ(GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES, true)
      << "STOPPED was reported before the body returned";
  EXPECT_EQ(status.dwWin32ExitCode, DWORD{NO_ERROR});
  DeleteFileA(marker.c_str());
}

}  // namespace

// Started by the manager for ServiceRunTest, the program is the service;
// otherwise it runs the tests.
int main(int argc, char** argv) {
  if (argc >= 3 && std::string_view(argv[1]) == "--as-service") {
    ProbeService service(argv[2]);
    const char* args[] = {argv[0], nullptr};
    return VXB::Service::Main(&service, 1, args) ? 0 : 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
