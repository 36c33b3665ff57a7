// The byte-stream driver interface: every reader, writer, socket and port of
// the system is read and written through it. Callers use the non-virtual
// operations, which check the driver's enabled switch and then call the
// virtual *Implementation operations that a concrete driver overrides. A
// concrete driver needs only OK, WriteBufferImplementation and
// ReadBufferImplementation. Drivers never own the driver they wrap.
//
// The contract every driver keeps (the conformance test runs it over each):
//
// Reads. ReadBuffer(buf, size, t) returns a count from 0 to size.
//  - Data: once at least one byte is there the read returns with a
//    non-zero count, without waiting for the rest. The read-ahead buffer
//    alone waits, within t per refill, to fill the request. A count below
//    size is not a failure by itself; the error record then tells nothing.
//  - Time-out: no byte within t milliseconds (0: only what is already
//    there; WAIT_FOREVER: no limit) returns 0 with IO_TIMEOUT_ERROR. That
//    number means "quiet line" and nothing else: callers rely on it.
//  - Closed peer: a far end that has gone (a socket's peer closed, a line
//    hung up) returns 0 with a number other than IO_TIMEOUT_ERROR
//    (SOCK_CONNECTION_CLOSED for sockets, IO_READ_ERROR for ports), so
//    that it is never taken for a quiet line.
//  - Other failures return 0 with the driver's error (IO_NOT_OPEN when
//    closed, IO_READ_ERROR, ...).
//  - ReadByte is ReadBuffer of one byte.
// Writes. WriteBuffer returns the count written; fewer than asked means
// the error record says why (IO_TIMEOUT_ERROR when a write that honours its
// time-out ran out of time).
// Abort. Abort() may come from any thread. It ends the read or write
// waiting at that moment, or, when none waits, the next read or write of
// that driver that has to wait: an abort that arrives just before a wait
// starts is not lost. Bytes already there are still delivered. The
// operation it ends returns what it moved (a read: 0) with the driver's
// abort error, and consumes the abort: later operations run normally.
// Abort errors: SYSTEM_ABORTED_PROCESS for the ports (serial port,
// pseudo-terminal) and the in-memory driver; PROTOCOL_ABORTED for the
// protocol's event-reporting wrapper, whose abort mark stays until the
// protocol starts its next exchange. Wrapping drivers (the read-ahead
// buffer, the encoded drivers over a driver) pass Abort() to the driver
// they wrap. A driver that cannot end a wait early (the stream socket,
// whose waits are bounded by their time-outs) keeps the base Abort():
// IO_NOT_IMPLEMENTED.
// Disabled. A disabled driver swallows writes and reports them complete;
// its reads fail with IO_DISABLED.
//
// Thread safety: one thread uses a driver at a time, except Abort(), which
// another thread may call to end a waiting operation.
#ifndef VXB_COMMON_DRIVER_H_
#define VXB_COMMON_DRIVER_H_

#include <atomic>

#include "vxb/common/base/simple_string.h"
#include "vxb/common/base/types.h"

namespace VXB::Driver {

class Generic {
 public:
  explicit Generic(const SimpleString& DriverName);
  Generic(const Generic&) = delete;
  Generic& operator=(const Generic&) = delete;
  virtual ~Generic();

  virtual bool OK() const = 0;
  virtual void Enable() { enabled_.store(true); }
  virtual void Disable() { enabled_.store(false); }
  virtual void Enable(bool b) { enabled_.store(b); }
  // Base: IO_NOT_IMPLEMENTED ("Abort"), false.
  virtual bool Abort();
  virtual const char* ToString() const;

  bool IsEnabled() const { return enabled_.load(); }
  [[nodiscard]] bool WriteByte(Byte b, unsigned Timeout);
  [[nodiscard]] bool WriteString(const char* s, unsigned Timeout);
  [[nodiscard]] unsigned WriteBuffer(const Byte* buf, unsigned size, unsigned Timeout);
  [[nodiscard]] bool ReadByte(Byte& b, unsigned Timeout);
  [[nodiscard]] unsigned ReadBuffer(Byte* buf, unsigned size, unsigned Timeout);
  [[nodiscard]] bool ReadString(char* buf, unsigned size);
  // Bytes that can be read at once without waiting.
  [[nodiscard]] unsigned Peek();

 protected:
  virtual bool WriteByteImplementation(Byte b, unsigned Timeout);
  // Writes the whole string, without its terminator, waiting as long as it
  // takes.
  virtual bool WriteStringImplementation(const char* s, unsigned Timeout);
  virtual unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) = 0;
  virtual bool ReadByteImplementation(Byte& b, unsigned Timeout);
  virtual unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) = 0;
  virtual bool ReadStringImplementation(char* buf, unsigned size);
  virtual unsigned PeekImplementation();

 private:
  SimpleString name_;
  std::atomic<bool> enabled_{true};
};

}  // namespace VXB::Driver

#endif  // VXB_COMMON_DRIVER_H_
