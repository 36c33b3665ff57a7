#include "zorbel_emulator/emulator.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <thread>

#include "common/tool_support.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/error_numbers.h"
#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "zorbel_emulator/framing.h"

namespace ZorbelEmulator {

// The controller's own framing, never the bridge's.
namespace Wire = Framing;
namespace RG3561 = VXP::Argentina::RG3561;

namespace {

// Pause after a line failure (no party on the other side) before reading
// again.
constexpr unsigned FAILURE_PAUSE_MS = 20;

}  // namespace

Emulator::Emulator(VXB::Driver::Generic& Line, Options Opts)
    : line_(Line), opts_(std::move(Opts)), random_(opts_.Random.Seed) {
  body_.reserve(MAX_BODY);
}

bool Emulator::DrawFault(bool Enabled) {
  if (opts_.Random.Rate <= 0) return false;
  // One draw per occasion whatever the kinds, so that switching a kind off
  // does not shift the faults of the others.
  const bool falls = std::uniform_real_distribution<double>(0.0, 1.0)(random_) < opts_.Random.Rate;
  if (!falls || !Enabled) return false;
  stats_.RandomFaults.fetch_add(1);
  return true;
}

void Emulator::CountExecution() {
  stats_.Executed.fetch_add(1);
  std::lock_guard<std::mutex> lock(executions_mutex_);
  ++executions_[std::string(body_.begin() + (body_.empty() ? 0 : 1), body_.end())];
}

std::vector<Execution> Emulator::Executions() const {
  std::lock_guard<std::mutex> lock(executions_mutex_);
  std::vector<Execution> out;
  out.reserve(executions_.size());
  for (const auto& [packet, count] : executions_) out.push_back({packet, count});
  return out;
}

std::string Emulator::Summary() const {
  const std::vector<Execution> all = Executions();
  unsigned repeated = 0;
  for (const Execution& e : all) repeated += e.Count > 1 ? 1 : 0;
  char line[256];
  std::snprintf(line, sizeof line,
                "packets %u executed %u replayed %u nak %u random-faults %u acknowledged %u\n"
                "executed-more-than-once %u\n",
                stats_.Packets.load(), stats_.Executed.load(), stats_.Replayed.load(),
                stats_.BadPackets.load(), stats_.RandomFaults.load(), stats_.Acknowledged.load(),
                repeated);
  std::string out = line;
  for (const Execution& e : all) {
    out += "exec\t" + std::to_string(e.Count) + "\t" +
           ZorbelTools::EscapeBytes(reinterpret_cast<const VXB::Byte*>(e.Packet.data()),
                                    static_cast<unsigned>(e.Packet.size())) +
           "\n";
  }
  return out;
}

void Emulator::Log(const char* Format, ...) {
  if (!opts_.Trace) return;
  char buf[256];
  va_list args;
  va_start(args, Format);
  std::vsnprintf(buf, sizeof buf, Format, args);
  va_end(args);
  opts_.Trace(buf);
}

Emulator::Clock::duration Emulator::ByteTime() const {
  // Start bit, eight data bits, stop bit.
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(10.0 / opts_.Baud));
}

void Emulator::Stop() {
  {
    std::lock_guard<std::mutex> lock(stop_mutex_);
    stop_.store(true);
  }
  stop_cv_.notify_all();
  line_.Abort();
}

bool Emulator::SleepUntil(Clock::time_point When) {
  std::unique_lock<std::mutex> lock(stop_mutex_);
  return !stop_cv_.wait_until(lock, When, [this] { return stop_.load(); });
}

void Emulator::LogBytes(const char* Label, const std::vector<VXB::Byte>& Bytes) {
  if (!opts_.Trace) return;
  opts_.Trace(std::string(Label) + ": " +
              ZorbelTools::EscapeBytes(Bytes.data(), static_cast<unsigned>(Bytes.size())));
}

bool Emulator::WaitAcknowledged(unsigned Count, unsigned TimeoutMs) {
  std::unique_lock<std::mutex> lock(ack_mutex_);
  return ack_cv_.wait_for(lock, std::chrono::milliseconds(TimeoutMs),
                          [&] { return stats_.Acknowledged.load() >= Count; });
}

