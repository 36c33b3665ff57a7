// systemd units, systemctl and the readiness notification.
#include "vxb/posix/systemd.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"

extern char** environ;

namespace VXB::Posix::Systemd {

namespace {

Manager* g_manager = nullptr;

constexpr Error::ErrNo kServiceError = Error::SYSTEM_SERVICE_ERROR;

// A value for a unit file: UTF-8, control characters as blanks, '%'
// doubled (systemd reads it as the start of a specifier).
std::string UnitValue(const std::string& s) {
  std::string text;
  text.reserve(s.size() * 2);
  for (const char c : s) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code == 0x7F) {
      text += ' ';
    } else if (c == '%') {
      text += "%%";
    } else if (code >= 0x80) {
      char in[2] = {c, '\0'};
      char out[4] = {};
      const unsigned n = ASCII::ToUTF8(in, out, sizeof out);
      text += (n == ASCII::CONVERSION_FAILED) ? std::string("?") : std::string(out, n);
    } else {
      text += c;
    }
  }
  return text;
}

// A command-line word of ExecStart: in double quotes, with quote and
// backslash escaped.
std::string ExecWord(const std::string& s) {
  std::string word = "\"";
  for (const char c : UnitValue(s)) {
    if (c == '"' || c == '\\') word += '\\';
    word += c;
  }
  return word + "\"";
}

int RunSystemctl(std::initializer_list<const char*> Args, std::string& Output) {
  std::vector<std::string> args(Args.begin(), Args.end());
  Output.clear();
  return GetManager().Systemctl(args, Output);
}

bool Succeeds(const char* Operation, std::initializer_list<const char*> Args) {
  std::string output;
  const int status = RunSystemctl(Args, output);
  if (status == 0) return true;
  std::string words;
  for (const char* a : Args) words += std::string(words.empty() ? "" : " ") + a;
  if (status < 0) return false;  // the runner recorded why
  return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "%s: systemctl %s fail (%d)", Operation,
                               words.c_str(), status);
}

// ActiveState of Unit, "" when it cannot be told.
std::string ActiveState(const std::string& Unit) {
  std::string output;
  if (RunSystemctl({"show", "--property=ActiveState", "--value", Unit.c_str()}, output) != 0) {
    return "";
  }
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  return output;
}

}  // namespace

SystemManager::SystemManager(const char* UnitDirectory, const char* SystemctlPath)
    : directory_(UnitDirectory != nullptr ? UnitDirectory : UNIT_DIRECTORY) {
  if (SystemctlPath != nullptr) {
    systemctl_ = SystemctlPath;
  } else {
    systemctl_ =
        ::access("/usr/bin/systemctl", X_OK) == 0 ? "/usr/bin/systemctl" : "/bin/systemctl";
  }
}

std::string SystemManager::Path(const std::string& Unit) const { return directory_ + "/" + Unit; }

bool SystemManager::IsPrivileged() { return ::geteuid() == 0; }

bool SystemManager::ReadUnit(const std::string& Unit, std::string& Text, bool& Exists) {
  Text.clear();
  Exists = false;
  const std::string path = Path(Unit);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    if (e == ENOENT) return true;
    return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "open %s fail (%d)", path.c_str(), e);
  }
  Exists = true;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    Text.append(buffer, static_cast<std::size_t>(n));
    if (Text.size() > MAX_SYSTEMCTL_OUTPUT) break;  // only the first line matters
  }
  ::close(fd);
  return true;
}

bool SystemManager::WriteUnit(const std::string& Unit, const std::string& Text) {
  const std::string path = Path(Unit);
  const std::string temporary = path + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    const int e = errno;
    return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "Install: write %s fail (%d)",
                                 temporary.c_str(), e);
  }
  std::size_t done = 0;
  int e = 0;
  while (done < Text.size()) {
    const ssize_t n = ::write(fd, Text.data() + done, Text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      e = errno;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (e == 0 && ::fsync(fd) != 0) e = errno;
  ::close(fd);
  // Renaming over the old unit replaces it whole: a reader never sees half.
  if (e == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) e = errno;
  if (e != 0) {
    ::unlink(temporary.c_str());
    return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "Install: write %s fail (%d)",
                                 path.c_str(), e);
  }
  return true;
}

bool SystemManager::RemoveUnit(const std::string& Unit) {
  const std::string path = Path(Unit);
  if (::unlink(path.c_str()) != 0) {
    const int e = errno;
    return Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "Uninstall: remove %s fail (%d)",
                                 path.c_str(), e);
  }
  return true;
}

int SystemManager::Systemctl(const std::vector<std::string>& Args, std::string& Output) {
  Output.clear();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(systemctl_.c_str()));
  for (const std::string& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
    const int e = errno;
    Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "pipe fail (%d)", e);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, systemctl_.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_fds[1]);
  if (spawned != 0) {
    ::close(pipe_fds[0]);
    Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "run %s fail (%d)", systemctl_.c_str(),
                          spawned);
    return -1;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const std::size_t room = MAX_SYSTEMCTL_OUTPUT - Output.size();
    Output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      const int e = errno;
      Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "wait %s fail (%d)", systemctl_.c_str(),
                            e);
      return -1;
    }
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  Error::SetWithContext(Error::SYSTEM_SERVICE_ERROR, "%s ended by signal %d", systemctl_.c_str(),
                        WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  return -1;
}

void SetManager(Manager* m) { g_manager = m; }

Manager& GetManager() {
  static SystemManager real;
  return g_manager != nullptr ? *g_manager : real;
}

