// An in-memory service manager for install and uninstall tests: unit files
// in a map, systemctl calls recorded, the units' states set by the test.
#ifndef ZORBEL_TESTS_TESTING_FAKE_SERVICE_MANAGER_H_
#define ZORBEL_TESTS_TESTING_FAKE_SERVICE_MANAGER_H_

#include <map>
#include <string>
#include <vector>

#include "vxb/posix/systemd.h"

namespace Testing {

class FakeServiceManager : public VXB::Posix::Systemd::Manager {
 public:
  // Installs itself as the manager for its lifetime.
  FakeServiceManager();
  ~FakeServiceManager() override;

  bool IsPrivileged() override { return Privileged; }
  bool ReadUnit(const std::string& Unit, std::string& Text, bool& Exists) override;
  bool WriteUnit(const std::string& Unit, const std::string& Text) override;
  bool RemoveUnit(const std::string& Unit) override;
  int Systemctl(const std::vector<std::string>& Args, std::string& Output) override;

  // The systemctl calls so far, each as its words joined by blanks.
  std::vector<std::string> Calls;
  std::map<std::string, std::string> Units;
  // ActiveState per unit; "inactive" when not set.
  std::map<std::string, std::string> States;
  // Exit status per systemctl verb ("enable", ...); 0 when not set.
  std::map<std::string, int> Failing;
  bool Privileged = true;
};

}  // namespace Testing

#endif  // ZORBEL_TESTS_TESTING_FAKE_SERVICE_MANAGER_H_
