// The service wrapper on Linux: systemd units for install and uninstall,
// signals for stop requests, and the readiness notification.
#include "vxb/common/service.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "vxb/common/ascii.h"
#include "vxb/common/error.h"
#include "vxb/common/file.h"
#include "vxb/common/system.h"
#include "vxb/posix/systemd.h"

namespace VXB {

namespace {

char g_name[Service::MAX_TEXT + 1] = "";
char g_description[Service::MAX_TEXT + 1] = "";
Service* g_instance = nullptr;
// Lock-free, so that a signal handler may set it.
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first interrupt or termination request asks the body to stop; a
// further one, while it stops, ends the process the default way.
extern "C" void OnStopSignal(int Signal) {
  if (g_stop.exchange(true)) {
    std::signal(Signal, SIG_DFL);
    std::raise(Signal);
  }
}

// Installs the stop handlers for the time of one body run and puts the
// previous ones back afterwards.
class StopSignals {
 public:
  StopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &old_int_);
    sigaction(SIGTERM, &action, &old_term_);
    // A client that goes away mid-answer must not end the process.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &old_pipe_);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
  ~StopSignals() {
    sigaction(SIGINT, &old_int_, nullptr);
    sigaction(SIGTERM, &old_term_, nullptr);
    sigaction(SIGPIPE, &old_pipe_, nullptr);
  }

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
  struct sigaction old_pipe_ {};
};

bool RunBody(Service* s, unsigned argc, const char* const* argv) {
  const StopSignals signals;
  return s->ServiceBody(argc, argv, g_stop);
}

bool Install(Service* s) {
  char path[FileSystem::MAX_PATH];
  if (!System::GetProgramPath(path, sizeof path)) {
    return Error::SetAddingContext(Error::SYSTEM_SERVICE_ERROR, "Install: program path unknown");
  }
  Posix::Systemd::UnitSettings settings;
  settings.ServiceName = g_name;
  settings.Description = g_description;
  settings.ProgramPath = path;
  settings.WorkingDirectory = FileSystem::dirname(path);
  // The directory without its closing '/', except for the root itself.
  while (settings.WorkingDirectory.size() > 1 && settings.WorkingDirectory.back() == '/') {
    settings.WorkingDirectory.pop_back();
  }
  if (!Posix::Systemd::Install(settings, s->AutomaticStart())) return false;
  Console::Print("Servicio instalado\n");
  return true;
}

bool Uninstall() {
  if (!Posix::Systemd::Uninstall(g_name)) return false;
  Console::Print("Servicio desinstalado\n");
  return true;
}

// The last path component of the program's name, for messages.
const char* ProgramName(const char* argv0) {
  if (argv0 == nullptr || *argv0 == '\0') return "zorbel";
  const char* name = argv0;
  for (const char* p = argv0; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  return *name != '\0' ? name : "zorbel";
}

}  // namespace

Service::Service(const char* Name, const char* Description) {
  std::snprintf(g_name, sizeof g_name, "%s", Name != nullptr ? Name : "");
  std::snprintf(g_description, sizeof g_description, "%s",
                Description != nullptr ? Description : "");
  g_instance = this;
  g_stop.store(false);
}

Service::~Service() {
  if (g_instance == this) g_instance = nullptr;
}

bool Service::AutomaticStart() { return false; }

const char* Service::GetName() { return g_name; }
const char* Service::GetDescription() { return g_description; }

void Service::RequestStop() { g_stop.store(true); }
bool Service::StopRequested() { return g_stop.load(); }

void Service::ReportReady() { Posix::Systemd::Notify("READY=1"); }
void Service::ReportStopping() { Posix::Systemd::Notify("STOPPING=1"); }

bool Service::Main(Service* s, int argc, const char* const* argv) {
  if (s == nullptr || argv == nullptr || argc < 1) {
    return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "Run: no service");
  }
  const std::string_view word = (argc >= 2 && argv[1] != nullptr) ? argv[1] : "";
  if (ASCII::EqualsIgnoringCase(word, "install")) return Install(s);
  if (ASCII::EqualsIgnoringCase(word, "uninstall")) return Uninstall();
  if (ASCII::EqualsIgnoringCase(word, "test")) {
    // The body sees the program path followed by the words after "test".
    std::vector<const char*> args;
    args.push_back(argv[0]);
    for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    return RunBody(s, static_cast<unsigned>(args.size() - 1), args.data());
  }
  if (!Posix::Systemd::StartedByServiceManager()) {
    const char* name = ProgramName(argv[0]);
    return Error::SetWithContext(
        Error::SYSTEM_SERVICE_ERROR,
        "Run: not started by the service manager; use \"%s test\" to run in this terminal", name);
  }
  return RunBody(s, static_cast<unsigned>(argc), argv);
}

}  // namespace VXB
