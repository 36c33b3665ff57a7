// The service wrapper's portable part: the service's name, description and
// stop flag, and the command words of Main ("install", "uninstall",
// "test"), over the platform's steps (service_internal.h).
#include <cstdio>
#include <string_view>
#include <vector>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/service/service.h"
#include "vxb/common/service/service_internal.h"

namespace VXB {

namespace ServiceInternal {

char g_name[Service::MAX_TEXT + 1] = "";
char g_description[Service::MAX_TEXT + 1] = "";
Service* g_instance = nullptr;
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

const char* ProgramName(const char* argv0) {
  if (argv0 == nullptr || *argv0 == '\0') return "zorbel";
  const char* name = argv0;
  for (const char* p = argv0; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  return *name != '\0' ? name : "zorbel";
}

}  // namespace ServiceInternal

using namespace ServiceInternal;

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
    return RunInConsole(s, static_cast<unsigned>(args.size() - 1), args.data());
  }
  return RunForManager(s, argc, argv);
}

}  // namespace VXB
