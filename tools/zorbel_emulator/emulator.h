// The line side of the controller emulator: plays the fiscal controller's
// part of the packet protocol over any byte-stream driver (the master side
// of a pseudo-terminal, a serial port, an in-memory driver in tests).
//
// It reads command packets (busy-state variant: ESC after the sequence
// number; packets without it are answered in the same form), checks their
// frame and checksum and answers a bad one with NAK, acknowledges a good one
// with ACK, has the FiscalController execute it and sends the answer: the
// printer and fiscal status words as four hexadecimal digits, then the
// answer's fields. It then waits for the acknowledge of its answer and sends
// the answer again on NAK or when none comes (up to AnswerRetries times).
//
// A packet that repeats the last one (same sequence number, same command and
// fields) is the host sending again after a lost acknowledge or answer: it is
// acknowledged and answered with the stored answer, and not executed again.
//
// Busy-state variant: a command may be answered with the busy-state answer
// (command 0xA1, ImpresoraOcupada in the printer word) while the controller
// goes on working; the host then polls with busy-state queries (0xA1), which
// are answered with the busy-state answer while the work lasts and then with
// the command's own answer. A busy-state query with nothing pending is
// answered with the last answer given (or, before any, with a ConsultarEstado
// answer).
//
// Printing commands may take time (SlowMs: DC2 every Dc2IntervalMs while
// printing) and may find the paper out (PaperOutMs: DC4 at the same interval
// until it is replaced; the command's answer carries FaltaPapelReceipt).
// Faults are injected into the first N packets or answer transmissions
// (resends included) as counted in Faults, or at random (RandomFaults).
// Every execution is counted per packet (Executions()), so that a test
// sees a packet that ran twice. With Baud set, every byte takes its time on
// a simulated line of 10 bits per byte in each direction: received bytes are
// acted upon only when they would have arrived, and sent bytes leave at line
// speed.
//
// Thread safety: Serve() runs on one thread. Stop(), RequestLostAnswer(),
// GetStats(), Executions(), Summary() and WaitAcknowledged() may be called
// from any thread. The
// controller may be inspected through Controller() only while Serve() is not
// running.
#ifndef TOOLS_ZORBEL_EMULATOR_EMULATOR_H_
#define TOOLS_ZORBEL_EMULATOR_EMULATOR_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/io/driver.h"
#include "zorbel_emulator/fiscal_controller.h"

namespace ZorbelEmulator {

// Counts of faults still to inject; each applies to the first N occasions.
struct Faults {
  unsigned Nak = 0;          // good command packets answered with NAK
  unsigned BadChecksum = 0;  // answer transmissions with a wrong checksum
  unsigned DropByte = 0;     // answer transmissions with one byte missing
  unsigned Stale = 0;        // commands answered with the previous answer
  unsigned Busy = 0;         // commands answered with the busy-state answer
  unsigned BusyPolls = 0;    // busy-state queries answered busy before release
  unsigned Silence = 0;      // command packets that get no reply at all
  unsigned AckOnly = 0;      // command packets acknowledged but never answered
};

// Faults drawn at random, each occasion with probability Rate, from a
// generator seeded with Seed, so that a run can be played again exactly.
// The occasions: a good command packet (NAK instead of ACK), an answer
// transmission (wrong checksum) and an executed command (its answer never
// sent: the host is left not knowing whether it ran).
struct RandomFaults {
  double Rate = 0;  // 0..1; 0: none
  unsigned Seed = 0;
  bool Nak = true;
  bool BadChecksum = true;
  bool LostAnswer = true;
};

struct Options {
  unsigned SlowMs = 0;           // printing takes this long (DC2 meanwhile)
  unsigned Dc2IntervalMs = 300;  // interval of DC2 and DC4 bytes
  unsigned PaperOutMs = 0;       // paper out this long at each printing command
  unsigned Baud = 0;             // simulated line speed; 0: none
  unsigned AnswerAckTimeoutMs = 500;
  unsigned AnswerRetries = 3;
  Faults Inject;
  RandomFaults Random;
  // Receives one line per event when set (called on the serving thread).
  std::function<void(const std::string&)> Trace;
};

struct Stats {
  std::atomic<unsigned> Packets{0};        // good command packets received
  std::atomic<unsigned> BadPackets{0};     // packets answered with NAK for a fault
  std::atomic<unsigned> Executed{0};       // commands executed
  std::atomic<unsigned> Replayed{0};       // repeated packets answered from store
  std::atomic<unsigned> Acknowledged{0};   // answers the host acknowledged
  std::atomic<unsigned> BytesReceived{0};  // read from the line
  std::atomic<unsigned> BytesSent{0};      // written to the line
  std::atomic<unsigned> RandomFaults{0};   // faults drawn at random
};

// How often one packet was executed: its command and fields (the sequence
// number left out, so that a packet sent again under another number is the
// same packet) and the count.
struct Execution {
  std::string Packet;
  unsigned Count = 0;
};

class Emulator {
 public:
  // The line is not owned and must outlive the emulator.
  Emulator(VXB::Driver::Generic& Line, Options Opts);
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  // Serves the line until Stop(). A line that fails (the other party closed
  // it) is retried after a short pause.
  void Serve();
  // Ends Serve() within one read slice.
  void Stop();
  // Asks the serving thread to put an answer on the line that nobody asked
  // for (an answer left over from an earlier exchange); false when none has
  // been given yet.
  void RequestLostAnswer() { lost_answer_requested_.store(true); }
  // Feeds bytes as if read from the line (tests; same thread as Serve).
  void Feed(const VXB::Byte* Bytes, unsigned Size);