std::string UnitName(std::string_view ServiceName) {
  std::size_t begin = 0;
  std::size_t end = ServiceName.size();
  while (begin < end && (ServiceName[begin] == ' ' || ServiceName[begin] == '\t')) ++begin;
  while (end > begin && (ServiceName[end - 1] == ' ' || ServiceName[end - 1] == '\t')) --end;
  if (begin == end) return "";
  constexpr std::string_view kSuffix = ".service";
  std::string name;
  for (std::size_t i = begin; i < end && name.size() < MAX_UNIT_NAME - kSuffix.size(); ++i) {
    const char c = ServiceName[i];
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '.' || c == '-';
    name += safe ? c : '-';
  }
  return name + std::string(kSuffix);
}

std::string UnitText(const UnitSettings& s) {
  std::string t;
  t += UNIT_MARKER;
  t += "\n[Unit]\n";
  t += "Description=" + UnitValue(s.Description.empty() ? s.ServiceName : s.Description) + "\n";
  t += "After=network.target\n";
  t += "\n[Service]\n";
  t += "Type=notify\n";
  t += "ExecStart=" + ExecWord(s.ProgramPath) + "\n";
  t += "WorkingDirectory=" + UnitValue(s.WorkingDirectory) + "\n";
  t += "Restart=on-failure\n";
  t += "RestartSec=5\n";
  t += "TimeoutStopSec=30\n";
  t += "\n[Install]\n";
  t += "WantedBy=multi-user.target\n";
  return t;
}

bool IsOwnUnit(std::string_view Text) {
  const std::string_view marker = UNIT_MARKER;
  if (Text.substr(0, marker.size()) != marker) return false;
  return Text.size() == marker.size() || Text[marker.size()] == '\n' || Text[marker.size()] == '\r';
}

bool Install(const UnitSettings& s, bool Automatic) {
  Manager& m = GetManager();
  if (!m.IsPrivileged())
    return Error::SetWithContext(kServiceError, "Install: must be run as root");
  const std::string unit = UnitName(s.ServiceName);
  if (unit.empty()) return Error::SetWithContext(kServiceError, "Install: no service name");
  if (s.ProgramPath.empty() || s.ProgramPath[0] != '/') {
    return Error::SetWithContext(kServiceError, "Install: program path \"%s\" is not absolute",
                                 s.ProgramPath.c_str());
  }
  std::string existing;
  bool exists = false;
  if (!m.ReadUnit(unit, existing, exists)) return false;
  if (exists && !IsOwnUnit(existing)) {
    return Error::SetWithContext(
        kServiceError, "Install: %s exists and was not written by this program; nothing changed",
        unit.c_str());
  }
  if (!m.WriteUnit(unit, UnitText(s))) return false;
  if (!Succeeds("Install", {"daemon-reload"})) return false;
  if (Automatic) return Succeeds("Install", {"enable", unit.c_str()});
  return Succeeds("Install", {"disable", unit.c_str()});
}

bool Uninstall(const std::string& ServiceName) {
  Manager& m = GetManager();
  if (!m.IsPrivileged())
    return Error::SetWithContext(kServiceError, "Uninstall: must be run as root");
  const std::string unit = UnitName(ServiceName);
  if (unit.empty()) return Error::SetWithContext(kServiceError, "Uninstall: no service name");
  std::string existing;
  bool exists = false;
  if (!m.ReadUnit(unit, existing, exists)) return false;
  if (!exists)
    return Error::SetWithContext(kServiceError, "Uninstall: %s is not installed", unit.c_str());
  if (!IsOwnUnit(existing)) {
    return Error::SetWithContext(kServiceError,
                                 "Uninstall: %s was not written by this program; nothing changed",
                                 unit.c_str());
  }
  const std::string state = ActiveState(unit);
  if (state != "inactive" && state != "failed") {
    return Error::SetWithContext(
        kServiceError, "Uninstall: %s is %s; stop it first (systemctl stop %s)", unit.c_str(),
        state.empty() ? "in an unknown state" : state.c_str(), unit.c_str());
  }
  if (!Succeeds("Uninstall", {"disable", unit.c_str()})) return false;
  if (!m.RemoveUnit(unit)) return false;
  if (!Succeeds("Uninstall", {"daemon-reload"})) return false;
  if (state == "failed") {
    std::string output;
    RunSystemctl({"reset-failed", unit.c_str()}, output);  // only tidies the manager's list
  }
  return true;
}

bool StartedByServiceManager() {
  const char* invocation = std::getenv("INVOCATION_ID");
  const char* notify = std::getenv("NOTIFY_SOCKET");
  return (invocation != nullptr && *invocation != '\0') || (notify != nullptr && *notify != '\0');
}

bool Notify(const char* State) {
  const char* path = std::getenv("NOTIFY_SOCKET");
  if (path == nullptr || State == nullptr) return false;
  const std::size_t length = std::strlen(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // A path, or '@' for a name in the abstract namespace.
  if (length < 2 || length >= sizeof address.sun_path || (path[0] != '/' && path[0] != '@')) {
    return false;
  }
  std::memcpy(address.sun_path, path, length);
  if (path[0] == '@') address.sun_path[0] = '\0';
  const auto address_size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const std::size_t size = std::strlen(State);
  const ssize_t sent = ::sendto(fd, State, size, MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), address_size);
  ::close(fd);
  return sent == static_cast<ssize_t>(size);
}

}  // namespace VXB::Posix::Systemd
