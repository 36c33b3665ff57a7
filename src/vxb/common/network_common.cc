// StreamSocket's portable part: address text, the helpers of timed socket
// operations (network_internal.h) and the members that need no socket
// library.
#include <cstdint>
#include <cstdio>

#include "vxb/common/circular.h"
#include "vxb/common/error.h"
#include "vxb/common/network.h"
#include "vxb/common/network_internal.h"
#include "vxb/common/system.h"
#include "vxb/common/thread_state.h"

namespace VXB {

namespace NetworkInternal {

Deadline::Deadline(unsigned Timeout)
    : forever_(Timeout == Constants::WAIT_FOREVER),
      end_(System::MonotonicMilliseconds() + (forever_ ? 0 : Timeout)) {}

unsigned Deadline::Left() const {
  if (forever_) return kLongestWait;
  const std::uint64_t now = System::MonotonicMilliseconds();
  if (now >= end_) return 0;
  const std::uint64_t left = end_ - now;
  return left > kLongestWait ? kLongestWait : static_cast<unsigned>(left);
}

bool Deadline::Passed() const { return !forever_ && System::MonotonicMilliseconds() >= end_; }

bool ReportWait(Ready ready, const char* TimeoutContext) {
  switch (ready) {
    case Ready::kYes:
      return true;
    case Ready::kTimeout:
      return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", TimeoutContext);
    case Ready::kFailed:
      break;
  }
  return Error::SetWithContext(Error::SOCK_SELECT_ERROR, "select");
}

unsigned StateTime(unsigned Timeout) { return Timeout == Constants::WAIT_FOREVER ? 0 : Timeout; }

void SetReady() { ThreadState::SetState(ThreadState::READY, nullptr, 0); }

void FailWait(Ready ready, const char* TimeoutContext) {
  SetReady();
  if (ready == Ready::kTimeout) {
    Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", TimeoutContext);
  } else {
    Error::SetWithContext(Error::SOCK_SELECT_ERROR, "select");
  }
}

bool CanTransfer(bool Open, const void* Buffer, unsigned Size, const char* Operation,
                 const char* ClosedContext) {
  if (!Open) {
    Error::SetWithContext(Error::IO_NOT_OPEN, "%s", ClosedContext);
    return false;
  }
  if (Size == 0) {
    Error::SetWithContext(Error::NO_CURRENT_ERROR, "%s", Operation);
    return false;
  }
  if (Buffer == nullptr) {
    Error::SetWithContext(Error::IO_PARAM_ERROR, "%s", Operation);
    return false;
  }
  return true;
}

Debug::Debugger& NetworkDebugger() {
  static Debug::Debugger debugger(Debug::IO, "Network");
  return debugger;
}

}  // namespace NetworkInternal

namespace Network {

const char* ToString(INADDR Address) {
  static thread_local CircularChars<16, 8> pool;
  char* out = pool.GetBuf(16);
  std::snprintf(out, 16, "%u.%u.%u.%u", (Address >> 24) & 0xFFu, (Address >> 16) & 0xFFu,
                (Address >> 8) & 0xFFu, Address & 0xFFu);
  return out;
}

}  // namespace Network

// ---------------------------------------------------------------------------
// StreamSocket members that only look at whether a socket is held.

StreamSocket::~StreamSocket() { Close(); }

bool StreamSocket::IsOpen() const { return data_ != nullptr; }

bool StreamSocket::OK() const { return IsOpen(); }

bool StreamSocket::WriteByteImplementation(Byte b, unsigned Timeout) {
  return WriteBufferImplementation(&b, 1, Timeout) == 1;
}

bool StreamSocket::ReadByteImplementation(Byte& b, unsigned Timeout) {
  return ReadBufferImplementation(&b, 1, Timeout) == 1;
}

}  // namespace VXB
