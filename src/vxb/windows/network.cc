// StreamSocket on Winsock 2.2. The library is started once per process,
// under the "SocketInit" lock, by the first socket made. Waits use select()
// on one handle at a time (or on the listeners of MultipleAccept). Listeners
// are non-blocking so that a connection that vanishes between the wait and
// accept() cannot block a timed Accept; connections are blocking, and timed
// operations wait with select() first and then never block. A listener
// takes its port exclusively (SO_EXCLUSIVEADDRUSE): on Windows, address
// reuse would let another program bind the same port and take over its
// connections. Winsock numbers its errors as the texts below do, so the
// numbers reported are the library's own.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "vxb/common/base/circular.h"
#include "vxb/common/io/network.h"
#include "vxb/common/io/network_internal.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/common/runtime/thread_state.h"

namespace VXB {

struct StreamSocketData {
  SOCKET sockfd = INVALID_SOCKET;
  Network::PORT LocalPort = 0;
};

namespace {

using namespace NetworkInternal;

unsigned LastSocketError() { return static_cast<unsigned>(WSAGetLastError()); }

const char* LastErrorText() { return Network::ErrorText(LastSocketError()); }

// Starts Winsock 2.2 once per process. A library that starts with another
// version is released again; later calls then fail at the platform with
// "Winsock is not initialized".
void StartLibrary() {
  static Mutex lock("SocketInit");
  static bool started = false;
  Locker<Mutex> hold(lock);
  if (started) return;
  WSADATA info;
  if (WSAStartup(MAKEWORD(2, 2), &info) != 0) return;
  if (LOBYTE(info.wVersion) != 2 || HIBYTE(info.wVersion) != 2) {
    WSACleanup();
    return;
  }
  started = true;
}

void SetNonBlocking(SOCKET fd, bool On) {
  u_long mode = On ? 1 : 0;
  ioctlsocket(fd, FIONBIO, &mode);
}

// A new IPv4 stream socket that child processes do not inherit;
// INVALID_SOCKET with the error in WSAGetLastError() on failure.
SOCKET NewSocket() {
  const SOCKET fd = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                               WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (fd != INVALID_SOCKET) return fd;
  // Systems before Windows 7 SP1 do not know the no-inherit flag.
  return WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
}

void CloseDescriptor(SOCKET fd) {
  const int saved = WSAGetLastError();
  closesocket(fd);
  WSASetLastError(saved);
}

sockaddr_in MakeAddress(Network::INADDR Address, Network::PORT Port) {
  sockaddr_in a;
  std::memset(&a, 0, sizeof(a));
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(Address);
  a.sin_port = htons(Port);
  return a;
}

StreamSocketData* NewRecord(SOCKET fd, Network::PORT LocalPort) {
  StreamSocketData* record = new StreamSocketData;
  record->sockfd = fd;
  record->LocalPort = LocalPort;
  return record;
}

enum class Mode { kRead, kWrite };

// Waits until fd is ready or the deadline passes. An error condition counts
// as ready: the call that follows reports it. A connection's failure to
// connect shows in the exception set.
Ready SelectOne(SOCKET fd, Mode M, const Deadline& Until) {
  for (;;) {
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(fd, &ready);
    FD_SET(fd, &failed);
    timeval limit;
    const unsigned left = Until.Left();
    limit.tv_sec = static_cast<long>(left / 1000);
    limit.tv_usec = static_cast<long>(left % 1000 * 1000);
    const int n =
        select(0, M == Mode::kRead ? &ready : nullptr, M == Mode::kWrite ? &ready : nullptr,
               &failed, Until.Forever() ? nullptr : &limit);
    if (n == SOCKET_ERROR) return Ready::kFailed;
    if (n == 0) {
      if (!Until.Passed()) continue;  // woken a little early
      return Ready::kTimeout;
    }
    return Ready::kYes;
  }
}

Network::PORT BoundPort(SOCKET fd, Network::PORT Otherwise) {
  sockaddr_in bound;
  int length = sizeof(bound);
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
    return ntohs(bound.sin_port);
  }
  return Otherwise;
}

}  // namespace

