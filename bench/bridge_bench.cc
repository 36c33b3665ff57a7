// The whole bridge in process: HTTP requests from a loopback client to the
// bridge's front end, the packet protocol over a pseudo-terminal, and the
// controller emulator on its other side.
//
//  - BM_CommandAgainstIndexPage: one GET of the index page and one
//    ConsultarEstado POST to fiscal.json in turn, on a line that answers at
//    once; median and 99th percentile of each, and what the command adds.
//  - BM_SequentialCommands: ConsultarEstado POSTs one after another from one
//    client; commands per second. BM_SequentialCommandsTwoWrites: the same
//    with a client that sends the request head and the body in two writes,
//    as some point-of-sale HTTP stacks do.
//  - BM_CommandWithIdleConnections/N: the ConsultarEstado POST while N
//    connections are open and silent and (for N > 0) ten more trickle a
//    head one byte a second, against the same POST on a quiet server (N 0):
//    no client waits for an idle one.
//  - BM_JournalCost: the same ConsultarEstado POSTs one after another with
//    the answer journal in memory only and on disk (in a directory under
//    /tmp: say which disk that is when quoting the figures; one flush per
//    command, the intent's, which takes the answer before it along), and
//    a request answered from the journal (the same Idempotency-Key
//    again); medians of each and what the disk adds.
//  - BM_StatusPage/N: GET /status.json (0), /metrics (1) and the index
//    page (2) on an idle bridge that has answered one command: median and
//    99th percentile (the goal for the first two: a median under 1 ms).
//  - BM_PacedCommand9600: the same POST on a line paced at 9600 bits per
//    second, against the time its bytes take on the wire (command, ACK,
//    answer, ACK; 10 bits a byte).
//
// Every request is a fresh connection (HTTP/1.0, "Connection: close").
// "stalls" counts requests over 20 ms, the mark of an answer held back by
// Nagle's algorithm against a delayed acknowledge (40 ms on Linux). Debug
// output is off, as at the program's lowest level. Run by hand:
//   build/bench/bridge_bench --benchmark_counters_tabular=true
// On a machine busy with other work the tail (p99, the mean and so the
// rate) is mostly waiting for a processor; `chrt -f 10` before the command
// (as root) gives the benchmark's threads the processor first.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/config_params.h"
#include "app/front_end.h"
#include "http_example/raw_client.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using Zorbel::HttpExample::Exchange;
using Zorbel::HttpExample::Response;

const std::string kBody = R"({"ConsultarEstado":{"CodigoComprobante":"83"}})";
const std::string kPostHead =
    "POST /fiscal.json HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
    "Content-Length: " +
    std::to_string(kBody.size()) + "\r\n\r\n";
const std::string kPost = kPostHead + kBody;
constexpr double kStallUs = 20000;
const std::string kIndex = "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";

// The emulator on its thread (paced at Baud when not 0), the serial port on
// the pseudo-terminal's other side, and the bridge's front end on a free
// port.
class Bridge {
 public:
  explicit Bridge(unsigned Baud, const std::string& JournalDir = "") {
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
    config.JournalDirectory = JournalDir;
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
  // With Body, Request is sent first and Body in a second write.
  double Timed(const std::string& Request, bool Command, const std::string* Body = nullptr) {
    const Clock::time_point t0 = Clock::now();
    Response r;
    if (Body == nullptr) {
      r = Exchange(port_, Request);
    } else {
      Zorbel::HttpExample::RawClient c;
      std::string raw;
      if (c.Connect(port_) && c.Send(Request) && c.Send(*Body) && c.ReadAll(raw))
        r = Zorbel::HttpExample::ParseResponse(raw);
    }
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
    if (!r.complete || r.status != 200) return -1;
    if (Command && r.body.find("\"Estado\"") == std::string::npos) return -1;
    return us;
  }

  ZorbelEmulator::Emulator& Emulator() { return *emu_; }
  VXB::Network::PORT Port() const { return port_; }

 private:
  VXB::PseudoTerminal pty_;
  std::unique_ptr<ZorbelEmulator::Emulator> emu_;
  std::thread emulator_;
  VXB::SerialPort serial_;
  std::unique_ptr<Zorbel::FrontEnd> front_;
  VXB::Network::PORT port_ = 0;
};

double Stalls(const std::vector<double>& v) {
  return static_cast<double>(
      std::count_if(v.begin(), v.end(), [](double us) { return us > kStallUs; }));
}

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
  state.counters["stalls"] = Stalls(get_us) + Stalls(post_us);
}
BENCHMARK(BM_CommandAgainstIndexPage)->Unit(benchmark::kMicrosecond)->MinTime(3.0)->UseRealTime();

void BM_StatusPage(benchmark::State& state) {
  static const std::string kPages[] = {
      "GET /status.json HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n",
      "GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n",
      kIndex,
  };
  static const char* const kNames[] = {"status.json", "metrics", "index"};
  const auto page = static_cast<std::size_t>(state.range(0));
  Bridge bridge(0);
  if (bridge.Timed(kPost, true) < 0) {
    state.SkipWithError("command failed");
    return;
  }
  std::vector<double> us;
  for (auto _ : state) {
    const double t = bridge.Timed(kPages[page], false);
    if (t < 0) {
      state.SkipWithError("request failed");
      break;
    }
    us.push_back(t);
  }
  state.SetLabel(kNames[page]);
  state.counters["median_us"] = Quantile(us, 0.5);
  state.counters["p99_us"] = Quantile(us, 0.99);
  state.counters["stalls"] = Stalls(us);
}
BENCHMARK(BM_StatusPage)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0)
    ->UseRealTime();

