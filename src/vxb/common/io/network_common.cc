// StreamSocket's portable part: address text, the helpers of timed socket
// operations (network_internal.h), the members that need no socket library
// and those built on the platform's primitives: waiting, accepting,
// shutting down and closing.
#include <cstdint>
#include <cstdio>

#include "vxb/common/base/circular.h"
#include "vxb/common/io/network.h"
#include "vxb/common/io/network_internal.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/thread_state.h"

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

unsigned Received(unsigned Count) {
  if (Count == 0) {
    Error::SetWithContext(Error::SOCK_CONNECTION_CLOSED, "Socket closed");
    return 0;
  }
  Error::SetWithContext(Error::NO_CURRENT_ERROR, "ReadBuffer");
  return Count;
}

unsigned ReceiveFailed(bool TimedOut, const char* ErrorText) {
  if (TimedOut) {
    Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", kReadContext);
  } else {
    Error::SetWithContext(Error::IO_READ_ERROR, "%s", ErrorText);
  }
  return 0;
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

// ---------------------------------------------------------------------------
// StreamSocket members that are the same over every socket library, built on
// the platform's primitives (NetworkInternal::Host).

using namespace NetworkInternal;

Network::PORT StreamSocket::GetLocalPort() const {
  return data_ != nullptr ? Host::LocalPort(*data_) : 0;
}

bool StreamSocket::Accept(Network::INADDR& Address, Network::PORT& Port, unsigned Timeout,
                          StreamSocket& Target) {
  if (data_ == nullptr) return Error::SetWithContext(Error::SOCK_CONNECTION_CLOSED, "Accept");
  char resource[ThreadState::MAX_RESOURCE + 1];
  std::snprintf(resource, sizeof(resource), "Accept :%u",
                static_cast<unsigned>(Host::LocalPort(*data_)));
  ThreadState::SetState(ThreadState::WAITING, resource, StateTime(Timeout));

  const Deadline until(Timeout);
  StreamSocketData* accepted = nullptr;
  for (;;) {
    const Ready ready = Host::Wait(*data_, Host::Direction::kRead, until);
    if (ready == Ready::kTimeout) {
      SetReady();
      return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", kAcceptContext);
    }
    if (ready == Ready::kFailed) {
      SetReady();
      return Error::SetWithContext(Error::SOCK_SELECT_ERROR, "select");
    }
    const char* text = nullptr;
    const Host::Taken taken = Host::AcceptOne(*data_, accepted, Address, Port, text);
    if (taken == Host::Taken::kYes) break;
    // The connection went away between the wait and the accept: wait again
    // for what is left of the time.
    if (taken == Host::Taken::kRetry) {
      if (until.Passed()) {
        SetReady();
        return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", kAcceptContext);
      }
      continue;
    }
    SetReady();
    return Error::SetWithContext(Error::SOCK_ERROR_ACCEPT, "%s", text);
  }
  SetReady();
  if (&Target == this) {
    // Accepting into the listener itself would lose the listener's handle
    // without closing it; keep the handle released instead.
    // The accepted record keeps the listener's local port.
    Host::Release(data_);
    data_ = accepted;
    return true;
  }
  Target.Close();
  Target.data_ = accepted;
  return true;
}

bool StreamSocket::MultipleAccept(StreamSocket** Sockets, unsigned& Count, Network::INADDR& Address,
                                  Network::PORT& Port, unsigned Timeout, StreamSocket& Target) {
  StreamSocketData* listeners[MAX_MULTIPLE_ACCEPT];
  unsigned used = 0;
  for (unsigned i = 0; Sockets != nullptr && i < Count && used < MAX_MULTIPLE_ACCEPT; ++i) {
    if (Sockets[i] == nullptr || !Sockets[i]->IsOpen()) continue;
    StreamSocketData* listener = Sockets[i]->data_;
    bool seen = false;
    for (unsigned k = 0; k < used && !seen; ++k) seen = listeners[k] == listener;
    if (!seen) listeners[used++] = listener;
  }
  // With nothing to wait on, a wait without limit would never end.
  if (used == 0) return Error::SetWithContext(Error::SOCK_CONNECTION_CLOSED, "MultipleAccept");

  ThreadState::SetState(ThreadState::WAITING, "Multiple Accept", StateTime(Timeout));
  bool is_ready[MAX_MULTIPLE_ACCEPT] = {};
  unsigned number = 0;
  const Ready ready = Host::WaitAny(listeners, used, Deadline(Timeout), is_ready, number);
  SetReady();
  if (ready == Ready::kTimeout) {
    NetworkDebugger().Print("MultipleAccept SOCK_ERROR_TIMEOUT");
    return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", kMultipleAcceptContext);
  }
  if (ready == Ready::kFailed) {
    NetworkDebugger().Print("MultipleAccept SOCK_SELECT_ERROR 1, Error %u (%s)", number,
                            Network::ErrorText(number));
    return Error::SetWithContext(Error::SOCK_SELECT_ERROR, "%s", kMultipleAcceptContext);
  }
  for (unsigned i = 0; i < Count; ++i) {
    if (Sockets[i] == nullptr || !Sockets[i]->IsOpen()) continue;
    for (unsigned k = 0; k < used; ++k) {
      if (listeners[k] == Sockets[i]->data_ && is_ready[k]) {
        Count = i;
        return Sockets[i]->Accept(Address, Port, Timeout, Target);
      }
    }
  }
  NetworkDebugger().Print("MultipleAccept SOCK_SELECT_ERROR 2");
  return Error::SetWithContext(Error::SOCK_SELECT_ERROR, "%s", kMultipleAcceptContext);
}

bool StreamSocket::Connect(Network::INADDR Address, Network::PORT Port, unsigned Timeout) {
  Close();
  const char* text = nullptr;
  StreamSocketData* socket = Host::NewConnection(text);
  if (socket == nullptr) return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", text);
  char resource[ThreadState::MAX_RESOURCE + 1];
  std::snprintf(resource, sizeof(resource), "%s:%u", Network::ToString(Address),
                static_cast<unsigned>(Port));
  ThreadState::SetState(ThreadState::CONNECTING, resource, StateTime(Timeout));

  bool pending = false;
  int err = Host::StartConnect(*socket, Address, Port, pending);
  if (pending) {
    const Ready ready = Host::Wait(*socket, Host::Direction::kWrite, Deadline(Timeout));
    if (ready == Ready::kTimeout) {
      Host::Release(socket);
      SetReady();
      return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "Connect");
    }
    err = Host::ConnectResult(*socket, ready);
  }
  SetReady();
  if (err != 0) {
    Host::Release(socket);
    return Error::SetWithContext(Error::SOCK_ERROR_CONNECT, "%s", Host::ConnectErrorText(err));
  }
  Host::FinishConnect(*socket);
  data_ = socket;
  return true;
}

bool StreamSocket::WaitReadable(unsigned Timeout) {
  if (data_ == nullptr) return Error::SetWithContext(Error::IO_NOT_OPEN, "Read while closed");
  return ReportWait(Host::Wait(*data_, Host::Direction::kRead, Deadline(Timeout)), "select");
}

bool StreamSocket::WaitWriteable(unsigned Timeout) {
  if (data_ == nullptr) return Error::SetWithContext(Error::IO_NOT_OPEN, "Write while closed");
  return ReportWait(Host::Wait(*data_, Host::Direction::kWrite, Deadline(Timeout)), "select");
}

bool StreamSocket::ShutdownSend() {
  if (data_ == nullptr) return Error::SetWithContext(Error::IO_NOT_OPEN, "Shutdown while closed");
  if (!Host::ShutdownSend(*data_)) {
    return Error::SetWithContext(Error::SOCK_ERROR_GENERAL, "shutdown");
  }
  return true;
}

bool StreamSocket::Close() {
  if (data_ == nullptr) return true;
  const bool closed = Host::Dispose(data_);
  data_ = nullptr;
  return closed;
}

}  // namespace VXB
