// A stand-in for the fiscal controller, for tests of the packet protocol.
//
// ScriptedController gives the protocol a port (Port()) whose far end plays
// the controller byte by byte. Everything the host writes is recorded and
// parsed: complete packets (STX .. ETX and four checksum digits) go to the
// frame handler, single bytes outside packets (ACK, NAK) to the byte
// handler. The handlers run synchronously inside the host's write and
// decide what the controller sends back: answers, ACK/NAK, DC2/DC4, noise,
// stale answers, or nothing at all.
//
// Replies are queued in order. A reply may carry a delay: it becomes
// readable only after the host has spent that long (real time) waiting for
// it in reads, which is how a controller that is busy for a while is played.
// With nothing readable, a host read waits its full time-out in real time
// and fails with IO_TIMEOUT_ERROR, as a quiet serial line does; a read
// returns whatever is readable, up to the size asked for.
//
// TraceRecorder captures the protocol's debug lines while it lives.
//
// Thread safety: the host side is used by one thread; Send, the recorded
// data and Abort may be used from any thread.
#ifndef TESTS_VXP_SCRIPTED_CONTROLLER_H_
#define TESTS_VXP_SCRIPTED_CONTROLLER_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/io/driver.h"
#include "vxb/common/runtime/debug.h"

namespace VXP::Testing {

using Bytes = std::vector<VXB::Byte>;

// One packet as the host wrote it.
struct HostFrame {
  VXB::Byte Sequence = 0;
  bool HasEsc = false;
  VXB::Byte Command = 0;
  std::string Text;  // the bytes after the FS that follows the command
  bool HasText = false;
  bool ChecksumOK = false;
  Bytes Raw;
};

// The bytes of an answer packet: STX, sequence, ESC (when WithEsc), command,
// then FS and each field, ETX and the checksum digits (upper case when
// Upper). ChecksumDelta is added to the true sum, to play a line error.
Bytes MakePacket(VXB::Byte Sequence, VXB::Byte Command, const std::vector<std::string>& Fields,
                 bool WithEsc, bool Upper = false, int ChecksumDelta = 0);

class ScriptedController {
 public:
  using FrameHandler = std::function<void(ScriptedController&, const HostFrame&)>;
  using ByteHandler = std::function<void(ScriptedController&, VXB::Byte)>;

  explicit ScriptedController(bool BusyStateVariant = true);
  ~ScriptedController();
  ScriptedController(const ScriptedController&) = delete;
  ScriptedController& operator=(const ScriptedController&) = delete;

  // The port to attach to the protocol.
  VXB::Driver::Generic& Port();

  void OnFrame(FrameHandler h);
  void OnHostByte(ByteHandler h);

  // Queues bytes for the host, readable after the host has waited DelayMs.
  void Send(const Bytes& b, unsigned DelayMs = 0);
  void Send(VXB::Byte b, unsigned DelayMs = 0) { Send(Bytes{b}, DelayMs); }
  // ACK and then a good answer for f, with f's number and command.
  void AckAndAnswer(const HostFrame& f, const std::vector<std::string>& Fields = {"0600", "0000"});
  // An answer packet in this controller's variant.
  Bytes Answer(VXB::Byte Sequence, VXB::Byte Command,
               const std::vector<std::string>& Fields = {"0600", "0000"}, bool Upper = false,
               int ChecksumDelta = 0) const;
  // From now on host reads fail at once with IO_READ_ERROR.
  void FailReads(bool b);

  std::vector<HostFrame> Frames() const;
  // Single bytes the host wrote outside packets, in order.
  Bytes HostBytes() const;
  // Everything the host wrote.
  Bytes Written() const;
  // Bytes queued but not yet read by the host.
  std::size_t Pending() const;
  // Waits (real time, at most TimeoutMs) until the host has written n
  // frames; true when it has.
  bool WaitForFrames(std::size_t n, unsigned TimeoutMs);

 private:
  class HostPort;
  struct Reply {
    Bytes Data;
    unsigned DelayMs = 0;
    bool Started = false;
    std::uint64_t ReadyAt = 0;
  };

  void HostWrote(const VXB::Byte* buf, unsigned size);
  unsigned HostRead(VXB::Byte* buf, unsigned size, unsigned Timeout);
  unsigned HostPeek();
  void WakeHost();

  const bool busy_variant_;
  std::unique_ptr<HostPort> port_;
  mutable std::mutex mu_;
  std::condition_variable cv_;
  std::deque<Reply> replies_;
  FrameHandler on_frame_;
  ByteHandler on_byte_;
  bool fail_reads_ = false;
  bool abort_ = false;
  // Parser of host output.
  enum class ParseState { OUTSIDE, BODY, CHECKSUM } parse_ = ParseState::OUTSIDE;
  Bytes current_;
  unsigned digits_ = 0;
  std::vector<HostFrame> frames_;
  Bytes host_bytes_;
  Bytes written_;
};

// Records the lines of debug module 200 while it lives (one at a time).
class TraceRecorder {
 public:
  TraceRecorder();
  ~TraceRecorder();
  TraceRecorder(const TraceRecorder&) = delete;
  TraceRecorder& operator=(const TraceRecorder&) = delete;

  std::vector<std::string> Lines() const;
  // How many lines equal Line.
  std::size_t Count(const std::string& Line) const;
  bool Contains(const std::string& Line) const { return Count(Line) > 0; }
  // How many lines begin with Prefix.
  std::size_t CountPrefix(const std::string& Prefix) const;

 private:
  VXB::Debug::TransportCustom transport_;
  VXB::Debug::Transport* previous_;
};

}  // namespace VXP::Testing

#endif  // TESTS_VXP_SCRIPTED_CONTROLLER_H_