void SequentialCommands(benchmark::State& state, bool TwoWrites) {
  Bridge bridge(0);
  std::vector<double> us;
  for (auto _ : state) {
    const double p = TwoWrites ? bridge.Timed(kPostHead, true, &kBody) : bridge.Timed(kPost, true);
    if (p < 0) {
      state.SkipWithError("request failed");
      break;
    }
    us.push_back(p);
  }
  state.counters["median_us"] = Quantile(us, 0.5);
  state.counters["p99_us"] = Quantile(us, 0.99);
  state.counters["stalls"] = Stalls(us);
  state.counters["max_us"] = Quantile(us, 1.0);
  // What one client would get without the waits for a busy processor that
  // make the tail of a shared machine.
  const double median = Quantile(us, 0.5);
  state.counters["per_s_at_median"] = median > 0 ? 1e6 / median : 0;
  state.counters["commands_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_SequentialCommands(benchmark::State& state) { SequentialCommands(state, false); }
void BM_SequentialCommandsTwoWrites(benchmark::State& state) { SequentialCommands(state, true); }
BENCHMARK(BM_SequentialCommands)->Unit(benchmark::kMicrosecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_SequentialCommandsTwoWrites)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(3.0)
    ->UseRealTime();

void BM_CommandWithIdleConnections(benchmark::State& state) {
  Bridge bridge(0);
  const auto idle_count = static_cast<std::size_t>(state.range(0));
  std::vector<Zorbel::HttpExample::RawClient> idle(idle_count);
  for (auto& c : idle) {
    if (!c.Connect(bridge.Port())) {
      state.SkipWithError("idle connection");
      return;
    }
  }
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    if (idle_count == 0) return;
    std::vector<Zorbel::HttpExample::RawClient> slow(10);
    for (auto& c : slow) c.Connect(bridge.Port()) && c.Send("GET / HTTP/1.0\r\nX-Slow: ");
    while (!done.load()) {
      for (auto& c : slow) c.Send("a");
      for (int k = 0; k < 20 && !done.load(); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  std::vector<double> us;
  for (auto _ : state) {
    const double p = bridge.Timed(kPost, true);
    if (p < 0) {
      state.SkipWithError("request failed");
      break;
    }
    us.push_back(p);
  }
  done.store(true);
  trickle.join();
  state.counters["median_us"] = Quantile(us, 0.5);
  state.counters["p99_us"] = Quantile(us, 0.99);
  state.counters["max_us"] = Quantile(us, 1.0);
}
BENCHMARK(BM_CommandWithIdleConnections)
    ->Arg(0)
    ->Arg(50)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(3.0)
    ->UseRealTime();
std::string KeyedPost(const std::string& Key) {
  return "POST /fiscal.json HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
         "Idempotency-Key: " +
         Key + "\r\nContent-Length: " + std::to_string(kBody.size()) + "\r\n\r\n" + kBody;
}

void BM_JournalCost(benchmark::State& state) {
  char dir_template[] = "/tmp/zorbel-bench-journal-XXXXXX";
  const char* dir = mkdtemp(dir_template);
  if (dir == nullptr) {
    state.SkipWithError("no scratch directory");
    return;
  }
  Bridge memory(0);
  Bridge disk(0, dir);
  const std::string replay = KeyedPost("bench-replay");
  if (disk.Timed(replay, true) < 0) state.SkipWithError("request failed");
  std::vector<double> memory_us, disk_us, replay_us;
  for (auto _ : state) {
    const double m = memory.Timed(kPost, true);
    const double d = disk.Timed(kPost, true);
    const double r = disk.Timed(replay, true);
    if (m < 0 || d < 0 || r < 0) {
      state.SkipWithError("request failed");
      break;
    }
    memory_us.push_back(m);
    disk_us.push_back(d);
    replay_us.push_back(r);
  }
  state.counters["memory_median_us"] = Quantile(memory_us, 0.5);
  state.counters["disk_median_us"] = Quantile(disk_us, 0.5);
  state.counters["disk_p99_us"] = Quantile(disk_us, 0.99);
  state.counters["added_median_us"] = Quantile(disk_us, 0.5) - Quantile(memory_us, 0.5);
  state.counters["replay_median_us"] = Quantile(replay_us, 0.5);
  for (const char* name : {"/journal1.dat", "/journal2.dat"})
    std::remove((dir + std::string(name)).c_str());
  rmdir(dir);
}
BENCHMARK(BM_JournalCost)->Unit(benchmark::kMicrosecond)->MinTime(3.0)->UseRealTime();

// The POST's wall time against the wire time of the bytes the emulator read
// and wrote for it; the final ACK is counted once the emulator has read it.
void BM_PacedCommand9600(benchmark::State& state) {
  constexpr double kBaud = 9600.0;
  Bridge bridge(static_cast<unsigned>(kBaud));
  ZorbelEmulator::Emulator& emu = bridge.Emulator();
  std::vector<double> post_ms, wire_ms, ratio, ratio_to_answer;
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
    // The answer reaches the client once the bridge has written the final
    // ACK, before that byte's time on the wire is over.
    ratio_to_answer.push_back(p / 1000.0 / (wire - 10.0 * 1000.0 / kBaud));
  }
  state.counters["post_median_ms"] = Quantile(post_ms, 0.5);
  state.counters["post_p99_ms"] = Quantile(post_ms, 0.99);
  state.counters["wire_ms"] = Quantile(wire_ms, 0.5);
  state.counters["ratio_median"] = Quantile(ratio, 0.5);
  state.counters["ratio_p99"] = Quantile(ratio, 0.99);
  state.counters["ratio_to_answer_median"] = Quantile(ratio_to_answer, 0.5);
}
BENCHMARK(BM_PacedCommand9600)->Unit(benchmark::kMillisecond)->Iterations(100)->UseRealTime();

}  // namespace
