// The service wrapper on Windows: the service control manager for install,
// uninstall and the service run; the console's control handler for stop
// requests in a console run.
//
// Under the manager the body runs on the thread the manager gives
// ServiceMain while the main thread stays in the dispatcher, which also
// runs the control handler. The handler reaches the body only through the
// atomic stop flag. The status reports go from START_PENDING to RUNNING
// when the body says it serves (ReportReady), to STOP_PENDING on a stop or
// shutdown request, and to STOPPED only after the body has returned; a body
// that failed stops with a service-specific exit code, its error number, so
// that the manager (and its event log) shows the failure.
#include "vxb/common/service/service.h"
#include "vxb/common/service/service_internal.h"

#include <windows.h>
#undef MAX_PATH  // the file-system layer has its own

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/system.h"

namespace VXB {

namespace ServiceInternal {

// The manager's view of the service, guarded by g_status_lock: the body's
// thread and the control handler both report.
std::mutex g_status_lock;
SERVICE_STATUS g_status{};
SERVICE_STATUS_HANDLE g_status_handle = nullptr;

// The body's result and error record under the manager, for Main on the
// main thread once the dispatcher returns.
bool g_body_result = false;
Error::ErrInfo g_body_error;

constexpr DWORD START_WAIT_HINT = 30000;
constexpr DWORD STOP_WAIT_HINT = 10000;

// Reports State to the manager; nothing happens outside a manager run.
void Report(DWORD State, DWORD WaitHint = 0) {
  std::lock_guard<std::mutex> guard(g_status_lock);
  if (g_status_handle == nullptr) return;
  g_status.dwCurrentState = State;
  g_status.dwWaitHint = WaitHint;
  g_status.dwControlsAccepted =
      State == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  if (State == SERVICE_START_PENDING || State == SERVICE_STOP_PENDING) {
    ++g_status.dwCheckPoint;
  } else {
    g_status.dwCheckPoint = 0;
  }
  SetServiceStatus(g_status_handle, &g_status);
}

DWORD WINAPI ControlHandler(DWORD Control, DWORD, void*, void*) {
  switch (Control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      Report(SERVICE_STOP_PENDING, STOP_WAIT_HINT);
      g_stop.store(true);
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: {
      std::lock_guard<std::mutex> guard(g_status_lock);
      if (g_status_handle != nullptr) SetServiceStatus(g_status_handle, &g_status);
      return NO_ERROR;
    }
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD argc, LPSTR* argv) {
  {
    std::lock_guard<std::mutex> guard(g_status_lock);
    g_status = SERVICE_STATUS{};
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = SERVICE_STOPPED;
    g_status_handle = RegisterServiceCtrlHandlerExA(g_name, &ControlHandler, nullptr);
    if (g_status_handle == nullptr) {
      g_body_result =
          Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR,
                                "Run: RegisterServiceCtrlHandler fail (%lu)", GetLastError());
      g_body_error = *Error::GetLastError();
      return;
    }
  }
  Report(SERVICE_START_PENDING, START_WAIT_HINT);
  std::vector<const char*> args;
  for (DWORD i = 0; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  g_body_result = g_instance->ServiceBody(argc, args.data(), g_stop);
  g_body_error = *Error::GetLastError();

  Report(SERVICE_STOP_PENDING, STOP_WAIT_HINT);
  {
    std::lock_guard<std::mutex> guard(g_status_lock);
    if (g_body_result) {
      g_status.dwWin32ExitCode = NO_ERROR;
      g_status.dwServiceSpecificExitCode = 0;
    } else {
      g_status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
      g_status.dwServiceSpecificExitCode =
          g_body_error.Error != 0 ? g_body_error.Error : Error::SYSTEM_SERVICE_ERROR;
    }
  }
  // The manager may end the process as soon as it reads STOPPED.
  Report(SERVICE_STOPPED);
}

// The console's interrupts (Ctrl-C, Ctrl-Break, closing the window, logoff,
// shutdown) in a console run: the first asks the body to stop; a further
// one, while it stops, is passed on and ends the process.
BOOL WINAPI ConsoleHandler(DWORD) { return g_stop.exchange(true) ? FALSE : TRUE; }

bool RunInConsole(Service* s, unsigned argc, const char* const* argv) {
  SetConsoleCtrlHandler(&ConsoleHandler, TRUE);
  const bool result = s->ServiceBody(argc, argv, g_stop);
  SetConsoleCtrlHandler(&ConsoleHandler, FALSE);
  return result;
}

// Closes a manager handle when it goes out of scope.
class ScHandle {
 public:
  explicit ScHandle(SC_HANDLE h) : h_(h) {}
  ~ScHandle() {
    if (h_ != nullptr) CloseServiceHandle(h_);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
  SC_HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  SC_HANDLE h_;
};

bool Fail(const char* Format, DWORD Code) {
  return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, Format, static_cast<int>(Code));
}

// The command line the service is registered with: the program's path in
// quotes (a path with blanks would otherwise be split) and no arguments.
bool CommandLine(char* Out, unsigned Size) {
  char path[FileSystem::MAX_PATH * 2];
  if (!System::GetProgramPath(path, sizeof path)) return false;
  const int n = std::snprintf(Out, Size, "\"%s\"", path);
  return n > 0 && static_cast<unsigned>(n) < Size;
}

// As the Linux unit's Restart=on-failure: a service that stops with a
// failure (the controller's adapter not yet there at boot, the HTTP port
// taken) is started again by the manager, twice after five seconds and then
// once a minute; a day without failures starts the count again. Failures
// are those of the process and also a stop with an exit code (the flag).
// Like the description, this is recorded when refused, not failed.
void SetRestartOnFailure(SC_HANDLE Service) {
  SC_ACTION actions[] = {
      {SC_ACTION_RESTART, 5000}, {SC_ACTION_RESTART, 5000}, {SC_ACTION_RESTART, 60000}};
  SERVICE_FAILURE_ACTIONSA failure{};
  failure.dwResetPeriod = 24 * 60 * 60;
  failure.cActions = sizeof actions / sizeof actions[0];
  failure.lpsaActions = actions;
  SERVICE_FAILURE_ACTIONS_FLAG flag{};
  flag.fFailureActionsOnNonCrashFailures = TRUE;
  if (!ChangeServiceConfig2A(Service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure) ||
      !ChangeServiceConfig2A(Service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag)) {
    Fail("Install: ChangeServiceConfig2 fail (%d)", GetLastError());
  }
}

bool Install(Service* s) {
  const DWORD start = s->AutomaticStart() ? SERVICE_AUTO_START : SERVICE_DEMAND_START;
  const ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) return Fail("Install: OpenSCManager fail (%d)", GetLastError());
  char command[FileSystem::MAX_PATH * 2 + 3];
  if (!CommandLine(command, sizeof command)) {
    return Fail("Install: GetModuleFileName fail (%d)", GetLastError());
  }
  // A service of that name that exists already, ours or another program's,
  // is refused here (ERROR_SERVICE_EXISTS) and left as it is.
  const ScHandle service(CreateServiceA(manager.get(), g_name, g_name, SERVICE_ALL_ACCESS,
                                        SERVICE_WIN32_OWN_PROCESS, start, SERVICE_ERROR_IGNORE,
                                        command, nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!service) return Fail("Install: CreateService fail (%d)", GetLastError());
  SERVICE_DESCRIPTIONA description;
  description.lpDescription = g_description;
  if (!ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, &description)) {
    // The service works without its description: recorded, not failed.
    Fail("Install: ChangeServiceConfig2 fail (%d)", GetLastError());
  }
  SetRestartOnFailure(service.get());
  Console::Print("Servicio instalado\n");
  return true;
}

// The service's registered program is this one (compared without regard
// to case and quotes).
bool RunsThisProgram(SC_HANDLE Service) {
  DWORD needed = 0;
  QueryServiceConfigA(Service, nullptr, 0, &needed);
  if (needed == 0 || needed > 65536) return false;
  std::vector<unsigned char> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(Service, config, needed, &needed)) return false;
  char command[FileSystem::MAX_PATH * 2 + 3];
  if (!CommandLine(command, sizeof command) || config->lpBinaryPathName == nullptr) return false;
  auto unquoted = [](std::string_view s) {
    while (!s.empty() && (s.front() == '"' || s.front() == ' ')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == '"' || s.back() == ' ')) s.remove_suffix(1);
    return s;
  };
  return ASCII::EqualsIgnoringCase(unquoted(config->lpBinaryPathName), unquoted(command));
}

