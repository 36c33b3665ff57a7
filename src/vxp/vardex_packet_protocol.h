// The fiscal controller's packet protocol: frames a command container into
// a numbered, checksummed packet, sends it with the controller's
// acknowledge, retry and busy-state rules, reads and checks the answer,
// acknowledges it and unpacks it into the answer container and the two
// status words.
//
// Sequence numbers run from 32 to 126 and advance only when the controller
// has answered a packet with its number, so a packet that is sent again
// after a lost acknowledge or answer carries the same number and the
// controller does not execute it twice.
//
// In the busy-state variant every packet carries ESC after its sequence
// number, and the controller may answer any command with the busy-state
// answer (IsBusy() is then true after SendCommand).
//
// The attached driver is wrapped as: this protocol -> DriverWithEvents ->
// BufferedReader -> the driver (which is not owned and must outlive its
// attachment).
//
// A packet in doubt: when an exchange ends without an answer after the
// controller acknowledged the packet, the controller may have executed it.
// Such a packet is kept (its content and number) and, before any other
// packet goes out, sent again unchanged: the controller recognises it as
// the one it last took and answers it without executing it again. That
// answer is kept for the caller (TakeResolvedDoubt). While the controller
// does not answer it, every new command is refused with
// PROTOCOL_MAX_RETRIES and not sent, since sending another packet would
// make the doubt impossible to settle. The refusals are bounded: the doubt
// is given up, with a log line and the GetDoubtStatus() flag, when a
// resolution fails and either DOUBT_MAX_ATTEMPTS resolutions have failed
// or DOUBT_MAX_MS milliseconds have passed since the first one; that
// command then goes out. A resend of the very packet in doubt (same number,
// same content) is simply that packet's exchange.
//
// Thread safety: one thread runs exchanges at a time. Abort() and Halt()
// may be called from any other thread; the running exchange ends within one
// read slice with PROTOCOL_ABORTED. Abort() ends only the exchange that
// runs; Halt() refuses every exchange until
// Resume(), so a stop that lands just before an exchange starts is kept.
#ifndef VXP_VARDEX_PACKET_PROTOCOL_H_
#define VXP_VARDEX_PACKET_PROTOCOL_H_

#include <atomic>
#include <cstdint>
#include <memory>

#include "vxb/common/base/types.h"
#include "vxp/protocol.h"
#include "vxp/vardex_data_container.h"
#include "vxp/vardex_protocol.h"

namespace VXP {

// The answer a packet in doubt got when it was sent again.
struct ResolvedDoubt {
  VXB::Byte Number = 0;
  VardexDataContainer Command{0};
  VardexDataContainer Answer{0};
  std::uint16_t PrinterStatusWord = 0;
  std::uint16_t FiscalStatusWord = 0;
  bool Busy = false;
};

// Failed attempts that cost an exchange one of its retries, since start, by
// cause: each has the packet sent again or its answer asked again.
struct RetryCounts {
  std::uint64_t Timeouts = 0;      // no acknowledge or no answer in time
  std::uint64_t Naks = 0;          // the controller refused the packet
  std::uint64_t BadChecksums = 0;  // an answer with a wrong checksum (NAK sent)
  std::uint64_t Mismatches = 0;    // an answer with another number or command
  std::uint64_t Overflows = 0;     // an answer too long for the buffer
};

// Where the packet in doubt stands.
struct DoubtStatus {
  bool InDoubt = false;
  VXB::Byte Number = 0;
  unsigned FailedAttempts = 0;
  // Doubts given up since start, and whether the last doubt ended so.
  unsigned Abandoned = 0;
  bool LastAbandoned = false;
  unsigned Resolved = 0;
};

class VardexPacketProtocol : public VardexProtocol {
 public:
  // Failed resolutions before a doubt is given up, and the time after the
  // first one after which a failed resolution gives it up.
  static constexpr unsigned DOUBT_MAX_ATTEMPTS = 3;
  static constexpr unsigned DOUBT_MAX_MS = 60000;

  static constexpr unsigned MIN_SEQUENCE = VardexFrame::MIN_SEQUENCE;
  static constexpr unsigned MAX_SEQUENCE = VardexFrame::MAX_SEQUENCE;
  static constexpr unsigned COMM_ANOMALY_PACKET_NUM = VardexFrame::COMM_ANOMALY_PACKET_NUM;
  static constexpr VXB::Byte CMD_QUERY_BUSY_STATE = VardexFrame::CMD_QUERY_BUSY_STATE;
  static constexpr VXB::Byte ANS_BUSY_STATE = VardexFrame::ANS_BUSY_STATE;

