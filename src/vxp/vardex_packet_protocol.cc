// The command exchange of the fiscal packet protocol: acknowledge, retry,
// busy-state and answer handling over the driver chain.
#include "vxp/vardex_packet_protocol.h"

#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/text/fields.h"
#include "vxp/vxp_errno.h"

namespace VXP {

namespace {

using namespace VardexFrame;  // NOLINT(google-build-using-namespace): control bytes

using VXB::Error::LastErrNo;

const char* LastDescription() {
  const VXB::Error::ErrInfo* e = VXB::Error::GetLastError();
  return e != nullptr && e->Description != nullptr ? e->Description : "";
}

const char* LastContext() {
  const VXB::Error::ErrInfo* e = VXB::Error::GetLastError();
  return e != nullptr ? e->Context : "";
}

// Same command, same fields, same encoding: the same packet once framed.
bool SameContent(const VardexDataContainer& A, const VardexDataContainer& B) {
  if (A.GetCommand() != B.GetCommand() || A.GetEncoding() != B.GetEncoding()) return false;
  unsigned a_size = 0;
  unsigned b_size = 0;
  const VXB::Byte* a = A.GetData().GetBinary(a_size);
  const VXB::Byte* b = B.GetData().GetBinary(b_size);
  if (a == nullptr) a_size = 0;
  if (b == nullptr) b_size = 0;
  return a_size == b_size && (a_size == 0 || std::memcmp(a, b, a_size) == 0);
}

}  // namespace

VardexPacketProtocol::VardexPacketProtocol(bool WithBusyState)
    : VardexProtocol("VardexPacketProtocol"),
      BusyStateProtocol(WithBusyState),
      EncodedBuffer(std::make_unique<VXB::Byte[]>(ENCODED_BUFFER_SIZE)) {
  Retries = 3;
  Timeout = 2000;
}

VardexPacketProtocol::~VardexPacketProtocol() {
  // The wrapper reads from the read-ahead buffer: drop it first.
  RemoveDriver();
}

bool VardexPacketProtocol::SetDriver(VXB::Driver::Generic* d) {
  RemoveDriver();
  BufferedDriver.reset();
  if (d == nullptr) return true;
  BufferedDriver = std::make_unique<VXB::Driver::BufferedReader>(*d);
  return CommunicationsProtocol::SetDriver(BufferedDriver.get());
}

void VardexPacketProtocol::Abort() {
  Stopped.store(true);
  // Also end the read that is waiting now, not only the next pass.
  CommunicationsProtocol::Abort();
}

void VardexPacketProtocol::Halt() {
  // Kept before the abort, so that an exchange starting in between sees it.
  Halted.store(true);
  Abort();
}

// ---------------------------------------------------------------------------
// Sequence numbers and framing

bool VardexPacketProtocol::SetNextSequence(unsigned s) {
  if (s < MIN_SEQUENCE || s > MAX_SEQUENCE)
    return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_SEQUENCE,
                                      "Secuencia %u fuera de rango (%u-%u)", s, MIN_SEQUENCE,
                                      MAX_SEQUENCE);
  CommandPacketNumber = static_cast<VXB::Byte>(s);
  NumberChosen = true;
  return true;
}

void VardexPacketProtocol::IncrementSequence() {
  CommandPacketNumber = CommandPacketNumber >= MAX_SEQUENCE
                            ? static_cast<VXB::Byte>(MIN_SEQUENCE)
                            : static_cast<VXB::Byte>(CommandPacketNumber + 1);
}

void VardexPacketProtocol::GetSequenceRange(unsigned& Min, unsigned& Max) {
  Min = MIN_SEQUENCE;
  Max = MAX_SEQUENCE;
}