bool Uninstall() {
  const ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return Fail("Uninstall: OpenSCManager fail (%d)", GetLastError());
  const ScHandle service(
      OpenServiceA(manager.get(), g_name, DELETE | SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
  if (!service) return Fail("Uninstall: OpenService fail (%d)", GetLastError());
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.get(), &status)) {
    return Fail("Uninstall: QueryServiceStatus fail (%d)", GetLastError());
  }
  if (status.dwCurrentState != SERVICE_STOPPED) {
    return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR,
                                 "Uninstall: service %s is not stopped (state %lu)", g_name,
                                 status.dwCurrentState);
  }
  if (!RunsThisProgram(service.get())) {
    return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR,
                                 "Uninstall: service %s runs another program", g_name);
  }
  if (!DeleteService(service.get())) {
    return Fail("Uninstall: DeleteService fail (%d)", GetLastError());
  }
  Console::Print("Servicio desinstalado\n");
  return true;
}

// The manager runs the body on a thread of its own, for the service object
// of the process (g_instance).
bool RunForManager(Service*, int, const char* const* argv) {
  SERVICE_TABLE_ENTRYA table[] = {{g_name, &ServiceMain}, {nullptr, nullptr}};
  g_body_result = false;
  g_body_error = Error::ErrInfo();
  if (!StartServiceCtrlDispatcherA(table)) {
    const DWORD err = GetLastError();
    if (err == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
      return Error::SetWithContext(
          Error::SYSTEM_SERVICE_ERROR,
          "Run: StartServiceCtrlDispatcher fail (%d); use \"%s test\" to run in this console",
          static_cast<int>(err), ProgramName(argv[0]));
    }
    return Fail("Run: StartServiceCtrlDispatcher fail (%d)", err);
  }
  // The body ran on the manager's thread: its failure becomes this
  // thread's, for main to log and print.
  if (!g_body_result) Error::Set(g_body_error);
  return g_body_result;
}

}  // namespace ServiceInternal

using namespace ServiceInternal;

void Service::ReportReady() {
  if (!g_stop.load()) Report(SERVICE_RUNNING);
}

void Service::ReportStopping() { Report(SERVICE_STOP_PENDING, STOP_WAIT_HINT); }

}  // namespace VXB
