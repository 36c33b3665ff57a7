#include "testing/fake_service_manager.h"

namespace Testing {

FakeServiceManager::FakeServiceManager() { VXB::Posix::Systemd::SetManager(this); }

FakeServiceManager::~FakeServiceManager() { VXB::Posix::Systemd::SetManager(nullptr); }

bool FakeServiceManager::ReadUnit(const std::string& Unit, std::string& Text, bool& Exists) {
  const auto it = Units.find(Unit);
  Exists = it != Units.end();
  Text = Exists ? it->second : "";
  return true;
}

bool FakeServiceManager::WriteUnit(const std::string& Unit, const std::string& Text) {
  Units[Unit] = Text;
  return true;
}

bool FakeServiceManager::RemoveUnit(const std::string& Unit) { return Units.erase(Unit) == 1; }

int FakeServiceManager::Systemctl(const std::vector<std::string>& Args, std::string& Output) {
  std::string call;
  for (const std::string& a : Args) call += (call.empty() ? "" : " ") + a;
  Calls.push_back(call);
  if (!Args.empty() && Args[0] == "show") {
    const auto it = States.find(Args.back());
    Output = (it != States.end() ? it->second : std::string("inactive")) + "\n";
  }
  const auto failing = Failing.find(Args.empty() ? "" : Args[0]);
  return failing != Failing.end() ? failing->second : 0;
}

}  // namespace Testing