unsigned VardexPacketProtocol::Frame(const VardexDataContainer& Data, VXB::Byte Sequence,
                                     VXB::Byte* Buffer, unsigned BufferSize) {
  // A busy-state query never becomes the command being worked on.
  if (!(BusyStateProtocol && Data.GetCommand() == CMD_QUERY_BUSY_STATE))
    CurrentCommand = Data.GetCommand();
  const VXB::Fields& fields = Data.GetData();
  unsigned size = 0;
  const VXB::Byte* text = fields.GetBinary(size);
  if (text == nullptr) size = 0;
  const VXB::ASCII::Charsets encoding = Data.GetEncoding();
  const bool convert =
      size > 0 && encoding != VXB::ASCII::CP437 && encoding != VXB::ASCII::NO_CHARSET;

  // Each field is checked on its own bytes, as the controller will get them:
  // in the joined text a separator inside a value could not be told from
  // the one between values. A text never split into fields counts as one.
  const unsigned count = fields.GetNumberOfFields();
  unsigned converted = 0;
  for (unsigned i = 0; i < (count > 0 ? count : 1); ++i) {
    unsigned field_size = size;
    const VXB::Byte* field = count > 0 ? fields.GetFieldData(i, field_size) : text;
    if (convert) {
      if (i > 0) {
        if (converted >= ENCODED_BUFFER_SIZE)
          return VXB::Error::SetWithContext(
              Error::PROTOCOL_SIZE, "Longitud de paquete %u demasiado grande (m\xA0ximo %u)", size,
              ENCODED_BUFFER_SIZE);
        EncodedBuffer[converted++] = FS;
      }
      unsigned n = 0;
      if (!EncodeForController(field, field_size, encoding, EncodedBuffer.get() + converted,
                               ENCODED_BUFFER_SIZE - converted, n))
        return 0;
      field = EncodedBuffer.get() + converted;
      field_size = n;
      converted += n;
    }
    if (!CheckField(field, field_size, i)) return 0;
  }
  if (convert) {
    text = EncodedBuffer.get();
    size = converted;
  }
  return Build(Sequence, BusyStateProtocol, Data.GetCommand(), text, size, Buffer, BufferSize);
}

// ---------------------------------------------------------------------------
// Exchange

// Waits are measured in windows of Timeout milliseconds that only progress
// on the line restarts (a write, a keep-alive, bytes of a packet). Bytes
// that mean nothing do not extend a window, so a noisy line still ends in a
// time-out and costs a retry instead of holding the exchange forever.
std::uint64_t VardexPacketProtocol::WindowEnd() const {
  if (Timeout == VXB::Constants::WAIT_FOREVER) return UINT64_MAX;
  return VXB::System::MonotonicMilliseconds() + Timeout;
}

bool VardexPacketProtocol::ReadByte(VXB::Byte& c, std::uint64_t Until) {
  unsigned wait = VXB::Constants::WAIT_FOREVER;
  if (Until != UINT64_MAX) {
    const std::uint64_t now = VXB::System::MonotonicMilliseconds();
    if (now >= Until)
      return VXB::Error::SetWithContext(VXB::Error::IO_TIMEOUT_ERROR, "Lectura de 1 bytes");
    wait = static_cast<unsigned>(Until - now);
  }
  return Read(&c, 1, wait) == 1;
}

bool VardexPacketProtocol::FailLoop(const char* Where, const char* Context) {
  if (Aborting()) return VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "%s", Where);
  Debugger->Print("M\xA0xima cantidad de reintentos agotada");
  return VXB::Error::SetWithContext(Error::PROTOCOL_MAX_RETRIES, Context, Retries);
}

// A command: the start (lost answers), the packet in doubt if there is one,
// then the command's own exchange.
bool VardexPacketProtocol::SendCommand(const VardexDataContainer& Data) {
  const bool settled = SettleDoubt(Data);
  // A number the client chose serves this command only.
  NumberChosen = false;
  if (!settled) return false;
  const bool ok = Exchange(Data);
  if (ok) {
    if (Doubt.Status.InDoubt) {
      // It was the packet in doubt itself, sent again by its client.
      Doubt.Status.InDoubt = false;
      ++Doubt.Status.Resolved;
    }
  } else if (LeftInDoubt) {
    const bool same = Doubt.Status.InDoubt && Doubt.Status.Number == CommandPacketNumber &&
                      SameContent(Doubt.Data, Data);
    if (!same) SetDoubt(Data, CommandPacketNumber);
  }
  return ok;
}

bool VardexPacketProtocol::SettleDoubt(const VardexDataContainer& Next) {
  if (!StartExchange()) return false;
  return !Doubt.Status.InDoubt || ResolveDoubt(Next, NumberChosen);
}

