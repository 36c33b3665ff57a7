// The base of the controller protocols and the drivers they read through.
//
// CommunicationsProtocol owns the transport wrapper (DriverWithEvents), the
// input and output packet buffers, the retry limit and the time-out, the
// protocol's debug channel and an optional event callback. DriverWithEvents
// sits in front of the real driver: it cuts long waits into slices of
// TIME_SLICE milliseconds, traces every byte written and read, reports idle
// periods as IDLE events and gives up a read when an abortion has been
// requested. The packet protocol puts a read-ahead buffer (BufferedReader,
// buffered_reader.h) between the wrapper and the port.
//
// Thread safety: a protocol object and its drivers are used by one thread at
// a time. Abort() (on the protocol and on DriverWithEvents) may be called
// from any other thread: it only raises an atomic flag that the reading
// thread polls every slice.
#ifndef VXP_PROTOCOL_H_
#define VXP_PROTOCOL_H_

#include <atomic>
#include <memory>

#include "vxb/common/base/ascii.h"
#include "vxb/common/base/types.h"
#include "vxb/common/io/buffered_reader.h"
#include "vxb/common/io/driver.h"
#include "vxb/common/runtime/debug.h"

namespace VXP {

class CommunicationsProtocol {
 public:
  enum Events : unsigned {
    OUT_OF_PAPER = 0,
    BUSY = 1,
    IDLE = 2,
    RETRYING = 3,
    PACKET_ACKNOWLEDGED = 4,
  };
  using EventHandlerCallback = void (*)(Events);

  static constexpr unsigned MAX_BUFFER = 4096;
  static constexpr unsigned TIME_SLICE = 200;

  // The transport wrapper. Its name is the target's name.
  class DriverWithEvents : public VXB::Driver::Generic {
   public:
    DriverWithEvents(CommunicationsProtocol& parent, VXB::Driver::Generic& target);

    bool OK() const override { return target_.OK(); }
    // Marks an abortion: the read in progress ends at its next slice, and
    // every read fails until Reset(). Safe from any thread.
    bool Abort() override;
    // Clears the abortion mark.
    void Reset() { abortion_in_progress_.store(false); }
    bool AbortionInProgress() const { return abortion_in_progress_.load(); }
    VXB::Driver::Generic& GetTarget() const { return target_; }

   protected:
    // Writes everything with an unlimited wait (Timeout is not used).
    unsigned WriteBufferImplementation(const VXB::Byte* buf, unsigned size,
                                       unsigned Timeout) override;
    // Waits at most Timeout in slices of TIME_SLICE; a quiet line ends with
    // IO_TIMEOUT_ERROR, an abortion with PROTOCOL_ABORTED.
    unsigned ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned Timeout) override;
    unsigned PeekImplementation() override { return target_.Peek(); }

   private:
    CommunicationsProtocol& parent_;
    VXB::Driver::Generic& target_;
    std::atomic<bool> abortion_in_progress_{false};
  };

  explicit CommunicationsProtocol(const char* ProtocolName);
  CommunicationsProtocol(const CommunicationsProtocol&) = delete;
  CommunicationsProtocol& operator=(const CommunicationsProtocol&) = delete;
  virtual ~CommunicationsProtocol();

  // Wraps d (not owned) in a new DriverWithEvents, replacing any previous
  // wrapper.
  virtual bool SetDriver(VXB::Driver::Generic* d);
  // Asks the running read to give up; safe from any thread.
  virtual void Abort();
  virtual unsigned GetMinRetries() const { return 1; }
  virtual unsigned GetMinTimeout() const { return 400; }

  DriverWithEvents* GetDriver() const { return driver_.get(); }
  void RemoveDriver() { driver_.reset(); }
  void SetEventHandler(EventHandlerCallback h) { event_handler_.store(h); }
  void FireEvent(Events e);
  // Retries and time-out, never below the protocol's minima.
  void Configure(unsigned r, unsigned t);
  unsigned GetRetries() const { return Retries; }
  unsigned GetTimeout() const { return Timeout; }
  void SetTextProtocol(bool b) { TextProtocol = b; }
  VXB::Debug::Debugger& GetDebugger() { return *Debugger; }

  [[nodiscard]] unsigned Read(VXB::Byte* Buffer, unsigned Size, unsigned Timeout);
  // One byte, or 0 when none came.
  [[nodiscard]] char ReadChar(unsigned Timeout);
  // The whole buffer with an unlimited wait; true when all was written.
  [[nodiscard]] bool Write(const VXB::Byte* Buffer, unsigned Size);
  // One control byte.
  [[nodiscard]] bool Write(VXB::ASCII::Chars c);
  [[nodiscard]] bool BytesAhead();
  // Discards whatever can be read without waiting.
  void Flush();
  // Clears an abortion left over from the previous exchange.
  [[nodiscard]] bool NewTransaction();

 protected:
  std::unique_ptr<VXB::Debug::Debugger> Debugger;
  VXB::Byte CurrentCommand = 0;
  std::unique_ptr<VXB::Byte[]> BufferIn;
  std::unique_ptr<VXB::Byte[]> BufferOut;
  unsigned BufferOutSize = 0;
  unsigned BufferInSize = 0;
  unsigned Retries;
  unsigned Timeout;
  bool TextProtocol = false;

 private:
  std::atomic<EventHandlerCallback> event_handler_{nullptr};
  std::unique_ptr<DriverWithEvents> driver_;
};

}  // namespace VXP

#endif  // VXP_PROTOCOL_H_
