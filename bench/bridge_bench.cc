// The whole bridge in process: HTTP requests from a loopback client to the
// bridge's front end, the packet protocol over a pseudo-terminal, and the
// controller emulator on its other side.
//
//  - BM_CommandAgainstIndexPage: one GET of the index page and one
//    ConsultarEstado POST to fiscal.json in turn, on a line that answers at
//    once; median and 99th percentile of each, and what the command adds.
//  - BM_SequentialCommands: ConsultarEstado POSTs one after another from one
//    client; commands per second.
//  - BM_PacedCommand9600: the same POST on a line paced at 9600 bits per
//    second, against the time its bytes take on the wire (command, ACK,
//    answer, ACK; 10 bits a byte).
//
// Every request is a fresh connection (HTTP/1.0, "Connection: close"). Debug
// output is off, as at the program's lowest level. Run by hand:
//   build/bench/bridge_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/config_params.h"
#include "app/front_end.h"
#include "http_example/raw_client.h"
#include "vxb/common/debug.h"
#include "vxb/common/error.h"
#include "vxb/common/serial_port.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using Zorbel::HttpExample::Exchange;
using Zorbel::HttpExample::Response;

const std::string kBody = R"({"ConsultarEstado":{"CodigoComprobante":"83"}})";
const std::string kPost =
    "POST /fiscal.json HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
    "Content-Length: " +
    std::to_string(kBody.size()) + "\r\n\r\n" + kBody;
const std::string kIndex = "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";

// The emulator on its thread (paced at Baud when not 0), the serial port on
// the pseudo-terminal's other side, and the bridge's front end on a free
// port.
class Bridge {
 public:
  explicit Bridge(unsigned Baud) {
    VXB::Error::Init();
    VXP::Error::Init();
    VXB::Debug::Control::DisableAllModules();
    if (!pty_.Open()) VXB::Error::Abort("Can't create the pseudo-terminal");
    ZorbelEmulator::Options o;
    o.Baud = Baud;
    emu_ = std::make_unique<ZorbelEmulator::Emulator>(pty_, o);
    emulator_ = std::thread([this] { emu_->Serve(); });
    VXB::SerialParams p;
    p.WordLength = VXB::SerialPort::WORD_LENGTH_8;
    p.Parity = VXB::SerialPort::PARITYMODE_NONE;
    p.StopBits = VXB::SerialPort::STOP_1;
    p.FlowControl.Clear();
    VXB::SerialPort::GetBaudRate(9600.0, p.BaudRate);
    if (!serial_.Open(pty_.SlavePath()) || !serial_.SetSerialParams(p))
      VXB::Error::Abort("Can't open %s", pty_.SlavePath());
    Zorbel::ConfigParams config;
    config.HTTPPort = 0;
    front_ = Zorbel::MakeHTTPFrontEnd(config, "zorbel");
    if (!front_->Start(serial_, nullptr))
      VXB::Error::Abort("Can't start the front end: %s", VXB::Error::GetCurrent().Context);
    port_ = static_cast<VXB::Network::PORT>(front_->Port());
  }
  ~Bridge() {
    front_->Stop();
    front_->WaitStopped();
    front_.reset();
    emu_->Stop();
    emulator_.join();
  }

  // One request; its wall time in microseconds, or a negative value when
  // the answer is not a complete 200 (for a POST: not the status answer).
  double Timed(const std::string& Request, bool Command) {
    const Clock::time_point t0 = Clock::now();
    const Response r = Exchange(port_, Request);
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
    if (!r.complete || r.status != 200) return -1;
    if (Command && r.body.find("\"Estado\"") == std::string::npos) return -1;
    return us;
  }

  ZorbelEmulator::Emulator& Emulator() { return *emu_; }

 private:
  VXB::PseudoTerminal pty_;
  std::unique_ptr<ZorbelEmulator::Emulator> emu_;
  std::thread emulator_;
  VXB::SerialPort serial_;
  std::unique_ptr<Zorbel::FrontEnd> front_;
  VXB::Network::PORT port_ = 0;
};

// The value below which Fraction of the samples lie.
double Quantile(std::vector<double> v, double Fraction) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  std::size_t i = static_cast<std::size_t>(Fraction * static_cast<double>(v.size()));
  if (i >= v.size()) i = v.size() - 1;
  return v[i];
}

void BM_CommandAgainstIndexPage(benchmark::State& state) {
  Bridge bridge(0);
  std::vector<double> get_us, post_us;
  for (auto _ : state) {
    const double g = bridge.Timed(kIndex, false);
    const double p = bridge.Timed(kPost, true);
    if (g < 0 || p < 0) {
      state.SkipWithError("request failed");
      break;
    }
    get_us.push_back(g);
    post_us.push_back(p);
  }
  const double get_median = Quantile(get_us, 0.5);
  const double post_median = Quantile(post_us, 0.5);
  state.counters["get_median_us"] = get_median;
  state.counters["get_p99_us"] = Quantile(get_us, 0.99);
  state.counters["post_median_us"] = post_median;
  state.counters["post_p99_us"] = Quantile(post_us, 0.99);
  state.counters["added_median_us"] = post_median - get_median;
}
BENCHMARK(BM_CommandAgainstIndexPage)->Unit(benchmark::kMicrosecond)->MinTime(3.0)->UseRealTime();

void BM_SequentialCommands(benchmark::State& state) {
  Bridge bridge(0);
  std::vector<double> us;
  for (auto _ : state) {
    const double p = bridge.Timed(kPost, true);
    if (p < 0) {
      state.SkipWithError("request failed");
      break;
    }
    us.push_back(p);
  }
  state.counters["median_us"] = Quantile(us, 0.5);
  state.counters["commands_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SequentialCommands)->Unit(benchmark::kMicrosecond)->MinTime(3.0)->UseRealTime();

// The POST's wall time against the wire time of the bytes the emulator read
// and wrote for it; the final ACK is counted once the emulator has read it.
void BM_PacedCommand9600(benchmark::State& state) {
  constexpr double kBaud = 9600.0;
  Bridge bridge(static_cast<unsigned>(kBaud));
  ZorbelEmulator::Emulator& emu = bridge.Emulator();
  std::vector<double> post_ms, wire_ms, ratio;
  for (auto _ : state) {
    const unsigned acked = emu.GetStats().Acknowledged.load();
    const unsigned before = emu.GetStats().BytesReceived.load() + emu.GetStats().BytesSent.load();
    const double p = bridge.Timed(kPost, true);
    if (p < 0 || !emu.WaitAcknowledged(acked + 1, 2000)) {
      state.SkipWithError("request failed");
      break;
    }
    const unsigned after = emu.GetStats().BytesReceived.load() + emu.GetStats().BytesSent.load();
    const double wire = (after - before) * 10.0 * 1000.0 / kBaud;
    post_ms.push_back(p / 1000.0);
    wire_ms.push_back(wire);
    ratio.push_back(p / 1000.0 / wire);
  }
  state.counters["post_median_ms"] = Quantile(post_ms, 0.5);
  state.counters["post_p99_ms"] = Quantile(post_ms, 0.99);
  state.counters["wire_ms"] = Quantile(wire_ms, 0.5);
  state.counters["ratio_median"] = Quantile(ratio, 0.5);
  state.counters["ratio_p99"] = Quantile(ratio, 0.99);
}
BENCHMARK(BM_PacedCommand9600)->Unit(benchmark::kMillisecond)->Iterations(100)->UseRealTime();

}  // namespace