void VardexPacketProtocol::SetDoubt(const VardexDataContainer& Data, VXB::Byte Number) {
  Doubt.Data = Data;
  Doubt.Data.SetEncoding(Data.GetEncoding());
  Doubt.Status.InDoubt = true;
  Doubt.Status.Number = Number;
  Doubt.Status.FailedAttempts = 0;
  Doubt.Status.LastAbandoned = false;
  Doubt.FirstAttempt = 0;
  Debugger->Print("Paquete %u en duda", static_cast<unsigned>(Number));
}

bool VardexPacketProtocol::TakeResolvedDoubt(ResolvedDoubt& Out) {
  if (!Doubt.HaveResolved) return false;
  Doubt.HaveResolved = false;
  Out = Doubt.Resolved;
  Out.Command.SetEncoding(Doubt.Resolved.Command.GetEncoding());
  Out.Answer.SetEncoding(Doubt.Resolved.Answer.GetEncoding());
  return true;
}

void VardexPacketProtocol::KeepResolved() {
  ResolvedDoubt& r = Doubt.Resolved;
  r.Number = Doubt.Status.Number;
  r.Command = Doubt.Data;
  r.Command.SetEncoding(Doubt.Data.GetEncoding());
  r.Answer = AnswerData;
  r.Answer.SetEncoding(AnswerData.GetEncoding());
  r.PrinterStatusWord = PrinterStatusWord;
  r.FiscalStatusWord = FiscalStatusWord;
  r.Busy = WasBusy;
  Doubt.HaveResolved = true;
}

bool VardexPacketProtocol::ResolveDoubt(const VardexDataContainer& Data, bool NumberChosen) {
  const VXB::Byte number = Doubt.Status.Number;
  // The client sends the packet in doubt again itself: its own exchange.
  if (CommandPacketNumber == number && SameContent(Doubt.Data, Data)) return true;
  const VXB::Byte requested = CommandPacketNumber;
  CommandPacketNumber = number;
  Debugger->Print(
      "Se reenv\xA1"
      "a el paquete %u en duda",
      static_cast<unsigned>(number));
  if (Doubt.FirstAttempt == 0) Doubt.FirstAttempt = VXB::System::MonotonicMilliseconds();
  if (Exchange(Doubt.Data)) {
    KeepResolved();
    Doubt.Status.InDoubt = false;
    ++Doubt.Status.Resolved;
    Debugger->Print("Paquete %u en duda resuelto", static_cast<unsigned>(number));
  } else {
    if (Aborting()) return false;
    ++Doubt.Status.FailedAttempts;
    const std::uint64_t spent = VXB::System::MonotonicMilliseconds() - Doubt.FirstAttempt;
    if (Doubt.Status.FailedAttempts < DOUBT_MAX_ATTEMPTS && spent < DOUBT_MAX_MS) {
      CommandPacketNumber = number;
      return VXB::Error::SetWithContext(
          Error::PROTOCOL_MAX_RETRIES,
          "Paquete %u en duda sin respuesta del controlador (intento %u/%u)",
          static_cast<unsigned>(number), Doubt.Status.FailedAttempts, DOUBT_MAX_ATTEMPTS);
    }
    VXB::Log::WriteWithModule("Protocolo",
                              "Paquete %u en duda abandonado tras %u intentos; puede haberse "
                              "ejecutado",
                              static_cast<unsigned>(number), Doubt.Status.FailedAttempts);
    Debugger->Print("Paquete %u en duda abandonado", static_cast<unsigned>(number));
    Doubt.Status.InDoubt = false;
    Doubt.Status.LastAbandoned = true;
    ++Doubt.Status.Abandoned;
    IncrementSequence();
  }
  // The new command: under the number its client chose, else the next one.
  if (NumberChosen) CommandPacketNumber = requested;
  if (BusyStateProtocol) WasBusy = false;
  if (Aborting()) return VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "SendCommand");
  return true;
}

