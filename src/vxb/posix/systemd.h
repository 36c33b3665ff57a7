// The Linux side of the service wrapper: systemd units, systemctl and the
// readiness notification. Private to the platform layer (and its tests).
//
// The service manager is reached through the Manager interface so that
// installing and removing can be exercised against a fake; the real one
// writes unit files under /etc/systemd/system and runs systemctl with an
// argument vector, never through a shell.
//
// A unit written by Install() starts with UNIT_MARKER as its first line;
// Install() overwrites and Uninstall() removes only units that do.
//
// Thread safety: Install, Uninstall and SetManager are for the program's
// main thread at start-up. Notify may be called from any thread.
#ifndef VXB_POSIX_SYSTEMD_H_
#define VXB_POSIX_SYSTEMD_H_

#include <string>
#include <string_view>
#include <vector>

namespace VXB::Posix::Systemd {

inline constexpr const char* UNIT_MARKER =
    "# Written by the program's \"install\" command, removed by its \"uninstall\". Do not edit.";
inline constexpr const char* UNIT_DIRECTORY = "/etc/systemd/system";
// Longest unit name systemd accepts, ".service" included.
inline constexpr unsigned MAX_UNIT_NAME = 255;
// Most output kept from one systemctl run.
inline constexpr unsigned MAX_SYSTEMCTL_OUTPUT = 65536;

class Manager {
 public:
  virtual ~Manager() = default;
  // The caller may install services (the superuser).
  virtual bool IsPrivileged() = 0;
  // The text of unit file Unit; Exists false (and true returned) when there
  // is none. False with the error recorded when it cannot be read.
  virtual bool ReadUnit(const std::string& Unit, std::string& Text, bool& Exists) = 0;
  // Replaces (or creates) unit file Unit with Text, whole or not at all.
  virtual bool WriteUnit(const std::string& Unit, const std::string& Text) = 0;
  virtual bool RemoveUnit(const std::string& Unit) = 0;
  // Runs systemctl with Args; its exit status, or -1 (error recorded) when
  // it could not be run. Output receives what it printed on standard
  // output (at most MAX_SYSTEMCTL_OUTPUT bytes).
  virtual int Systemctl(const std::vector<std::string>& Args, std::string& Output) = 0;
};

// The real service manager: units in UnitDirectory, systemctl at
// SystemctlPath (the first of /usr/bin/systemctl and /bin/systemctl that
// exists when null).
class SystemManager : public Manager {
 public:
  explicit SystemManager(const char* UnitDirectory = UNIT_DIRECTORY,
                         const char* SystemctlPath = nullptr);
  bool IsPrivileged() override;
  bool ReadUnit(const std::string& Unit, std::string& Text, bool& Exists) override;
  bool WriteUnit(const std::string& Unit, const std::string& Text) override;
  bool RemoveUnit(const std::string& Unit) override;
  int Systemctl(const std::vector<std::string>& Args, std::string& Output) override;

 private:
  std::string Path(const std::string& Unit) const;
  std::string directory_;
  std::string systemctl_;
};

// The manager Install and Uninstall use; null restores the real one. Not
// owned.
void SetManager(Manager* m);
Manager& GetManager();

// What a unit is made from. Texts are in the internal character set.
struct UnitSettings {
  std::string ServiceName;
  std::string Description;
  std::string ProgramPath;       // absolute
  std::string WorkingDirectory;  // absolute
};

// "<name>.service" with every character other than ASCII letters, digits,
// '_', '.' and '-' replaced by '-', cut to fit MAX_UNIT_NAME; empty when
// ServiceName has nothing but blanks.
std::string UnitName(std::string_view ServiceName);
// The unit file: UNIT_MARKER, then [Unit], [Service] (Type=notify,
// ExecStart, WorkingDirectory, Restart=on-failure) and [Install]. Texts are
// written in UTF-8; control characters in them become blanks and the
// specifier character '%' is doubled, so no value can add a line or a
// setting of its own.
std::string UnitText(const UnitSettings& s);
bool IsOwnUnit(std::string_view Text);

// The install and uninstall of the service wrapper, through GetManager().
// Install writes the unit (refusing a unit without the marker), reloads the
// manager, and enables the unit when Automatic, else disables it.
// Uninstall refuses a unit that is missing, foreign, or not stopped; it
// disables and removes the unit and reloads the manager. Failures:
// SYSTEM_SERVICE_ERROR with an "Install: " or "Uninstall: " context.
bool Install(const UnitSettings& s, bool Automatic);
bool Uninstall(const std::string& ServiceName);

// Under the service manager: the process was started by systemd (it set
// INVOCATION_ID or NOTIFY_SOCKET).
bool StartedByServiceManager();
// Sends State ("READY=1", "STOPPING=1") to the socket named by
// NOTIFY_SOCKET; false when there is none or the send fails.
bool Notify(const char* State);

}  // namespace VXB::Posix::Systemd

#endif  // VXB_POSIX_SYSTEMD_H_
