// The byte-stream driver interface: every reader, writer, socket and port of
// the system is read and written through it. Callers use the non-virtual
// operations, which check the driver's enabled switch and then call the
// virtual *Implementation operations that a concrete driver overrides. A
// concrete driver needs only OK, WriteBufferImplementation and
// ReadBufferImplementation.
//
// A disabled driver swallows writes and reports them complete; its reads
// fail with IO_DISABLED. A read that returns fewer bytes than asked has run
// out of time (IO_TIMEOUT_ERROR) or failed; the reason is in the calling
// thread's error record. Drivers never own the driver they wrap.
//
// Thread safety: one thread uses a driver at a time, except Abort(), which
// another thread may call to end a waiting operation.
#ifndef VXB_COMMON_DRIVER_H_
#define VXB_COMMON_DRIVER_H_

#include <atomic>

#include "vxb/common/simple_string.h"
#include "vxb/common/types.h"

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
  bool WriteByte(Byte b, unsigned Timeout);
  bool WriteString(const char* s, unsigned Timeout);
  unsigned WriteBuffer(const Byte* buf, unsigned size, unsigned Timeout);
  bool ReadByte(Byte& b, unsigned Timeout);
  unsigned ReadBuffer(Byte* buf, unsigned size, unsigned Timeout);
  bool ReadString(char* buf, unsigned size);
  // Bytes that can be read at once without waiting.
  unsigned Peek();

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
