// What a running bridge has done, for the people who run it: the last
// command and its outcome, the controller's last status words, and counts,
// served as /status.json and as /metrics (the Prometheus text format).
// Neither page talks to the controller: both read what the command page
// recorded.
//
// Thread safety: every member may be called from any thread; a mutex
// guards the record (commands and pages run on the server thread, one at a
// time, so it is never contended there).
#ifndef APP_BRIDGE_STATUS_H_
#define APP_BRIDGE_STATUS_H_

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "vxb/common/http/http_server.h"
#include "vxp/answer_journal.h"
#include "vxp/vardex_packet_protocol.h"

namespace Zorbel {

// One command as the command page saw it.
struct CommandOutcome {
  std::string Command;     // the document's command name; empty when none was read
  bool Reached = false;    // handed to the exchange (it may have reached the controller)
  bool Busy = false;       // the controller said it was busy
  bool HasStatus = false;  // the controller answered with its status words
  std::uint16_t Printer = 0;
  std::uint16_t Fiscal = 0;
  std::string Error;  // the error's symbol; empty for a command that succeeded
  std::chrono::microseconds Duration{0};
};

// What does not change while the bridge runs.
struct BridgeSettings {
  std::string Version;
  unsigned HttpPort = 0;
  std::string SerialPort;
  unsigned BaudRate = 0;
};

// What the pages read from the running parts when they are asked for: the
// serial port, the packet protocol, the answer journal and the HTTP engine.
struct LiveState {
  bool SerialOpen = false;
  VXP::RetryCounts Retries;
  VXP::DoubtStatus Doubt;
  VXP::Zorbel::ReplayCounts Replays;
  bool JournalWriteFailed = false;
  VXB::HTTP::RefusalCounts Refused;
};

// The last command and status words recorded, for the index page.
struct LastSeen {
  bool HasLast = false;
  CommandOutcome Last;
  std::chrono::system_clock::time_point LastTime;
  bool HasStatus = false;
  std::uint16_t Printer = 0;
  std::uint16_t Fiscal = 0;
};

// "2026-12-10T18:20:05Z"
std::string IsoTime(std::chrono::system_clock::time_point Time);
// The names of the bits set in a status word, in the catalogue's order.
std::vector<std::string> PrinterBits(std::uint16_t Word);
std::vector<std::string> FiscalBits(std::uint16_t Word);
bool FiscalDocumentOpen(std::uint16_t Fiscal);

class BridgeStatus {
 public:
  // The upper bounds of the command duration histogram, in seconds.
  static constexpr std::array<double, 12> kDurationBuckets = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25,
                                                              0.5,   1,    2.5,   5,    10,  30};

  explicit BridgeStatus(BridgeSettings Settings);

  void Record(const CommandOutcome& Outcome);

  // The two pages, with what the running parts tell now.
  std::string StatusJson(const LiveState& Live) const;
  std::string Metrics(const LiveState& Live) const;
  LastSeen Last() const;

 private:
  const BridgeSettings settings_;
  const std::chrono::steady_clock::time_point started_;
  const std::chrono::system_clock::time_point started_wall_;
  mutable std::mutex mutex_;
  // Guarded by mutex_.
  std::uint64_t commands_ = 0;
  std::uint64_t reached_ = 0;
  std::uint64_t busy_ = 0;
  std::map<std::string, std::uint64_t> errors_;
  std::array<std::uint64_t, kDurationBuckets.size()> buckets_{};  // not cumulative
  double duration_sum_ = 0;
  LastSeen seen_;
};

}  // namespace Zorbel

#endif  // APP_BRIDGE_STATUS_H_