// ---------------------------------------------------------------------------
// The primitives of the shared StreamSocket members.

namespace NetworkInternal::Host {

Network::PORT LocalPort(const StreamSocketData& Socket) { return Socket.LocalPort; }

Ready Wait(StreamSocketData& Socket, Direction Way, const Deadline& Until) {
  return SelectOne(Socket.sockfd, Way == Direction::kRead ? Mode::kRead : Mode::kWrite, Until);
}

Ready WaitAny(StreamSocketData* const* Listeners, unsigned Count, const Deadline& Until,
              bool* IsReady, unsigned& ErrorNumber) {
  fd_set ready;
  int n = 0;
  for (;;) {
    FD_ZERO(&ready);
    for (unsigned k = 0; k < Count; ++k) FD_SET(Listeners[k]->sockfd, &ready);
    timeval limit;
    const unsigned left = Until.Left();
    limit.tv_sec = static_cast<long>(left / 1000);
    limit.tv_usec = static_cast<long>(left % 1000 * 1000);
    n = select(0, &ready, nullptr, nullptr, Until.Forever() ? nullptr : &limit);
    if (n == 0 && !Until.Passed()) continue;
    break;
  }
  if (n == 0) return Ready::kTimeout;
  if (n == SOCKET_ERROR) {
    ErrorNumber = LastSocketError();
    return Ready::kFailed;
  }
  for (unsigned k = 0; k < Count; ++k) IsReady[k] = FD_ISSET(Listeners[k]->sockfd, &ready) != 0;
  return Ready::kYes;
}

Taken AcceptOne(StreamSocketData& Listener, StreamSocketData*& Accepted, Network::INADDR& Address,
                Network::PORT& Port, const char*& ErrorText) {
  sockaddr_in peer;
  int length = sizeof(peer);
  const SOCKET fd = accept(Listener.sockfd, reinterpret_cast<sockaddr*>(&peer), &length);
  if (fd == INVALID_SOCKET) {
    const int err = WSAGetLastError();
    // The connection went away between the wait and the accept.
    if (err == WSAEWOULDBLOCK || err == WSAECONNRESET || err == WSAEINTR) return Taken::kRetry;
    Console::ErrorPrint("accept: %s\n", Network::ErrorText(static_cast<unsigned>(err)));
    ErrorText = Network::ErrorText(static_cast<unsigned>(err));
    return Taken::kFailed;
  }
  SetNonBlocking(fd, false);  // an accepted socket takes the listener's mode
  Address = ntohl(peer.sin_addr.s_addr);
  Port = ntohs(peer.sin_port);
  Accepted = NewRecord(fd, Listener.LocalPort);
  return Taken::kYes;
}

void Release(StreamSocketData* Socket) {
  CloseDescriptor(Socket->sockfd);
  delete Socket;
}

StreamSocketData* NewConnection(const char*& ErrorText) {
  const SOCKET fd = NewSocket();
  if (fd == INVALID_SOCKET) {
    ErrorText = LastErrorText();
    return nullptr;
  }
  SetNonBlocking(fd, true);
  return NewRecord(fd, 0);
}

int StartConnect(StreamSocketData& Socket, Network::INADDR Address, Network::PORT Port,
                 bool& Pending) {
  const sockaddr_in address = MakeAddress(Address, Port);
  int err = 0;
  if (connect(Socket.sockfd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    err = WSAGetLastError();
  }
  Pending = err == WSAEWOULDBLOCK;
  return Pending ? 0 : err;
}

int ConnectResult(StreamSocketData& Socket, Ready Outcome) {
  if (Outcome == Ready::kFailed) return WSAGetLastError();
  int err = 0;
  int length = sizeof(err);
  if (getsockopt(Socket.sockfd, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &length) !=
      0) {
    err = WSAGetLastError();
  }
  return err;
}

void FinishConnect(StreamSocketData& Socket) {
  SetNonBlocking(Socket.sockfd, false);
  Socket.LocalPort = BoundPort(Socket.sockfd, 0);
}

const char* ConnectErrorText(int Err) { return Network::ErrorText(static_cast<unsigned>(Err)); }

bool ShutdownSend(StreamSocketData& Socket) { return shutdown(Socket.sockfd, SD_SEND) == 0; }

bool Dispose(StreamSocketData* Socket) {
  shutdown(Socket->sockfd, SD_BOTH);
  const bool closed = closesocket(Socket->sockfd) == 0;
  delete Socket;
  return closed;
}

}  // namespace NetworkInternal::Host

// ---------------------------------------------------------------------------
// StreamSocket.

StreamSocket::StreamSocket() : Driver::Generic(SimpleString("TCP")) { StartLibrary(); }

// Socket handles are kernel handles, which Windows keeps below 2^24.
int StreamSocket::GetDescriptor() const {
  return data_ != nullptr ? static_cast<int>(data_->sockfd) : -1;
}

bool StreamSocket::Open(Network::PORT Port) {
  Close();
  const SOCKET fd = NewSocket();
  if (fd == INVALID_SOCKET)
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", LastErrorText());

  const BOOL off = FALSE;
  const BOOL on = TRUE;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&off), sizeof(off));
  setsockopt(fd, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof(on));
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof(on));
  linger no_linger;
  no_linger.l_onoff = 0;
  no_linger.l_linger = 0;
  setsockopt(fd, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&no_linger),
             sizeof(no_linger));

  const sockaddr_in address = MakeAddress(Network::ANY_ADDRESS, Port);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    const char* text = LastErrorText();
    CloseDescriptor(fd);
    return Error::SetWithContext(Error::SOCK_BIND_ERROR, "%s", text);
  }
  data_ = NewRecord(fd, BoundPort(fd, Port));
  return true;
}