  const Stats& GetStats() const { return stats_; }
  // Waits until at least Count answers have been acknowledged; false when
  // TimeoutMs passes first.
  bool WaitAcknowledged(unsigned Count, unsigned TimeoutMs);
  FiscalController& Controller() { return controller_; }
  // Every packet executed so far with its count, in byte order.
  std::vector<Execution> Executions() const;
  // The run's summary: a line of totals, the number of packets executed
  // more than once, then one line per packet: "exec", the count and the
  // packet's bytes in readable form, separated by tabs.
  std::string Summary() const;

  // The answer packet for R: the printer and fiscal status words as four
  // upper-case hexadecimal digits each, then R's fields; empty when it
  // cannot be framed.
  static std::vector<VXB::Byte> BuildAnswer(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command,
                                            const Reply& R);

  // Read slice of Serve(), the latency of Stop().
  static constexpr unsigned READ_SLICE_MS = 50;
  // Largest packet body accepted.
  static constexpr unsigned MAX_BODY = 4096;

 private:
  using Clock = std::chrono::steady_clock;
  enum class RxState { IDLE, BODY, CHECKSUM };

  void FeedByte(VXB::Byte b);
  void OnPacket();
  void Execute(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command, const FieldList& Fields);
  // Sends DC2 (and DC4 first while the paper is out) for a printing command.
  void Work();
  // Sends an answer and waits for its acknowledge.
  void SendAnswer(const std::vector<VXB::Byte>& Answer);
  // Puts one transmission of an answer on the line, spoiled when an answer
  // fault is still due.
  void Transmit(const std::vector<VXB::Byte>& Answer);
  // Sleeps until When; false (at once) when Stop() came.
  bool SleepUntil(Clock::time_point When);
  void LogBytes(const char* Label, const std::vector<VXB::Byte>& Bytes);
  void SendLostAnswer();
  void Send(const VXB::Byte* Bytes, unsigned Size);
  void SendByte(VXB::Byte b) { Send(&b, 1); }
  void OnAnswerTimeout();
  // True when a random fault of a kind that is switched on falls now.
  bool DrawFault(bool Enabled);
  void CountExecution();
  void Log(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  Clock::duration ByteTime() const;

  VXB::Driver::Generic& line_;
  Options opts_;
  FiscalController controller_;
  Stats stats_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_answer_requested_{false};

  // Receiver.
  RxState rx_state_ = RxState::IDLE;
  std::vector<VXB::Byte> body_;
  char digits_[5] = {};
  unsigned digit_count_ = 0;
  Clock::time_point rx_free_{};
  Clock::time_point tx_free_{};

  // The last packet executed and the answer it got.
  bool have_last_ = false;
  std::vector<VXB::Byte> last_body_;
  std::vector<VXB::Byte> last_answer_;
  VXB::Byte last_command_ = 0;
  Reply last_reply_;
  // The answer before the last one (for stale answers).
  std::vector<VXB::Byte> previous_answer_;

  // Work answered with the busy-state answer and not yet released.
  bool busy_pending_ = false;
  unsigned busy_polls_left_ = 0;
  VXB::Byte busy_command_ = 0;
  Reply busy_reply_;

  // The answer waiting for its acknowledge.
  bool awaiting_ack_ = false;
  std::vector<VXB::Byte> pending_answer_;
  unsigned resends_left_ = 0;
  Clock::time_point ack_deadline_{};

  std::mt19937 random_;
  mutable std::mutex executions_mutex_;
  std::map<std::string, unsigned> executions_;

  std::mutex ack_mutex_;
  std::condition_variable ack_cv_;
  std::mutex stop_mutex_;
  std::condition_variable stop_cv_;
};

}  // namespace ZorbelEmulator

#endif  // TOOLS_ZORBEL_EMULATOR_EMULATOR_H_