void Emulator::Serve() {
  VXB::Byte buf[256];
  while (!stop_.load()) {
    if (lost_answer_requested_.exchange(false)) SendLostAnswer();
    unsigned wait = READ_SLICE_MS;
    if (awaiting_ack_) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(ack_deadline_ - Clock::now());
      wait = static_cast<unsigned>(std::clamp<long long>(left.count(), 0, wait));
    }
    VXB::Byte first = 0;
    if (!line_.ReadByte(first, wait)) {
      const VXB::Error::ErrInfo* e = VXB::Error::GetLastError();
      const bool quiet = e != nullptr && e->Error == VXB::Error::IO_TIMEOUT_ERROR;
      if (awaiting_ack_ && Clock::now() >= ack_deadline_) OnAnswerTimeout();
      if (!quiet && !stop_.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(FAILURE_PAUSE_MS));
      continue;
    }
    buf[0] = first;
    unsigned n = 1;
    const unsigned more = std::min<unsigned>(line_.Peek(), sizeof buf - 1);
    if (more > 0) n += line_.ReadBuffer(buf + 1, more, 0);
    stats_.BytesReceived.fetch_add(n);
    const Clock::time_point arrived = Clock::now();
    for (unsigned i = 0; i < n && !stop_.load(); ++i) {
      if (opts_.Baud != 0) {
        // The byte is acted upon when its last bit would have arrived.
        rx_free_ = std::max(arrived, rx_free_) + ByteTime();
        std::this_thread::sleep_until(rx_free_);
      }
      FeedByte(buf[i]);
    }
  }
}

void Emulator::Feed(const VXB::Byte* Bytes, unsigned Size) {
  for (unsigned i = 0; i < Size; ++i) FeedByte(Bytes[i]);
}

void Emulator::FeedByte(VXB::Byte b) {
  if (b == Wire::STX) {
    // A new packet: the host has moved on from the previous answer.
    awaiting_ack_ = false;
    rx_state_ = RxState::BODY;
    body_.clear();
    return;
  }
  switch (rx_state_) {
    case RxState::IDLE:
      if (b == Wire::ACK && awaiting_ack_) {
        awaiting_ack_ = false;
        {
          std::lock_guard<std::mutex> lock(ack_mutex_);
          stats_.Acknowledged.fetch_add(1);
        }
        ack_cv_.notify_all();
        Log("ACK de la respuesta");
      } else if (b == Wire::NAK && awaiting_ack_) {
        Log("NAK de la respuesta");
        OnAnswerTimeout();
      }
      return;
    case RxState::BODY:
      if (b == Wire::ETX) {
        rx_state_ = RxState::CHECKSUM;
        digit_count_ = 0;
        return;
      }
      if (body_.size() >= MAX_BODY) {
        Log("Paquete demasiado largo; descartado");
        rx_state_ = RxState::IDLE;
        body_.clear();
        return;
      }
      body_.push_back(b);
      return;
    case RxState::CHECKSUM:
      digits_[digit_count_++] = static_cast<char>(b);
      if (digit_count_ < Wire::CHECKSUM_DIGITS) return;
      digits_[digit_count_] = '\0';
      rx_state_ = RxState::IDLE;
      OnPacket();
      return;
  }
}

void Emulator::OnPacket() {
  const unsigned size = static_cast<unsigned>(body_.size());
  if (opts_.Trace) {
    std::vector<VXB::Byte> packet{Wire::STX};
    packet.insert(packet.end(), body_.begin(), body_.end());
    packet.push_back(Wire::ETX);
    packet.insert(packet.end(), digits_, digits_ + Wire::CHECKSUM_DIGITS);
    LogBytes("Recibido", packet);
  }
  bool ok = Wire::ChecksumMatches(body_.data(), size, digits_);
  const bool with_esc = size >= 2 && body_[1] == Wire::ESC;
  const unsigned cmd_at = with_esc ? 2 : 1;
  // Sequence, [ESC,] command, then nothing or FS and the fields.
  ok = ok && size > cmd_at && body_[cmd_at] != Wire::FS &&
       (size == cmd_at + 1 || body_[cmd_at + 1] == Wire::FS);
  if (!ok) {
    Log("Paquete inv\xA0lido; NAK");
    stats_.BadPackets.fetch_add(1);
    SendByte(Wire::NAK);
    return;
  }
  const VXB::Byte seq = body_[0];
  const VXB::Byte command = body_[cmd_at];
  Faults& f = opts_.Inject;
  if (f.Silence > 0) {
    --f.Silence;
    Log("Paquete %u ignorado (silencio)", seq);
    return;
  }
  if (f.Nak > 0) {
    --f.Nak;
    stats_.BadPackets.fetch_add(1);
    Log("Paquete %u rechazado (NAK inyectado)", seq);
    SendByte(Wire::NAK);
    return;
  }
  if (DrawFault(opts_.Random.Nak)) {
    stats_.BadPackets.fetch_add(1);
    Log("Paquete %u rechazado (NAK al azar)", seq);
    SendByte(Wire::NAK);
    return;
  }
  stats_.Packets.fetch_add(1);
  if (have_last_ && body_ == last_body_) {
    // Sent again after a lost acknowledge or answer: same answer, no second
    // execution.
    stats_.Replayed.fetch_add(1);
    Log("Paquete %u repetido; se repite la respuesta", seq);
    SendByte(Wire::ACK);
    SendAnswer(last_answer_);
    return;
  }
  FieldList fields;
  if (size > cmd_at + 1) {
    std::string current;
    for (unsigned i = cmd_at + 2; i < size; ++i) {
      if (body_[i] == Wire::FS) {
        fields.push_back(std::move(current));
        current.clear();
      } else {
        current.push_back(static_cast<char>(body_[i]));
      }
    }
    fields.push_back(std::move(current));
  }
  last_body_ = body_;
  have_last_ = true;
  SendByte(Wire::ACK);
  Execute(seq, with_esc, command, fields);
}

