// The service wrapper on Linux: systemd units for install and uninstall,
// signals for stop requests, and the readiness notification.
#include "vxb/common/service/service.h"
#include "vxb/common/service/service_internal.h"

#include <csignal>
#include <cstdio>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/system.h"
#include "vxb/posix/systemd.h"

namespace VXB {

namespace ServiceInternal {

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

bool RunInConsole(Service* s, unsigned argc, const char* const* argv) {
  return RunBody(s, argc, argv);
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

bool RunForManager(Service* s, int argc, const char* const* argv) {
  if (!Posix::Systemd::StartedByServiceManager()) {
    const char* name = ProgramName(argv[0]);
    return Error::SetWithContext(
        Error::SYSTEM_SERVICE_ERROR,
        "Run: not started by the service manager; use \"%s test\" to run in this terminal", name);
  }
  return RunBody(s, static_cast<unsigned>(argc), argv);
}

}  // namespace ServiceInternal

void Service::ReportReady() { Posix::Systemd::Notify("READY=1"); }
void Service::ReportStopping() { Posix::Systemd::Notify("STOPPING=1"); }

}  // namespace VXB