// The exchange runs in phases, each a function below: the write, the wait
// for the acknowledge and the handshake bytes met there, then the answer
// and its checks. Each phase tells the loop how to go on (Next), so the
// loop alone decides when the exchange ends.
bool VardexPacketProtocol::Exchange(const VardexDataContainer& Data) {
  LeftInDoubt = false;
  BufferOutSize = Frame(Data, CommandPacketNumber, BufferOut.get(), MAX_BUFFER);
  if (BufferOutSize == 0) return false;
  DataEncoding = Data.GetEncoding();
  Sending s;
  s.AckRetries = Retries;
  s.CommandMismatchRetries = Retries;
  s.AnomalyRetries = Retries;
  s.Until = WindowEnd();

  while (!Aborting() && s.AckRetries > 0) {
    if (s.DoSendPacket) WritePacket(s);
    VXB::Byte c = 0;
    Next next = Next::AGAIN;
    if (!ReadByte(c, s.Until)) {
      next = AckWaitFailed(s);
    } else if (c == ACK) {
      next = Acknowledged(Data, s);
    } else {
      HandshakeByte(c, s);
    }
    if (next == Next::STOP) break;
    if (next != Next::AGAIN) {
      LeftInDoubt = next == Next::FAILED && s.Acknowledged;
      return next == Next::SUCCEEDED;
    }
  }
  LeftInDoubt = s.Acknowledged;
  return FailLoop("SendCommand", "Se intent\xA2 enviar comando %u veces");
}

bool VardexPacketProtocol::StartExchange() {
  Stopped.store(false);
  if (!NewTransaction()) return false;
  // Checked after the transaction's fresh start, so that a Halt() from now
  // on also marks the wrapper and ends the first wait at once.
  if (Halted.load()) return VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "SendCommand");
  if (BusyStateProtocol) WasBusy = false;

  // An answer left on the line by an earlier exchange is read (and
  // acknowledged) first, so that it is not taken for this command's answer.
  // A controller that keeps talking cannot hold the command back forever.
  for (unsigned lost = 0; lost < MAX_LOST_ANSWERS && !Aborting() && BytesAhead(); ++lost) {
    Debugger->Print("Hay una respuesta perdida");
    if (!WaitAnswer(true)) break;
  }
  if (Aborting()) return VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "SendCommand");
  return true;
}

void VardexPacketProtocol::WritePacket(Sending& s) {
  // A write that fails leaves the controller silent or the port failing:
  // the wait for ACK then retries or returns the port's error, so the
  // failure is only traced here.
  if (!Write(BufferOut.get(), BufferOutSize))
    Debugger->Print("Error enviando paquete (%s: %s)", LastDescription(), LastContext());
  // A write caused by noise is made once per window and starts no window.
  if (!s.NoiseResend) {
    s.Until = WindowEnd();
    s.NoiseResendSpent = false;
  }
  s.NoiseResend = false;
}

VardexPacketProtocol::Next VardexPacketProtocol::AckWaitFailed(Sending& s) {
  if (Aborting()) return Next::STOP;
  if (LastErrNo() != VXB::Error::IO_TIMEOUT_ERROR) {
    Debugger->Print("Error esperando ACK (%s: %s)", LastDescription(), LastContext());
    return Next::FAILED;
  }
  --s.AckRetries;
  ++Retried.Timeouts;
  Debugger->Print("Timeout (%s), reintento %u/%u", VXB::ASCII::Milliseconds(Timeout).ToString(),
                  Retries - s.AckRetries, Retries);
  s.DoSendPacket = true;
  FireEvent(RETRYING);
  return Next::AGAIN;
}

// Any byte but ACK while the acknowledge is awaited.
void VardexPacketProtocol::HandshakeByte(VXB::Byte c, Sending& s) {
  switch (c) {
    case STX:
      Debugger->Print("STX esperando ACK; a levantar respuesta perdida");
      if (!WaitAnswer(false))
        Debugger->Print("Se descarta error de respuesta por STX recibido cuando se esperaba ACK");
      s.DoSendPacket = false;
      s.Until = WindowEnd();
      return;
    case DC2:
    case DC4:
      ControllerSignal(c);
      s.DoSendPacket = false;
      s.Until = WindowEnd();
      return;
    case NAK:
      Debugger->Print("NAK recibido");
      --s.AckRetries;
      ++Retried.Naks;
      s.DoSendPacket = true;
      return;
    default:
      // Noise: a packet written in this pass is written again, once per
      // window, so a noisy line cannot flood the controller.
      if (s.DoSendPacket && !s.NoiseResendSpent) {
        s.NoiseResend = true;
        s.NoiseResendSpent = true;
      } else {
        s.DoSendPacket = false;
      }
      return;
  }
}