void Emulator::Execute(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command,
                       const FieldList& Fields) {
  Faults& f = opts_.Inject;
  VXB::Byte answered = Command;
  Reply reply;
  if (WithEsc && Command == Wire::BUSY_STATE) {
    if (busy_pending_ && busy_polls_left_ > 0) {
      --busy_polls_left_;
      Log("Consulta de espera %u: ocupado", Sequence);
      reply = controller_.Execute(Command, {});
      reply.PrinterStatus |=
          RG3561::Estado::Impresora::Bit(RG3561::Estado::Impresora::BIT_IMPRESORA_OCUPADA);
    } else if (busy_pending_) {
      busy_pending_ = false;
      Log("Consulta de espera %u: trabajo terminado", Sequence);
      answered = busy_command_;
      reply = busy_reply_;
    } else if (last_command_ != 0) {
      answered = last_command_;
      reply = last_reply_;
    } else {
      answered = RG3561::CMD_CONSULTAR_ESTADO;
      reply = controller_.Execute(answered, {});
      CountExecution();
    }
  } else {
    busy_pending_ = false;
    reply = controller_.Execute(Command, Fields);
    CountExecution();
    if (opts_.PaperOutMs > 0 && FiscalController::Prints(Command)) {
      // The paper runs out while this command prints: its answer says so.
      reply.PrinterStatus |=
          RG3561::Estado::Impresora::Bit(RG3561::Estado::Impresora::BIT_FALTA_PAPEL_RECEIPT);
    }
    Log("Comando %02Xh (secuencia %u) ejecutado: %04X %04X, %u campos", Command, Sequence,
        reply.PrinterStatus, reply.FiscalStatus, static_cast<unsigned>(reply.Fields.size()));
    if (FiscalController::Prints(Command)) Work();
    if (WithEsc && f.Busy > 0) {
      --f.Busy;
      busy_pending_ = true;
      busy_polls_left_ = f.BusyPolls;
      busy_command_ = Command;
      busy_reply_ = reply;
      Log("Comando %02Xh contestado en espera", Command);
      answered = Wire::BUSY_STATE;
      reply = controller_.Execute(answered, {});
      reply.PrinterStatus |=
          RG3561::Estado::Impresora::Bit(RG3561::Estado::Impresora::BIT_IMPRESORA_OCUPADA);
    }
  }
  if (answered != Wire::BUSY_STATE) {
    last_command_ = answered;
    last_reply_ = reply;
  }
  std::vector<VXB::Byte> frame = BuildAnswer(Sequence, WithEsc, answered, reply);
  if (frame.empty()) return;
  previous_answer_ = std::move(last_answer_);
  last_answer_ = frame;

  if (f.AckOnly > 0 || DrawFault(opts_.Random.LostAnswer)) {
    if (f.AckOnly > 0) --f.AckOnly;
    Log("Respuesta %u no enviada (solo ACK)", Sequence);
    return;
  }
  if (f.Stale > 0) {
    --f.Stale;
    std::vector<VXB::Byte> stale = previous_answer_;
    if (stale.empty()) {
      // No earlier answer yet: an answer numbered one below this packet.
      const VXB::Byte before = Sequence > Wire::MIN_SEQUENCE ? Sequence - 1 : Wire::MAX_SEQUENCE;
      stale = BuildAnswer(before, WithEsc, RG3561::CMD_CONSULTAR_ESTADO,
                          controller_.Execute(RG3561::CMD_CONSULTAR_ESTADO, {}));
    }
    Log("Respuesta vieja en lugar de la %u", Sequence);
    SendAnswer(stale);
    return;
  }
  SendAnswer(frame);
}