bool StreamSocket::Listen() {
  if (data_ == nullptr) return Error::SetWithContext(Error::IO_NOT_OPEN, "Listen while closed");
  if (listen(data_->sockfd, LISTEN_BACKLOG) != 0) {
    return Error::SetWithContext(Error::SOCK_LISTEN_ERROR, "%s", LastErrorText());
  }
  SetNonBlocking(data_->sockfd, true);
  return true;
}

unsigned StreamSocket::WriteBufferImplementation(const Byte* Buffer, unsigned Size,
                                                 unsigned Timeout) {
  if (!CanTransfer(data_ != nullptr, Buffer, Size, "WriteBuffer", "Write while closed")) return 0;
  ThreadState::SetState(ThreadState::WRITING, "TCP", StateTime(Timeout));
  const Deadline until(Timeout);
  unsigned sent = 0;
  // A timed write sends only what fits without blocking after each wait;
  // the socket is switched to non-blocking for that and back afterwards.
  if (!until.Forever()) SetNonBlocking(data_->sockfd, true);
  while (sent < Size) {
    if (!until.Forever()) {
      const Ready ready = SelectOne(data_->sockfd, Mode::kWrite, until);
      if (ready != Ready::kYes) {
        SetNonBlocking(data_->sockfd, false);
        FailWait(ready, kWriteContext);
        return sent;
      }
    }
    const unsigned chunk = Size - sent > 0x7FFFFFFFu ? 0x7FFFFFFFu : Size - sent;
    const int n = send(data_->sockfd, reinterpret_cast<const char*>(Buffer + sent),
                       static_cast<int>(chunk), 0);
    if (n == SOCKET_ERROR) {
      const int err = WSAGetLastError();
      if (err == WSAEWOULDBLOCK || err == WSAEINTR) {
        if (!until.Passed()) continue;
        SetNonBlocking(data_->sockfd, false);
        SetReady();
        Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", kWriteContext);
        return sent;
      }
      if (!until.Forever()) SetNonBlocking(data_->sockfd, false);
      SetReady();
      Error::SetWithContext(Error::IO_WRITE_ERROR, "%s",
                            Network::ErrorText(static_cast<unsigned>(err)));
      return sent;
    }
    sent += static_cast<unsigned>(n);
  }
  if (!until.Forever()) SetNonBlocking(data_->sockfd, false);
  SetReady();
  return sent;
}

