// The service wrapper: turns a class with a service body into a program
// that installs itself as a service of the platform's service manager,
// removes that service, runs its body under the manager, or runs the body
// in a terminal.
//
// Service::Main dispatches on the first argument, in any letter case:
//   "install"    registers the program (this executable, no arguments) as
//                the service Name, starting with the system when
//                AutomaticStart() is true; prints "Servicio instalado".
//                A service of that name that this program did not register
//                is left alone and the install fails.
//   "uninstall"  removes the service registered by "install"; prints
//                "Servicio desinstalado". A running service, or one this
//                program did not register, is left alone and the call
//                fails.
//   "test"       runs the body in the terminal, with argv[1] removed, until
//                an interrupt or termination request (Ctrl-C, SIGTERM);
//                the result is the body's.
//   otherwise    (no argument or any other word): when the process was
//                started by the service manager, runs the body until the
//                manager stops it and returns the body's result; else
//                fails with a reason that points at "test".
// Failures return false with SYSTEM_SERVICE_ERROR (or the failing call's
// own error) in the calling thread's error record.
//
// Stop requests (the manager's stop, an interrupt or termination request in
// either run) set one process-wide atomic flag that the body polls; the
// flag stays set. A second interrupt or termination request while the body
// is stopping ends the process at once.
//
// Thread safety: Main runs on the program's main thread, once. The body
// runs on the thread that called Main. RequestStop, StopRequested,
// ReportReady and ReportStopping may be called from any thread.
#ifndef VXB_COMMON_SERVICE_H_
#define VXB_COMMON_SERVICE_H_

#include <atomic>

namespace VXB {

class Service {
 public:
  // Longest name and description kept (longer texts are cut).
  static constexpr unsigned MAX_TEXT = 511;

  // Keeps copies of Name and Description in the process-wide wrapper state,
  // makes this object the process's service (there is one per process) and
  // clears the stop flag.
  Service(const char* Name, const char* Description);
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;
  virtual ~Service();

  // The service's work. Polls Stop and returns soon after it becomes true:
  // true after a clean stop, false (reason in the thread's error record)
  // when the service could not start or failed. Calls ReportReady() once it
  // serves.
  virtual bool ServiceBody(unsigned argc, const char* const* argv,
                           const std::atomic<bool>& Stop) = 0;
  // Whether the installed service starts with the system; false by default.
  virtual bool AutomaticStart();

  static bool Main(Service* s, int argc, const char* const* argv);

  // The name and description given to the current service object.
  static const char* GetName();
  static const char* GetDescription();

  // Sets the stop flag, as the service manager's stop does.
  static void RequestStop();
  static bool StopRequested();

  // Tell the service manager that the body has finished starting and now
  // serves, or that it is stopping. Nothing happens when no service manager
  // waits for it (a terminal run).
  static void ReportReady();
  static void ReportStopping();
};

}  // namespace VXB

#endif  // VXB_COMMON_SERVICE_H_
