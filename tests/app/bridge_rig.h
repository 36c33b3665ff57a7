// The bridge in one process for end-to-end tests: the HTTP front end on a
// free loopback port, its serial port on a pseudo-terminal, and the
// controller emulator serving the terminal's other side on a thread of its
// own. Each rig is independent, so a test may build one per case (each
// with its own emulator faults and access rules).
#ifndef ZORBEL_TESTS_APP_BRIDGE_RIG_H_
#define ZORBEL_TESTS_APP_BRIDGE_RIG_H_

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "app/config_params.h"
#include "app/front_end.h"
#include "testing/http_client.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "zorbel_emulator/emulator.h"

namespace Zorbel::EndToEnd {

class BridgeRig {
 public:
  BridgeRig() = default;
  BridgeRig(const BridgeRig&) = delete;
  BridgeRig& operator=(const BridgeRig&) = delete;
  ~BridgeRig() { Stop(); }

  // Starts the emulator with Options and the front end with Config (its
  // HTTPPort replaced by 0, a free port). Empty on success, else the
  // reason.
  std::string Start(ZorbelEmulator::Options Options, ConfigParams Config = {}) {
    if (!pty_.Open()) return "pseudo-terminal";
    Options.Trace = [this](const std::string& line) {
      std::lock_guard<std::mutex> lock(trace_mutex_);
      trace_ += line + "\n";
    };
    emu_ = std::make_unique<ZorbelEmulator::Emulator>(pty_, std::move(Options));
    emulator_ = std::thread([this] { emu_->Serve(); });
    VXB::SerialParams params;
    params.WordLength = VXB::SerialPort::WORD_LENGTH_8;
    params.Parity = VXB::SerialPort::PARITYMODE_NONE;
    params.StopBits = VXB::SerialPort::STOP_1;
    params.FlowControl.Clear();
    if (!VXB::SerialPort::GetBaudRate(9600.0, params.BaudRate)) return "baud rate";
    if (!serial_.Open(pty_.SlavePath()) || !serial_.SetSerialParams(params)) return "serial port";
    Config.HTTPPort = 0;
    front_ = MakeHTTPFrontEnd(Config, "zorbel");
    if (!front_->Start(serial_, nullptr)) {
      front_.reset();
      return std::string("front end: ") + VXB::Error::GetCurrent().Context;
    }
    port_ = front_->Port();
    return port_ != 0 ? "" : "no port";
  }

  // Stops the front end, then the emulator; the emulator's controller may
  // be inspected afterwards.
  void Stop() {
    if (front_) {
      front_->Stop();
      front_->WaitStopped();
      front_.reset();
    }
    if (emulator_.joinable()) {
      emu_->Stop();
      emulator_.join();
    }
  }

  ::Testing::HttpAnswer Post(const std::string& Page, const std::string& Type,
                             const std::string& Body, unsigned TimeoutMs = 15000) {
    return ::Testing::HttpRequest(port_, "POST", "/" + Page, Type, Body, TimeoutMs);
  }
  ::Testing::HttpAnswer Json(const std::string& Body, unsigned TimeoutMs = 15000) {
    return Post("fiscal.json", "application/json", Body, TimeoutMs);
  }
  // A JSON command with an Idempotency-Key header.
  ::Testing::HttpAnswer JsonWithKey(const std::string& Body, const std::string& Key) {
    return ::Testing::HttpRequest(port_, "POST", "/fiscal.json", "application/json", Body, 15000,
                                  "Idempotency-Key: " + Key + "\r\n");
  }

  std::string Trace() {
    std::lock_guard<std::mutex> lock(trace_mutex_);
    return trace_;
  }

  ZorbelEmulator::Emulator& Emulator() { return *emu_; }
  FrontEnd& Front() { return *front_; }
  unsigned Port() const { return port_; }

 private:
  VXB::PseudoTerminal pty_;
  VXB::SerialPort serial_;
  std::unique_ptr<ZorbelEmulator::Emulator> emu_;
  std::thread emulator_;
  std::unique_ptr<FrontEnd> front_;
  unsigned port_ = 0;
  std::mutex trace_mutex_;
  std::string trace_;
};

// The document without its layout (tabs, line ends, the blank after ':').
inline std::string Compact(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\t' || s[i] == '\n' || s[i] == '\r') continue;
    if (s[i] == ' ' && i > 0 && s[i - 1] == ':') continue;
    out += s[i];
  }
  return out;
}

}  // namespace Zorbel::EndToEnd

#endif  // ZORBEL_TESTS_APP_BRIDGE_RIG_H_