void VardexPacketProtocol::ControllerSignal(VXB::Byte c) {
  if (c == DC2) {
    ++DC2Count;
    Debugger->Print("DC2 (#%u)", DC2Count);
    FireEvent(BUSY);
  } else {
    Debugger->Print("DC4");
    FireEvent(OUT_OF_PAPER);
  }
}

// The packet was acknowledged: its answer, and whether it answers it.
VardexPacketProtocol::Next VardexPacketProtocol::Acknowledged(const VardexDataContainer& Data,
                                                              Sending& s) {
  Debugger->Print("ACK recibido");
  FireEvent(PACKET_ACKNOWLEDGED);
  s.Acknowledged = true;
  const bool answered_ok = WaitAnswer(true);
  s.Until = WindowEnd();
  if (!answered_ok) {
    if (LastErrNo() != Error::PROTOCOL_COMM_ANOMALY) return Next::FAILED;
    Debugger->Print("%s: %s", LastDescription(), LastContext());
    // The anomaly answer costs no retry, but a controller that gives
    // nothing else must not hold the exchange forever.
    if (--s.AnomalyRetries == 0) return Next::FAILED;
    return Next::AGAIN;
  }
  if (AnswerPacketNumber != CommandPacketNumber) {
    Debugger->Print("Error de secuencia (enviada: %u, recibida: %u)",
                    static_cast<unsigned>(CommandPacketNumber),
                    static_cast<unsigned>(AnswerPacketNumber));
    // Sent again: the acknowledge that counts is the next one's.
    s.Acknowledged = false;
    --s.AckRetries;
    ++Retried.Mismatches;
    s.DoSendPacket = true;
    return Next::AGAIN;
  }
  // The controller has answered this packet: the next one is new.
  IncrementSequence();
  return CheckAnsweredCommand(Data, s);
}

// A correctly numbered answer: the busy-state answer, or the answer for the
// command sent; an answer for another command has the command sent again.
VardexPacketProtocol::Next VardexPacketProtocol::CheckAnsweredCommand(
    const VardexDataContainer& Data, Sending& s) {
  const VXB::Byte answered = AnswerData.GetCommand();
  if (BusyStateProtocol && answered == ANS_BUSY_STATE) {
    Debugger->Print("Controlador en espera");
    WasBusy = true;
  } else if (BusyStateProtocol && Data.GetCommand() == CMD_QUERY_BUSY_STATE &&
             answered != CMD_QUERY_BUSY_STATE) {
    Debugger->Print("Impresora sale de espera");
  } else if (answered != Data.GetCommand()) {
    --s.CommandMismatchRetries;
    ++Retried.Mismatches;
    Debugger->Print("Comando recibido %02xh no coincide con comando enviado %02xh, reintento %u/%u",
                    static_cast<unsigned>(answered), static_cast<unsigned>(Data.GetCommand()),
                    Retries - s.CommandMismatchRetries, Retries);
    if (s.CommandMismatchRetries == 0) {
      Debugger->Print("M\xA0xima cantidad de reintentos por comando no coincidente agotada");
      VXB::Error::SetWithContext(Error::PROTOCOL_MAX_RETRIES,
                                 "Se intent\xA2 destrabar desaveniencia de comandos %u veces",
                                 Retries);
      return Next::FAILED;
    }
    BufferOutSize = Frame(Data, CommandPacketNumber, BufferOut.get(), MAX_BUFFER);
    if (BufferOutSize == 0) return Next::FAILED;
    s.Acknowledged = false;
    s.DoSendPacket = true;
    FireEvent(RETRYING);
    return Next::AGAIN;
  }
  Debugger->Print("Comando OK");
  return Next::SUCCEEDED;
}

