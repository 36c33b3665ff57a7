// What the service wrapper keeps the same on every platform (the service's
// name and description, the stop flag, the command words of Main) and the
// steps each platform layer provides for them.
#ifndef VXB_COMMON_SERVICE_INTERNAL_H_
#define VXB_COMMON_SERVICE_INTERNAL_H_

#include <atomic>

#include "vxb/common/service/service.h"

namespace VXB::ServiceInternal {

extern char g_name[Service::MAX_TEXT + 1];
extern char g_description[Service::MAX_TEXT + 1];
// The service object of the process, the latest one made.
extern Service* g_instance;
// Lock-free, so that a signal or console handler may set it.
extern std::atomic<bool> g_stop;

// The last path component of the program's name, for messages.
const char* ProgramName(const char* argv0);

// Per platform: registers the service with the system's service manager,
// and removes it again; both print what they did.
bool Install(Service* s);
bool Uninstall();
// Runs the body in the calling console or terminal ("test"), with the
// platform's interrupts asking it to stop.
bool RunInConsole(Service* s, unsigned argc, const char* const* argv);
// Runs the body for the service manager that started the program; fails
// with a hint to "test" when no manager started it.
bool RunForManager(Service* s, int argc, const char* const* argv);

}  // namespace VXB::ServiceInternal

#endif  // VXB_COMMON_SERVICE_INTERNAL_H_
