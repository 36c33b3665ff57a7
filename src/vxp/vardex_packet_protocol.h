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

class VardexPacketProtocol : public VardexProtocol {
 public:
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

  std::uint16_t GetFiscalStatusWord() const { return FiscalStatusWord; }
  std::uint16_t GetPrinterStatusWord() const { return PrinterStatusWord; }
  unsigned GetDC2Count() const { return DC2Count; }
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
    std::uint64_t Until = 0;
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
  unsigned DC2Count = 0;
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