// Receiving runs byte by byte: the handshake bytes act the same in every
// state, the others go into the body or the checksum.
bool VardexPacketProtocol::WaitAnswer(bool WaitSTX) {
  Receiving r;
  r.State = WaitSTX ? WAIT_STX : WAIT_BODY;
  r.Retry = Retries;
  r.Until = WindowEnd();

  while (!Aborting() && r.Retry > 0) {
    VXB::Byte c = 0;
    if (!ReadByte(c, r.Until)) {
      const Next next = AnswerWaitFailed(r);
      if (next == Next::STOP) break;
      if (next == Next::FAILED) return false;
      continue;
    }
    // Handshake bytes and packet bytes are progress; bytes ignored while
    // waiting for STX (and stray ACK/NAK) are not.
    const bool progress =
        c != ACK && c != NAK && (r.State != WAIT_STX || c == STX || c == DC2 || c == DC4);
    if (progress) r.Until = WindowEnd();

    if (AnswerControlByte(c, r)) continue;
    const Next next = AnswerPacketByte(c, r);
    if (next != Next::AGAIN) return next == Next::SUCCEEDED;
  }
  return FailLoop("WaitAnswer", "Se intent\xA2 esperar la respuesta %u veces");
}

VardexPacketProtocol::Next VardexPacketProtocol::AnswerWaitFailed(Receiving& r) {
  if (Aborting()) return Next::STOP;
  if (LastErrNo() != VXB::Error::IO_TIMEOUT_ERROR) {
    Debugger->Print("Error de lectura esperando respuesta: %s (%s)", LastDescription(),
                    LastContext());
    return Next::FAILED;
  }
  --r.Retry;
  ++Retried.Timeouts;
  Debugger->Print("Timeout. Reintento %u/%u", Retries - r.Retry, Retries);
  if (BusyStateProtocol && HaveAnomaly) FixAnomaly();
  FireEvent(RETRYING);
  r.Until = WindowEnd();
  return Next::AGAIN;
}

bool VardexPacketProtocol::AnswerControlByte(VXB::Byte c, Receiving& r) {
  switch (c) {
    case STX:
      r.State = WAIT_BODY;
      r.Pos = 0;
      return true;
    case ETX:
      if (r.State == WAIT_BODY) {
        BufferInSize = r.Pos;
        BufferIn[r.Pos] = 0;
        r.Digits = 0;
        r.State = WAIT_CHECKSUM;
      } else {
        r.State = WAIT_STX;
      }
      return true;
    case ACK:
      Debugger->Print("ACK descartado");
      return true;
    case NAK:
      Debugger->Print("NAK descartado");
      return true;
    case DC2:
    case DC4:
      ControllerSignal(c);
      return true;
    default:
      return false;
  }
}

// A byte of the body or of the checksum; the last checksum digit ends the
// packet, which is unpacked when the checksum is right.
VardexPacketProtocol::Next VardexPacketProtocol::AnswerPacketByte(VXB::Byte c, Receiving& r) {
  switch (r.State) {
    case WAIT_STX:
      break;
    case WAIT_BODY:
      BufferIn[r.Pos++] = c;
      if (r.Pos >= MAX_BUFFER) {
        // The body must stay below the buffer (its terminator needs room).
        r.Pos = 0;
        --r.Retry;
        ++Retried.Overflows;
        Debugger->Print("Rebose de memoria, reintento %u/%u", Retries - r.Retry, Retries);
        r.State = WAIT_STX;
        FireEvent(RETRYING);
      }
      break;
    case WAIT_CHECKSUM:
      r.Checksum[r.Digits++] = static_cast<char>(c);
      if (r.Digits == CHECKSUM_DIGITS) {
        r.Checksum[r.Digits] = '\0';
        if (ChecksumOK(BufferIn.get(), BufferInSize, r.Checksum))
          return ProcessAnswer() ? Next::SUCCEEDED : Next::FAILED;
        --r.Retry;
        ++Retried.BadChecksums;
        Debugger->Print("Checksum inv\xA0lido, reintento %u/%u", Retries - r.Retry, Retries);
        // A lost NAK only means the controller does not repeat its
        // answer: the wait runs into its time-out and retries.
        if (!Write(VXB::ASCII::NAK))
          Debugger->Print("Error enviando NAK (%s: %s)", LastDescription(), LastContext());
        FireEvent(RETRYING);
        r.State = WAIT_STX;
      }
      break;
  }
  return Next::AGAIN;
}