unsigned StreamSocket::ReadBufferImplementation(Byte* Buffer, unsigned Size, unsigned Timeout) {
  if (!CanTransfer(data_ != nullptr, Buffer, Size, "ReadBuffer", "Read while closed")) return 0;
  ThreadState::SetState(ThreadState::READING, "TCP", StateTime(Timeout));
  const Deadline until(Timeout);
  const int wanted = Size > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(Size);
  int n = 0;
  for (;;) {
    if (!until.Forever()) {
      const Ready ready = SelectOne(data_->sockfd, Mode::kRead, until);
      if (ready != Ready::kYes) {
        FailWait(ready, kReadContext);
        return 0;
      }
    }
    // After the wait the data is there, so the receive does not block.
    n = recv(data_->sockfd, reinterpret_cast<char*>(Buffer), wanted, 0);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEINTR) continue;
    break;
  }
  SetReady();
  if (n == SOCKET_ERROR) {
    const int err = WSAGetLastError();
    return ReceiveFailed(err == WSAEWOULDBLOCK || err == WSAETIMEDOUT,
                         Network::ErrorText(static_cast<unsigned>(err)));
  }
  return Received(static_cast<unsigned>(n));
}

unsigned StreamSocket::PeekImplementation() {
  if (data_ == nullptr) return 0;
  fd_set ready;
  FD_ZERO(&ready);
  FD_SET(data_->sockfd, &ready);
  timeval now{0, 0};
  if (select(0, &ready, nullptr, nullptr, &now) != 1) return 0;
  u_long available = 0;
  if (ioctlsocket(data_->sockfd, FIONREAD, &available) != 0) return 1;
  return available > 0 ? static_cast<unsigned>(available) : 0;
}

bool StreamSocket::WaitMany(SocketWait* Waits, unsigned Count, unsigned Timeout) {
  if (Count > MAX_WAIT) return Error::SetWithContext(Error::IO_PARAM_ERROR, "WaitMany");
  static thread_local std::vector<WSAPOLLFD> fds;
  fds.assign(Count, WSAPOLLFD{});
  for (unsigned k = 0; k < Count; ++k) {
    SocketWait& w = Waits[k];
    w.Readable = w.Writeable = false;
    const bool open = w.Socket != nullptr && w.Socket->data_ != nullptr;
    // A closed entry waits on nothing (WSAPoll has no "skip" descriptor).
    fds[k].fd = open ? w.Socket->data_->sockfd : INVALID_SOCKET;
    fds[k].events = static_cast<short>((w.WantRead ? POLLIN : 0) | (w.WantWrite ? POLLOUT : 0));
  }
  const Deadline until(Timeout);
  for (;;) {
    const int left = until.Forever() ? -1 : static_cast<int>(until.Left());
    const int n = WSAPoll(fds.data(), static_cast<ULONG>(Count), left);
    if (n == SOCKET_ERROR) {
      return Error::SetWithContext(Error::SOCK_SELECT_ERROR, "%s", LastErrorText());
    }
    if (n == 0) {
      if (!until.Forever() && !until.Passed()) continue;
      return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "WaitMany");
    }
    break;
  }
  for (unsigned k = 0; k < Count; ++k) {
    const short r = fds[k].revents;
    const bool trouble = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    Waits[k].Readable = Waits[k].WantRead && ((r & POLLIN) != 0 || trouble);
    Waits[k].Writeable = Waits[k].WantWrite && ((r & POLLOUT) != 0 || trouble);
  }
  return true;
}

bool Network::LocalHostName(char* Buffer, unsigned Size) {
  if (Buffer == nullptr || Size == 0) return false;
  Buffer[0] = 0;
  StartLibrary();
  if (gethostname(Buffer, static_cast<int>(Size)) != 0 || std::memchr(Buffer, 0, Size) == nullptr) {
    Buffer[0] = 0;
    return false;
  }
  return Buffer[0] != 0;
}

}  // namespace VXB