void Emulator::Work() {
  const auto interval = std::chrono::milliseconds(std::max(1u, opts_.Dc2IntervalMs));
  // False when Stop() came meanwhile.
  auto phase = [&](unsigned total_ms, VXB::Byte keepalive) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(total_ms);
    for (Clock::time_point next = Clock::now() + interval; next < end; next += interval) {
      if (!SleepUntil(next)) return false;
      SendByte(keepalive);
    }
    return SleepUntil(end);
  };
  if (opts_.PaperOutMs > 0) {
    controller_.SetPaperOut(true);
    Log("Sin papel");
    const bool go_on = phase(opts_.PaperOutMs, Wire::DC4);
    controller_.SetPaperOut(false);
    if (!go_on) return;
  }
  if (opts_.SlowMs > 0) phase(opts_.SlowMs, Wire::DC2);
}

std::vector<VXB::Byte> Emulator::BuildAnswer(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command,
                                             const Reply& R) {
  std::string text;
  char words[16];
  std::snprintf(words, sizeof words, "%04X%c%04X", R.PrinterStatus, Wire::FS, R.FiscalStatus);
  text = words;
  for (const std::string& field : R.Fields) {
    text.push_back(static_cast<char>(Wire::FS));
    text += field;
  }
  return Wire::Build(Sequence, WithEsc, Command, text);
}

void Emulator::SendAnswer(const std::vector<VXB::Byte>& Answer) {
  pending_answer_ = Answer;
  resends_left_ = opts_.AnswerRetries;
  Transmit(Answer);
  awaiting_ack_ = true;
  ack_deadline_ = Clock::now() + std::chrono::milliseconds(opts_.AnswerAckTimeoutMs);
}

void Emulator::Transmit(const std::vector<VXB::Byte>& Answer) {
  // Every transmission is an occasion for the answer faults, resends
  // included, so that a run of spoiled answers can be driven.
  std::vector<VXB::Byte> wire = Answer;
  Faults& f = opts_.Inject;
  const bool random_checksum = DrawFault(opts_.Random.BadChecksum);
  if ((f.BadChecksum > 0 || random_checksum) && wire.size() > 1) {
    if (!random_checksum) --f.BadChecksum;
    wire.back() = wire.back() == '0' ? '1' : '0';
    Log("Respuesta con checksum alterado");
  } else if (f.DropByte > 0 && wire.size() > 8) {
    --f.DropByte;
    // A byte from the middle of the body: the checksum no longer matches.
    wire.erase(wire.begin() + static_cast<long>(wire.size() / 2 - 2));
    Log("Respuesta con un byte perdido");
  }
  LogBytes("Enviado", wire);
  Send(wire.data(), static_cast<unsigned>(wire.size()));
}

void Emulator::OnAnswerTimeout() {
  if (resends_left_ == 0) {
    Log("Respuesta sin ACK; se abandona");
    awaiting_ack_ = false;
    return;
  }
  --resends_left_;
  Log("Se env\xA1"
      "a la respuesta otra vez");
  Transmit(pending_answer_);
  ack_deadline_ = Clock::now() + std::chrono::milliseconds(opts_.AnswerAckTimeoutMs);
}

void Emulator::SendLostAnswer() {
  if (last_answer_.empty()) {
    Reply r = controller_.Execute(RG3561::CMD_CONSULTAR_ESTADO, {});
    stats_.Executed.fetch_add(1);
    last_answer_ = BuildAnswer(Wire::MAX_SEQUENCE, true, RG3561::CMD_CONSULTAR_ESTADO, r);
  }
  Log("Respuesta perdida en la l\xA1nea");
  Send(last_answer_.data(), static_cast<unsigned>(last_answer_.size()));
}

void Emulator::Send(const VXB::Byte* Bytes, unsigned Size) {
  stats_.BytesSent.fetch_add(Size);
  // A line that fails loses the bytes, as a real line would; the host sees
  // a fault and tries again, and the next read reports the line's state.
  if (opts_.Baud == 0) {
    if (line_.WriteBuffer(Bytes, Size, VXB::Constants::WAIT_FOREVER) < Size)
      Log("Fallo de l\xA1nea al enviar");
    return;
  }
  // Each byte leaves when it has passed the simulated line. The times are
  // reckoned from the start of the run of bytes, so that late wake-ups do
  // not add up.
  const Clock::time_point start = std::max(Clock::now(), tx_free_);
  for (unsigned i = 0; i < Size; ++i) {
    std::this_thread::sleep_until(start + ByteTime() * (i + 1));
    if (line_.WriteBuffer(Bytes + i, 1, VXB::Constants::WAIT_FOREVER) < 1) {
      Log("Fallo de l\xA1nea al enviar");
      break;
    }
  }
  tx_free_ = start + ByteTime() * Size;
}

}  // namespace ZorbelEmulator
