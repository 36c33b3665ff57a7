// poll() on the data descriptor and the abort eventfd together, so that a
// read returns the moment bytes arrive and an abort ends the wait at once.
#include "vxb/posix/fd_wait.h"

#include <errno.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdint>

#include "vxb/common/runtime/error.h"

namespace VXB::Posix {

AbortEvent::AbortEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (fd_ < 0) Error::Abort("Can't create abort event, ErrNo %d", errno);
}

AbortEvent::~AbortEvent() { close(fd_); }

void AbortEvent::Signal() {
  std::uint64_t one = 1;
  // A full counter (never in practice) is already signalled.
  (void)!write(fd_, &one, sizeof(one));
}

void AbortEvent::Clear() {
  std::uint64_t value;
  (void)!read(fd_, &value, sizeof(value));
}

namespace {

using Clock = std::chrono::steady_clock;

bool IsSignalled(const pollfd& p) { return (p.revents & POLLIN) != 0; }

}  // namespace

IoResult ReadWithin(int Fd, AbortEvent& Abort, Byte* Buf, unsigned Size, unsigned TimeoutMs) {
  const bool forever = TimeoutMs == Constants::WAIT_FOREVER;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
  IoResult r;
  for (;;) {
    int wait = -1;
    if (!forever) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left <= 0 ? 0 : (left > INT_MAX ? INT_MAX : static_cast<int>(left));
    }
    pollfd p[2] = {{Fd, POLLIN, 0}, {Abort.Fd(), POLLIN, 0}};
    int n = poll(p, 2, wait);
    if (n < 0) {
      if (errno == EINTR) continue;
      r.Outcome = IoOutcome::FAILED;
      r.Errno = errno;
      return r;
    }
    // Bytes that are there are taken first: an abort ends waiting, not the
    // delivery of what has already come.
    if (p[0].revents == 0 && IsSignalled(p[1])) {
      Abort.Clear();
      r.Outcome = IoOutcome::ABORTED;
      return r;
    }
    if (n == 0) {
      if (wait != 0 || forever) continue;  // woke early: wait for the rest
      r.Outcome = IoOutcome::TIMED_OUT;
      return r;
    }
    if ((p[0].revents & POLLNVAL) != 0) {
      r.Outcome = IoOutcome::FAILED;
      r.Errno = EBADF;
      return r;
    }
    ssize_t got = read(Fd, Buf, Size);
    if (got > 0) {
      r.Count = static_cast<unsigned>(got);
      return r;
    }
    if (got == 0) {
      r.Outcome = IoOutcome::HUNG_UP;
      r.Errno = EIO;
      return r;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
      if (wait == 0 && !forever) {
        r.Outcome = IoOutcome::TIMED_OUT;
        return r;
      }
      continue;
    }
    r.Outcome = errno == EIO ? IoOutcome::HUNG_UP : IoOutcome::FAILED;
    r.Errno = errno;
    return r;
  }
}

IoResult WriteAll(int Fd, AbortEvent& Abort, const Byte* Buf, unsigned Size) {
  IoResult r;
  while (r.Count < Size) {
    ssize_t put = write(Fd, Buf + r.Count, Size - r.Count);
    if (put > 0) {
      r.Count += static_cast<unsigned>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      r.Outcome = errno == EIO ? IoOutcome::HUNG_UP : IoOutcome::FAILED;
      r.Errno = errno;
      return r;
    }
    // No room: wait for some, or for an abort.
    for (;;) {
      pollfd p[2] = {{Fd, POLLOUT, 0}, {Abort.Fd(), POLLIN, 0}};
      int n = poll(p, 2, -1);
      if (n < 0) {
        if (errno == EINTR) continue;
        r.Outcome = IoOutcome::FAILED;
        r.Errno = errno;
        return r;
      }
      if (IsSignalled(p[1])) {
        Abort.Clear();
        r.Outcome = IoOutcome::ABORTED;
        return r;
      }
      if ((p[0].revents & POLLOUT) == 0 && (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        r.Outcome = (p[0].revents & POLLNVAL) != 0 ? IoOutcome::FAILED : IoOutcome::HUNG_UP;
        r.Errno = (p[0].revents & POLLNVAL) != 0 ? EBADF : EIO;
        return r;
      }
      break;
    }
  }
  return r;
}

unsigned BytesWaiting(int Fd) {
  int n = 0;
  if (Fd < 0 || ioctl(Fd, FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<unsigned>(n);
}

}  // namespace VXB::Posix