bool VardexPacketProtocol::ProcessAnswer() {
  VXB::Byte* body = BufferIn.get();
  Debugger->EscPrint("Respuesta:", body, BufferInSize);
  if (!Write(VXB::ASCII::ACK)) return false;

  AnswerPacketNumber = BufferInSize > 0 ? body[0] : 0;
  if (AnswerPacketNumber == COMM_ANOMALY_PACKET_NUM) {
    Debugger->Print(
        "Llega paquete con n\xA3mero especial por anomal\xA1"
        "a comunicaciones");
    return VXB::Error::SetWithContext(Error::PROTOCOL_COMM_ANOMALY,
                                      "N\xA3mero de secuencia %x recibido",
                                      static_cast<unsigned>(AnswerPacketNumber));
  }
  const unsigned command_at = BusyStateProtocol ? 2 : 1;
  AnswerData.SetCommand(command_at < BufferInSize ? body[command_at] : 0);
  AnswerData.SetEncoding(DataEncoding);
  if (BusyStateProtocol && (BufferInSize < 2 || body[1] != ESC || AnswerData.GetCommand() == FS))
    return VXB::Error::SetWithContext(Error::PROTOCOL_WRONG_PROTOCOL, "Se esperaba protocolo v2");

  const unsigned offset = BusyStateProtocol ? 4 : 3;
  if (BufferInSize <= offset)
    return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_PACKET,
                                      "Se esperaban al menos %u bytes, se recibieron %u", offset,
                                      BufferInSize);

  if (DataEncoding != VXB::ASCII::CP437 && DataEncoding != VXB::ASCII::NO_CHARSET) {
    Debugger->Print("Conversi\xA2n de respuesta a %s", VXB::ASCII::ToString(DataEncoding));
    // The converted text replaces the field part in BufferIn, terminator
    // included, so it may take only the room left there.
    unsigned converted = 0;
    if (!DecodeFromController(body + offset, BufferInSize - offset, DataEncoding,
                              EncodedBuffer.get(), MAX_BUFFER - offset, converted))
      return false;
    std::memcpy(body + offset, EncodedBuffer.get(), converted);
    BufferInSize = offset + converted;
    body[BufferInSize] = 0;
  }

  VXB::FieldsBySeparators fields;
  fields.ResetSeparators();
  fields.AddSeparator(static_cast<char>(FS));
  fields.SetConsecutiveSeparatorsIsField(true);
  fields.FromBinary(body + offset, BufferInSize - offset);
  const unsigned count = fields.Split();
  if (count < 2)
    return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_PACKET,
                                      "Se esperaban al menos dos campos, se recibieron %u", count);

  AnswerData.Reset();
  PrinterStatusWord = static_cast<std::uint16_t>(VXB::ASCII::FromHex(fields.GetTextField(0)));
  FiscalStatusWord = static_cast<std::uint16_t>(VXB::ASCII::FromHex(fields.GetTextField(1)));
  for (unsigned i = 2; i < count; ++i) {
    // Every field fits a container field: a refusal (recorded by the
    // container) fails the answer rather than losing part of it.
    if (AnswerData.AddField("%s", fields.GetTextField(i)) != fields.GetFieldSize(i)) return false;
  }
  Debugger->Print("Respuesta procesada; %u campos, estado impresor %s, estado fiscal %s", count,
                  fields.GetTextField(0), fields.GetTextField(1));
  return true;
}

void VardexPacketProtocol::FixAnomaly() {
  VardexDataContainer query(CMD_QUERY_BUSY_STATE);
  VXB::Byte packet[20];
  const unsigned size = BusyStateProtocol ? 9 : sizeof(packet);
  const unsigned length =
      Frame(query, static_cast<VXB::Byte>(COMM_ANOMALY_PACKET_NUM), packet, size);
  if (length == 0) return;
  Debugger->Print(
      "Intentando arreglar anomal\xA1"
      "a de comunicaciones...");
  // The repair is a best effort: the wait that follows sees whether it
  // worked.
  if (!Write(packet, length))
    Debugger->Print("Error enviando paquete de arreglo (%s: %s)", LastDescription(), LastContext());
}

}  // namespace VXP
