// Waiting reads and writes on a non-blocking descriptor that another thread
// can cut short, shared by the serial port and the pseudo-terminal drivers.
// Private to the platform layer.
#ifndef VXB_POSIX_FD_WAIT_H_
#define VXB_POSIX_FD_WAIT_H_

#include "vxb/common/base/types.h"

namespace VXB::Posix {

// A wake-up descriptor (an eventfd) that Signal() makes readable until
// Clear(). Signal may be called from any thread, and from a signal handler
// (it is one write()); the descriptor lives as long as the object.
class AbortEvent {
 public:
  AbortEvent();
  ~AbortEvent();
  AbortEvent(const AbortEvent&) = delete;
  AbortEvent& operator=(const AbortEvent&) = delete;

  void Signal();
  // Forgets earlier signals.
  void Clear();
  int Fd() const { return fd_; }

 private:
  int fd_;
};

enum class IoOutcome { DONE, TIMED_OUT, ABORTED, HUNG_UP, FAILED };

struct IoResult {
  unsigned Count = 0;
  IoOutcome Outcome = IoOutcome::DONE;
  int Errno = 0;  // for HUNG_UP and FAILED
};

// Reads up to Size bytes from Fd, returning as soon as some are there, or
// after TimeoutMs (0: only what is waiting; WAIT_FOREVER: no limit), or
// when Abort is signalled. Bytes already waiting are read even when Abort
// is signalled; a signal is consumed (cleared) only by the call it ends, so
// one that came before the call started is not lost. End of file (the far
// end hung up) is HUNG_UP.
IoResult ReadWithin(int Fd, AbortEvent& Abort, Byte* Buf, unsigned Size, unsigned TimeoutMs);
// Writes all Size bytes, waiting for room without limit, until done, failed
// or aborted (consuming the signal as ReadWithin does); Count is what was
// written.
IoResult WriteAll(int Fd, AbortEvent& Abort, const Byte* Buf, unsigned Size);
// Bytes waiting to be read from Fd (0 on failure).
unsigned BytesWaiting(int Fd);

}  // namespace VXB::Posix

#endif  // VXB_POSIX_FD_WAIT_H_
