#include "vxb/posix/systemd.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "testing/fake_service_manager.h"
#include "testing/scratch_dir.h"
#include "vxb/common/runtime/error.h"

namespace {

namespace Systemd = VXB::Posix::Systemd;

std::string LastContext() { return VXB::Error::GetLastError()->Context; }

Systemd::UnitSettings Settings(const std::string& Name) {
  Systemd::UnitSettings s;
  s.ServiceName = Name;
  s.Description = "Puente fiscal";
  s.ProgramPath = "/opt/zorbel/zorbel";
  s.WorkingDirectory = "/opt/zorbel";
  return s;
}

TEST(UnitNameTest, UnsafeCharactersAreReplaced) {
  const struct {
    const char* Service;
    const char* Unit;
  } cases[] = {
      {"Vardex Zorbel", "Vardex-Zorbel.service"},
      {"  caja_1.zorbel-2 ", "caja_1.zorbel-2.service"},
      {"a/b;c$(x)@y\\z", "a-b-c--x--y-z.service"},
      {"Caf\x82", "Caf-.service"},
      {"   ", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Systemd::UnitName(c.Service), c.Unit) << c.Service;
  EXPECT_EQ(Systemd::UnitName(std::string(400, 'x')).size(), Systemd::MAX_UNIT_NAME);
}

TEST(UnitTextTest, NotifyServiceWithMarkerAndNoWayToAddSettings) {
  Systemd::UnitSettings s = Settings("Vardex Zorbel");
  s.Description = "Caf\x82 100%\nExecStartPre=/bin/rm -rf /";
  s.ProgramPath = "/opt/my zorbel/zor\"bel";
  s.WorkingDirectory = "/opt/my zorbel";
  const std::string text = Systemd::UnitText(s);
  EXPECT_TRUE(Systemd::IsOwnUnit(text));
  EXPECT_EQ(text.rfind(Systemd::UNIT_MARKER, 0), 0u);
  for (const char* line :
       {"\nType=notify\n", "\nRestart=on-failure\n", "\nExecStart=\"/opt/my zorbel/zor\\\"bel\"\n",
        "\nWorkingDirectory=/opt/my zorbel\n", "\nWantedBy=multi-user.target\n",
        "\nDescription=Caf\xC3\xA9 100%% ExecStartPre=/bin/rm -rf /\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  EXPECT_EQ(text.find("\nExecStartPre"), std::string::npos);
  EXPECT_FALSE(Systemd::IsOwnUnit("[Unit]\nDescription=x\n"));
  EXPECT_FALSE(Systemd::IsOwnUnit(std::string(Systemd::UNIT_MARKER) + "x\n"));
}

TEST(InstallTest, WritesReloadsAndEnablesOrDisables) {
  for (const bool automatic : {true, false}) {
    Testing::FakeServiceManager m;
    ASSERT_TRUE(Systemd::Install(Settings("Vardex Zorbel"), automatic));
    ASSERT_EQ(m.Units.count("Vardex-Zorbel.service"), 1u);
    EXPECT_EQ(m.Units["Vardex-Zorbel.service"], Systemd::UnitText(Settings("Vardex Zorbel")));
    const std::vector<std::string> want = {
        "daemon-reload", std::string(automatic ? "enable" : "disable") + " Vardex-Zorbel.service"};
    EXPECT_EQ(m.Calls, want);
  }
}

TEST(InstallTest, ReplacesItsOwnUnitButNeverAForeignOne) {
  Testing::FakeServiceManager m;
  m.Units["Vardex-Zorbel.service"] = std::string(Systemd::UNIT_MARKER) + "\nold\n";
  ASSERT_TRUE(Systemd::Install(Settings("Vardex Zorbel"), true));
  EXPECT_NE(m.Units["Vardex-Zorbel.service"].find("Type=notify"), std::string::npos);

  m.Calls.clear();
  m.Units["Vardex-Zorbel.service"] = "[Unit]\nDescription=someone else's\n";
  EXPECT_FALSE(Systemd::Install(Settings("Vardex Zorbel"), true));
  EXPECT_EQ(VXB::Error::GetLastError()->Error, VXB::Error::SYSTEM_SERVICE_ERROR);
  EXPECT_NE(LastContext().find("not written by this program"), std::string::npos);
  EXPECT_EQ(m.Units["Vardex-Zorbel.service"], "[Unit]\nDescription=someone else's\n");
  EXPECT_TRUE(m.Calls.empty());
}

TEST(InstallTest, FailuresAreReported) {
  {
    Testing::FakeServiceManager m;
    m.Privileged = false;
    EXPECT_FALSE(Systemd::Install(Settings("Z"), true));
    EXPECT_NE(LastContext().find("root"), std::string::npos);
    EXPECT_TRUE(m.Units.empty());
  }
  {
    Testing::FakeServiceManager m;
    m.Failing["enable"] = 1;
    EXPECT_FALSE(Systemd::Install(Settings("Z"), true));
    EXPECT_EQ(LastContext(), "Install: systemctl enable Z.service fail (1)");
  }
  {
    Testing::FakeServiceManager m;
    Systemd::UnitSettings s = Settings("Z");
    s.ProgramPath = "zorbel";
    EXPECT_FALSE(Systemd::Install(s, true));
    EXPECT_TRUE(m.Units.empty());
  }
}

TEST(UninstallTest, RemovesOnlyItsOwnStoppedUnit) {
  const struct {
    bool Own;
    const char* State;
    bool Removed;
  } cases[] = {
      {true, "inactive", true},    {true, "failed", true},        {true, "active", false},
      {true, "activating", false}, {true, "deactivating", false}, {false, "inactive", false},
  };
  for (const auto& c : cases) {
    Testing::FakeServiceManager m;
    const std::string text =
        c.Own ? Systemd::UnitText(Settings("Vardex Zorbel")) : std::string("[Unit]\n");
    m.Units["Vardex-Zorbel.service"] = text;
    m.States["Vardex-Zorbel.service"] = c.State;
    EXPECT_EQ(Systemd::Uninstall("Vardex Zorbel"), c.Removed) << c.State;
    EXPECT_EQ(m.Units.count("Vardex-Zorbel.service"), c.Removed ? 0u : 1u) << c.State;
    if (c.Removed) {
      EXPECT_NE(std::find(m.Calls.begin(), m.Calls.end(), "disable Vardex-Zorbel.service"),
                m.Calls.end());
      EXPECT_NE(std::find(m.Calls.begin(), m.Calls.end(), "daemon-reload"), m.Calls.end());
    } else {
      EXPECT_EQ(std::find(m.Calls.begin(), m.Calls.end(), "disable Vardex-Zorbel.service"),
                m.Calls.end());
      EXPECT_EQ(VXB::Error::GetLastError()->Error, VXB::Error::SYSTEM_SERVICE_ERROR);
    }
  }
  Testing::FakeServiceManager m;
  EXPECT_FALSE(Systemd::Uninstall("Vardex Zorbel"));
  EXPECT_NE(LastContext().find("not installed"), std::string::npos);
}

TEST(SystemManagerTest, UnitFilesAndSystemctlWithoutAShell) {
  const auto dir = Testing::MakeScratchDir("systemd");
  Systemd::SystemManager m(dir.c_str(), "/bin/echo");
  std::string text;
  bool exists = true;
  ASSERT_TRUE(m.ReadUnit("z.service", text, exists));
  EXPECT_FALSE(exists);
  ASSERT_TRUE(m.WriteUnit("z.service", "abc\n"));
  ASSERT_TRUE(m.ReadUnit("z.service", text, exists));
  EXPECT_TRUE(exists);
  EXPECT_EQ(text, "abc\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "z.service.new"));
  ASSERT_TRUE(m.RemoveUnit("z.service"));
  EXPECT_FALSE(std::filesystem::exists(dir / "z.service"));
  EXPECT_FALSE(m.RemoveUnit("z.service"));

  // Words reach the program as they are: no shell splits or expands them.
  std::string output;
  EXPECT_EQ(m.Systemctl({"enable", "a b; touch x", "$(id)"}, output), 0);
  EXPECT_EQ(output, "enable a b; touch x $(id)\n");
  Systemd::SystemManager failing(dir.c_str(), "/bin/false");
  EXPECT_EQ(failing.Systemctl({"x"}, output), 1);
  Systemd::SystemManager missing(dir.c_str(), "/nonexistent/systemctl");
  EXPECT_NE(missing.Systemctl({"x"}, output), 0);
}

// A datagram socket standing in for the service manager's.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& Path) : path_(Path) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, Path.c_str(), sizeof a.sun_path - 1);
    if (Path[0] == '@') a.sun_path[0] = '\0';
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + Path.size());
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&a), size), 0);
    ::setenv("NOTIFY_SOCKET", Path.c_str(), 1);
  }
  ~NotifySocket() {
    ::unsetenv("NOTIFY_SOCKET");
    ::close(fd_);
  }
  // The next datagram, "" when none is waiting.
  std::string Take() {
    char buffer[256];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  }

 private:
  std::string path_;
  int fd_ = -1;
};

TEST(NotifyTest, SendsStatesToThePathOrAbstractSocket) {
  const auto dir = Testing::MakeScratchDir("notify");
  for (const std::string& path :
       {(dir / "notify").string(), "@zorbel-notify-" + std::to_string(::getpid())}) {
    NotifySocket socket(path);
    EXPECT_TRUE(Systemd::StartedByServiceManager());
    EXPECT_TRUE(Systemd::Notify("READY=1"));
    EXPECT_EQ(socket.Take(), "READY=1");
    EXPECT_TRUE(Systemd::Notify("STOPPING=1"));
    EXPECT_EQ(socket.Take(), "STOPPING=1");
  }
  ::unsetenv("INVOCATION_ID");
  EXPECT_FALSE(Systemd::StartedByServiceManager());
  EXPECT_FALSE(Systemd::Notify("READY=1"));
  ::setenv("NOTIFY_SOCKET", "relative/path", 1);
  EXPECT_FALSE(Systemd::Notify("READY=1"));
  ::unsetenv("NOTIFY_SOCKET");
}

}  // namespace
