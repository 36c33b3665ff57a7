// The program's entry.
#include "app/program.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/config_file.h"
#include "app/console_text.h"
#include "app/zorbel_service.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/log.h"
#include "vxb/common/runtime/system.h"
#include "vxp/vxp_errno.h"

namespace Zorbel {

namespace {

// The log keeps its base name by pointer: it lives here for the process.
char g_log_base[MAX_DIRECTORY + 16];

void CopyDirectory(const char* Path, char* Dir, unsigned Size) {
  std::snprintf(Dir, Size, "%s", VXB::FileSystem::dirname(Path));
  // Without its closing separator ("/opt/zorbel"), except the root itself.
  std::size_t n = std::char_traits<char>::length(Dir);
  while (n > 1 && (Dir[n - 1] == '/' || Dir[n - 1] == '\\')) Dir[--n] = '\0';
}

// The first directory of a list the service manager passes in the
// environment (systemd's ConfigurationDirectory= and StateDirectory= set
// CONFIGURATION_DIRECTORY and STATE_DIRECTORY, colon-separated), or
// Fallback when it is not set.
std::string ManagedDirectory(const char* Variable, const char* Fallback) {
  const char* value = std::getenv(Variable);
  if (value == nullptr || value[0] != '/') return Fallback;
  std::string dir(value);
  dir = dir.substr(0, dir.find(':'));
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir.size() < MAX_DIRECTORY ? dir : std::string(Fallback);
}

}  // namespace

bool ProgramDirectory(int argc, const char* const* argv, char* Dir, unsigned Size) {
  if (Dir == nullptr || Size == 0) return false;
  Dir[0] = '\0';
  if (argc > 1) return VXB::FileSystem::getcwd(Dir, Size) != nullptr;
  // Started without arguments (by the service manager): the executable's
  // real directory, also when it was found through the search path.
  char path[MAX_DIRECTORY];
  if (VXB::System::GetProgramPath(path, sizeof path)) {
    CopyDirectory(path, Dir, Size);
    return true;
  }
  if (argv != nullptr && argv[0] != nullptr) CopyDirectory(argv[0], Dir, Size);
  return true;
}

int RunProgram(int argc, const char* const* argv, FrontEndFactory Factory) {
  VXB::Error::Init();
  VXP::Error::Init();

  char dir[MAX_DIRECTORY];
  if (!ProgramDirectory(argc, argv, dir, sizeof dir)) {
    ConsolePrint("Error obteniendo directorio actual\n");
    return 1;
  }
  // A packaged unit keeps the configuration in /etc and the log in
  // /var/lib; started any other way, both live in the program's directory.
  const std::string state_dir = ManagedDirectory("STATE_DIRECTORY", dir);
  std::snprintf(g_log_base, sizeof g_log_base, "%s/zorbel.log", state_dir.c_str());
  VXB::Log::SetFilename(g_log_base);

  ConfigParams config;
  const std::string config_file =
      ManagedDirectory("CONFIGURATION_DIRECTORY", dir) + "/proxyconfig.xml";
  ReadConfiguration(config_file.c_str(), config);
  // The journal lives beside the log.
  config.JournalDirectory = dir;

  Service service(config, Factory);
  if (VXB::Service::Main(&service, argc, argv)) return 0;

  const VXB::Error::ErrInfo e = VXB::Error::GetCurrent();
  VXB::Log::WriteWithModule("main", "%s: %s", e.Description, e.Context);
  ConsoleErrorPrint("%s: %s\n", e.Description, e.Context);
  return 1;
}

}  // namespace Zorbel