  // Retries 3, time-out 2000 ms, next sequence number 32.
  explicit VardexPacketProtocol(bool WithBusyState);
  ~VardexPacketProtocol() override;

  // Puts a read-ahead buffer over d (not owned) and attaches it.
  bool SetDriver(VXB::Driver::Generic* d) override;
  // Ends the running exchange within one read slice; safe from any thread.
  // The next SendCommand starts afresh.
  void Abort() override;
  // Aborts as Abort() does and keeps every later SendCommand from sending
  // (PROTOCOL_ABORTED) until Resume(); safe from any thread.
  void Halt();
  void Resume() { Halted.store(false); }
  bool IsHalted() const { return Halted.load(); }

  [[nodiscard]] bool SendCommand(const VardexDataContainer& Data) override;
  const VardexDataContainer& GetAnswer() const override { return AnswerData; }
  bool IsBusy() const override { return WasBusy; }
  [[nodiscard]] bool SetNextSequence(unsigned s) override;
  unsigned GetNextSequence() const override { return CommandPacketNumber; }
  unsigned GetReceivedSequence() const override { return AnswerPacketNumber; }
  void IncrementSequence() override;
  void GetSequenceRange(unsigned& Min, unsigned& Max) override;
  // Frames Data with Sequence into Buffer; the packet's length, or 0 with
  // PROTOCOL_SIZE or PROTOCOL_SYNTAX_ERROR recorded.
  [[nodiscard]] virtual unsigned Frame(const VardexDataContainer& Data, VXB::Byte Sequence,
                                       VXB::Byte* Buffer, unsigned BufferSize);

  // Reads one answer packet (WaitSTX false: its STX was already consumed),
  // acknowledges it and unpacks it.
  [[nodiscard]] bool WaitAnswer(bool WaitSTX);
  // Sends the anomaly repair packet (the busy-state query numbered 127).
  void FixAnomaly();
  void CheckCommAnomalyBug(bool Check) { HaveAnomaly = Check; }

  // Starts an exchange for Next and settles the packet in doubt, if there
  // is one, so that GetNextSequence() is the number Next will go out with;
  // false (with the failure recorded) when Next must not be sent. Called
  // by SendCommand; a caller may call it first to learn that number.
  [[nodiscard]] bool SettleDoubt(const VardexDataContainer& Next);
  const DoubtStatus& GetDoubtStatus() const { return Doubt.Status; }
  // Moves the answer of the last resolved doubt into Out; false when there
  // is none not taken yet.
  bool TakeResolvedDoubt(ResolvedDoubt& Out);
  // Puts a packet in doubt as if its exchange had just ended unanswered
  // (a bridge restarted with an unanswered packet on record).
  void SetDoubt(const VardexDataContainer& Data, VXB::Byte Number);

  std::uint16_t GetFiscalStatusWord() const { return FiscalStatusWord; }
  std::uint16_t GetPrinterStatusWord() const { return PrinterStatusWord; }
  unsigned GetDC2Count() const { return DC2Count; }
  // Read on the thread that runs the exchanges.
  const RetryCounts& GetRetryCounts() const { return Retried; }
  VXB::Byte GetCurrentCommand() const { return CurrentCommand; }

  static std::uint16_t GetChecksum(const VXB::Byte* Packet, unsigned Size, VXB::Byte* Buffer) {
    return VardexFrame::GetChecksum(Packet, Size, Buffer);
  }
  [[nodiscard]] static bool ChecksumOK(const VXB::Byte* Packet, unsigned PacketSize,
                                       const char* Checksum) {
    return VardexFrame::ChecksumOK(Packet, PacketSize, Checksum);
  }

 private:
  enum States { WAIT_STX = 0, WAIT_BODY = 1, WAIT_CHECKSUM = 2 };

  // Most lost answers read before a command.
  static constexpr unsigned MAX_LOST_ANSWERS = 8;

