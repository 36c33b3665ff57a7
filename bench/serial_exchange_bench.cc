// One command exchange with the controller emulator over a pseudo-terminal,
// in process: how long a ConsultarEstado takes and how many commands go per
// second on a line that answers at once, and, on a line paced at 9600 bits
// per second, how the exchange's wall time compares with the time its bytes
// take on the wire (command, ACK, answer, ACK; 10 bits a byte).
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/vardex_packet_protocol.h"
#include "vxp/vxp_errno.h"
#include "zorbel_cli/send_raw.h"
#include "zorbel_emulator/emulator.h"

namespace {

using Clock = std::chrono::steady_clock;

// The emulator on its thread, the bridge's side on the calling thread.
class Line {
 public:
  explicit Line(unsigned Baud) {
    VXB::Error::Init();
    VXP::Error::Init();
    if (!pty_.Open()) VXB::Error::Abort("Can't create the pseudo-terminal");
    ZorbelEmulator::Options o;
    o.Baud = Baud;
    emu_ = std::make_unique<ZorbelEmulator::Emulator>(pty_, o);
    server_ = std::thread([this] { emu_->Serve(); });
    VXB::SerialParams p;
    VXB::SerialPort::GetBaudRate(9600.0, p.BaudRate);
    p.WordLength = VXB::SerialPort::WORD_LENGTH_8;
    if (!port_.Open(pty_.SlavePath()) || !port_.SetSerialParams(p))
      VXB::Error::Abort("Can't open %s", pty_.SlavePath());
    protocol_.SetDriver(&port_);
    request_.Command = VXP::Argentina::RG3561::CMD_CONSULTAR_ESTADO;
  }
  ~Line() {
    protocol_.RemoveDriver();
    emu_->Stop();
    server_.join();
  }

  bool Exchange() { return ZorbelCli::ExchangeRaw(protocol_, request_); }
  ZorbelEmulator::Emulator& Emulator() { return *emu_; }

 private:
  VXB::PseudoTerminal pty_;
  std::unique_ptr<ZorbelEmulator::Emulator> emu_;
  std::thread server_;
  VXB::SerialPort port_;
  VXP::VardexPacketProtocol protocol_{true};
  ZorbelCli::SendRawRequest request_;
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void BM_ConsultarEstadoExchange(benchmark::State& state) {
  Line line(0);
  std::vector<double> us;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    if (!line.Exchange()) {
      state.SkipWithError("exchange failed");
      break;
    }
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  state.counters["median_us"] = Median(us);
  state.counters["commands_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConsultarEstadoExchange)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// Wall time up to the emulator's receipt of the final ACK, against the wire
// time of every byte of the exchange.
void BM_PacedExchange9600(benchmark::State& state) {
  constexpr double kBaud = 9600.0;
  Line line(static_cast<unsigned>(kBaud));
  ZorbelEmulator::Emulator& emu = line.Emulator();
  std::vector<double> wall_ms, wire_ms;
  for (auto _ : state) {
    const unsigned acked = emu.GetStats().Acknowledged.load();
    const unsigned bytes = emu.GetStats().BytesReceived.load() + emu.GetStats().BytesSent.load();
    const Clock::time_point t0 = Clock::now();
    if (!line.Exchange() || !emu.WaitAcknowledged(acked + 1, 2000)) {
      state.SkipWithError("exchange failed");
      break;
    }
    // The final ACK is counted once it has been read.
    const Clock::time_point t1 = Clock::now();
    wall_ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    const unsigned now = emu.GetStats().BytesReceived.load() + emu.GetStats().BytesSent.load();
    wire_ms.push_back((now - bytes) * 10.0 * 1000.0 / kBaud);
  }
  const double wall = Median(wall_ms);
  const double wire = Median(wire_ms);
  state.counters["wall_ms"] = wall;
  state.counters["wire_ms"] = wire;
  state.counters["overhead_pct"] = wire > 0 ? (wall / wire - 1.0) * 100.0 : 0;
}
BENCHMARK(BM_PacedExchange9600)->Unit(benchmark::kMillisecond)->Iterations(100)->UseRealTime();

}  // namespace