  // How the exchange goes on after one of its phases: another pass, out of
  // the loop (stopped or retries spent), or the end with success or with
  // the failure recorded.
  enum class Next { AGAIN, STOP, SUCCEEDED, FAILED };
  // What one SendCommand keeps between its passes.
  struct Sending {
    unsigned AckRetries = 0;
    unsigned CommandMismatchRetries = 0;
    unsigned AnomalyRetries = 0;
    bool DoSendPacket = true;
    // The next write comes from noise: it starts no new wait window.
    bool NoiseResend = false;
    // The noise write of the current window was made.
    bool NoiseResendSpent = false;
    // The controller acknowledged the packet now on the line.
    bool Acknowledged = false;
    std::uint64_t Until = 0;
  };
  // The packet in doubt and the answer of the last one resolved.
  struct DoubtRecord {
    DoubtStatus Status;
    VardexDataContainer Data{0};
    std::uint64_t FirstAttempt = 0;
    bool HaveResolved = false;
    ResolvedDoubt Resolved;
  };
  // What one WaitAnswer keeps between bytes.
  struct Receiving {
    States State = WAIT_STX;
    unsigned Retry = 0;
    // Write position in BufferIn.
    unsigned Pos = 0;
    char Checksum[VardexFrame::CHECKSUM_DIGITS + 1] = {};
    unsigned Digits = 0;
    std::uint64_t Until = 0;
  };

  // SendCommand's phases. The start: a fresh transaction, lost answers
  // read; false with PROTOCOL_ABORTED when stopped.
  [[nodiscard]] bool StartExchange();
  // Frames Data with the current number and runs its exchange.
  [[nodiscard]] bool Exchange(const VardexDataContainer& Data);
  // Sends the packet in doubt again before Data; false (with the failure
  // recorded) when Data must not be sent yet.
  [[nodiscard]] bool ResolveDoubt(const VardexDataContainer& Data, bool NumberChosen);
  void KeepResolved();
  void WritePacket(Sending& s);
  // No byte came while the acknowledge was awaited.
  Next AckWaitFailed(Sending& s);
  void HandshakeByte(VXB::Byte c, Sending& s);
  Next Acknowledged(const VardexDataContainer& Data, Sending& s);
  Next CheckAnsweredCommand(const VardexDataContainer& Data, Sending& s);
  // DC2 (busy) or DC4 (out of paper): counted, traced and reported.
  void ControllerSignal(VXB::Byte c);
  // WaitAnswer's phases: no byte came; a handshake byte (true when c was
  // one); a byte of the packet.
  Next AnswerWaitFailed(Receiving& r);
  bool AnswerControlByte(VXB::Byte c, Receiving& r);
  Next AnswerPacketByte(VXB::Byte c, Receiving& r);
  // The end of a wait window that starts now (Timeout milliseconds).
  std::uint64_t WindowEnd() const;
  // Reads one byte before the monotonic time Until into c; false on
  // silence (IO_TIMEOUT_ERROR) or failure.
  [[nodiscard]] bool ReadByte(VXB::Byte& c, std::uint64_t Until);
  // Checks and unpacks the body in BufferIn after a good checksum.
  [[nodiscard]] bool ProcessAnswer();
  // The failure that ends a loop: PROTOCOL_ABORTED when stopped, else
  // PROTOCOL_MAX_RETRIES with the given context.
  bool FailLoop(const char* Where, const char* Context);

  VardexDataContainer AnswerData{0};
  std::uint16_t PrinterStatusWord = 0;
  std::uint16_t FiscalStatusWord = 0;
  VXB::Byte CommandPacketNumber = MIN_SEQUENCE;
  VXB::Byte AnswerPacketNumber = 0;
  const bool BusyStateProtocol;
  bool HaveAnomaly = false;
  bool WasBusy = false;
  // SetNextSequence() named the next packet's number.
  bool NumberChosen = false;
  // The last exchange's packet was acknowledged and left unanswered.
  bool LeftInDoubt = false;
  DoubtRecord Doubt;
  unsigned DC2Count = 0;
  RetryCounts Retried;
  std::unique_ptr<VXB::Byte[]> EncodedBuffer;
  // True when the running exchange must end: an Abort() since it began, or
  // a Halt() not yet resumed.
  bool Aborting() const { return Stopped.load() || Halted.load(); }

  std::atomic<bool> Stopped{false};
  std::atomic<bool> Halted{false};
  std::unique_ptr<VXB::Driver::BufferedReader> BufferedDriver;
};

}  // namespace VXP

#endif  // VXP_VARDEX_PACKET_PROTOCOL_H_
