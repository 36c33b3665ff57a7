// StreamSocket on BSD sockets. Waits use poll(), so descriptors of any value
// work; every descriptor is close-on-exec; sends never raise SIGPIPE.
// Listeners are non-blocking so that a connection that vanishes between the
// wait and accept() cannot block a timed Accept; connections are blocking and
// timed operations wait with poll() first and then never block.
// POSIX sockets need no library start-up, so construction does nothing.
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

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
#include "vxb/common/runtime/thread_state.h"

namespace VXB {

struct StreamSocketData {
  int sockfd = -1;
  Network::PORT LocalPort = 0;
};

namespace {

using namespace NetworkInternal;

#if defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;  // SO_NOSIGPIPE is set on every socket instead
#endif

// The host's error numbers in the socket library's numbering, whose texts
// are the ones reported. Searched in order; the host may give two names one
// value (EAGAIN and EWOULDBLOCK), so this is a list, not a switch.
struct ErrnoRow {
  int Host;
  unsigned Socket;
};
constexpr ErrnoRow kErrnoRows[] = {
    {0, 0},
    {EINTR, 10004},
    {EBADF, 10009},
    {EACCES, 10013},
    {EFAULT, 10014},
    {EINVAL, 10022},
    {EMFILE, 10024},
    {EAGAIN, 10035},
    {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},
    {EALREADY, 10037},
    {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043},
#if defined(ESOCKTNOSUPPORT)
    {ESOCKTNOSUPPORT, 10044},
#endif
    {EOPNOTSUPP, 10045},
#if defined(EPFNOSUPPORT)
    {EPFNOSUPPORT, 10046},
#endif
    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},
    {ENETUNREACH, 10051},
    {ENETRESET, 10052},
    {ECONNABORTED, 10053},
    {ECONNRESET, 10054},
    {ENOBUFS, 10055},
    {EISCONN, 10056},
    {ENOTCONN, 10057},
#if defined(ESHUTDOWN)
    {ESHUTDOWN, 10058},
#endif
    // A send after the peer has gone: the socket library reports it as a
    // send after shutdown.
    {EPIPE, 10058},
#if defined(ETOOMANYREFS)
    {ETOOMANYREFS, 10059},
#endif
    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
#if defined(EHOSTDOWN)
    {EHOSTDOWN, 10064},
#endif
    {EHOSTUNREACH, 10065},
    {ENOTEMPTY, 10066},
#if defined(EPROCLIM)
    {EPROCLIM, 10067},
#endif
#if defined(EUSERS)
    {EUSERS, 10068},
#endif
    {EDQUOT, 10069},
    {ESTALE, 10070},
#if defined(EREMOTE)
    {EREMOTE, 10071},
#endif
};

// The socket library's number for a host error number; a host number
// without one is passed on as it is (and then reads "Error desconocido").
unsigned SocketErrorNumber(int HostError) {
  for (const ErrnoRow& row : kErrnoRows) {
    if (row.Host == HostError) return row.Socket;
  }
  return static_cast<unsigned>(HostError);
}

const char* HostErrorText(int HostError) {
  return Network::ErrorText(SocketErrorNumber(HostError));
}

void SetCloseOnExec(int fd) {
  const int flags = fcntl(fd, F_GETFD);
  if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
}

void SetNonBlocking(int fd, bool On) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return;
  fcntl(fd, F_SETFL, On ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

void SetNoSigPipe([[maybe_unused]] int fd) {
#if defined(SO_NOSIGPIPE)
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof(on));
#endif
}

// A new IPv4 stream socket, close-on-exec and without SIGPIPE; -1 with errno
// on failure.
int NewSocket() {
#if defined(SOCK_CLOEXEC)
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
#else
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
#endif
  if (fd < 0) return -1;
  SetCloseOnExec(fd);
  SetNoSigPipe(fd);
  return fd;
}

void CloseDescriptor(int fd) {
  const int saved = errno;
  close(fd);
  errno = saved;
}

sockaddr_in MakeAddress(Network::INADDR Address, Network::PORT Port) {
  sockaddr_in a;
  std::memset(&a, 0, sizeof(a));
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(Address);
  a.sin_port = htons(Port);
  return a;
}

StreamSocketData* NewRecord(int fd, Network::PORT LocalPort) {
  StreamSocketData* record = new StreamSocketData;
  record->sockfd = fd;
  record->LocalPort = LocalPort;
  return record;
}

// The time-out poll() takes for what is left of a deadline: -1 for none.
int PollTimeout(const Deadline& Until) {
  return Until.Forever() ? -1 : static_cast<int>(Until.Left());
}

// Waits until fd is ready for Events or the deadline passes, retrying after
// signals. An error or hang-up condition counts as ready: the call that
// follows reports it.
Ready PollOne(int fd, short Events, const Deadline& Until) {
  for (;;) {
    pollfd p;
    p.fd = fd;
    p.events = Events;
    p.revents = 0;
    const int n = poll(&p, 1, PollTimeout(Until));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Ready::kFailed;
    }
    if (n == 0) {
      // Long waits are cut to INT_MAX milliseconds; go on until the end.
      if (Until.Forever() || !Until.Passed()) continue;
      return Ready::kTimeout;
    }
    if ((p.revents & POLLNVAL) != 0) {
      errno = EBADF;
      return Ready::kFailed;
    }
    return Ready::kYes;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// The primitives of the shared StreamSocket members.

namespace NetworkInternal::Host {

Network::PORT LocalPort(const StreamSocketData& Socket) { return Socket.LocalPort; }

Ready Wait(StreamSocketData& Socket, Direction Way, const Deadline& Until) {
  return PollOne(Socket.sockfd, Way == Direction::kRead ? POLLIN : POLLOUT, Until);
}

Ready WaitAny(StreamSocketData* const* Listeners, unsigned Count, const Deadline& Until,
              bool* IsReady, unsigned& ErrorNumber) {
  pollfd fds[StreamSocket::MAX_MULTIPLE_ACCEPT];
  const nfds_t used =
      Count < StreamSocket::MAX_MULTIPLE_ACCEPT ? Count : StreamSocket::MAX_MULTIPLE_ACCEPT;
  for (nfds_t k = 0; k < used; ++k) {
    fds[k].fd = Listeners[k]->sockfd;
    fds[k].events = POLLIN;
  }
  int n = 0;
  for (;;) {
    for (nfds_t k = 0; k < used; ++k) fds[k].revents = 0;
    n = poll(fds, used, PollTimeout(Until));
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 && (Until.Forever() || !Until.Passed())) continue;
    break;
  }
  if (n == 0) return Ready::kTimeout;
  if (n < 0) {
    ErrorNumber = SocketErrorNumber(errno);
    return Ready::kFailed;
  }
  for (nfds_t k = 0; k < used; ++k) {
    IsReady[k] = (fds[k].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
  }
  return Ready::kYes;
}

Taken AcceptOne(StreamSocketData& Listener, StreamSocketData*& Accepted, Network::INADDR& Address,
                Network::PORT& Port, const char*& ErrorText) {
  sockaddr_in peer;
  socklen_t length = sizeof(peer);
#if defined(__linux__)
  const int fd =
      accept4(Listener.sockfd, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
#else
  const int fd = accept(Listener.sockfd, reinterpret_cast<sockaddr*>(&peer), &length);
#endif
  if (fd < 0) {
    const int err = errno;
    // A signal came, or the connection went away between the wait and the
    // accept.
    if (err == EINTR || err == EAGAIN || err == EWOULDBLOCK || err == ECONNABORTED) {
      return Taken::kRetry;
    }
    Console::ErrorPrint("accept: %s\n", std::strerror(err));
    ErrorText = HostErrorText(err);
    return Taken::kFailed;
  }
  SetCloseOnExec(fd);
  SetNonBlocking(fd, false);  // some systems pass the listener's mode on
  SetNoSigPipe(fd);
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
  const int fd = NewSocket();
  if (fd < 0) {
    ErrorText = HostErrorText(errno);
    return nullptr;
  }
  SetNonBlocking(fd, true);
  return NewRecord(fd, 0);
}

int StartConnect(StreamSocketData& Socket, Network::INADDR Address, Network::PORT Port,
                 bool& Pending) {
  const sockaddr_in address = MakeAddress(Address, Port);
  const int rc =
      connect(Socket.sockfd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  const int err = rc == 0 ? 0 : errno;
  Pending = rc != 0 && (err == EINPROGRESS || err == EINTR);
  return Pending ? 0 : err;
}

int ConnectResult(StreamSocketData& Socket, Ready Outcome) {
  if (Outcome == Ready::kFailed) return errno;
  int err = 0;
  socklen_t length = sizeof(err);
  if (getsockopt(Socket.sockfd, SOL_SOCKET, SO_ERROR, &err, &length) != 0) err = errno;
  return err;
}

void FinishConnect(StreamSocketData& Socket) {
  SetNonBlocking(Socket.sockfd, false);
  sockaddr_in bound;
  socklen_t length = sizeof(bound);
  if (getsockname(Socket.sockfd, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
    Socket.LocalPort = ntohs(bound.sin_port);
  }
}

const char* ConnectErrorText(int Err) { return HostErrorText(Err); }

bool ShutdownSend(StreamSocketData& Socket) { return shutdown(Socket.sockfd, SHUT_WR) == 0; }

bool Dispose(StreamSocketData* Socket) {
  shutdown(Socket->sockfd, SHUT_RDWR);
  const bool closed = close(Socket->sockfd) == 0;
  delete Socket;
  return closed;
}

}  // namespace NetworkInternal::Host

// ---------------------------------------------------------------------------
// StreamSocket.

StreamSocket::StreamSocket() : Driver::Generic(SimpleString("TCP")) {}

int StreamSocket::GetDescriptor() const { return data_ != nullptr ? data_->sockfd : -1; }

bool StreamSocket::Open(Network::PORT Port) {
  Close();
  const int fd = NewSocket();
  if (fd < 0) return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", HostErrorText(errno));

  const int off = 0;
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &off, sizeof(off));
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof(on));
  linger no_linger;
  no_linger.l_onoff = 0;
  no_linger.l_linger = 0;
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &no_linger, sizeof(no_linger));

  const sockaddr_in address = MakeAddress(Network::ANY_ADDRESS, Port);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    const int err = errno;
    CloseDescriptor(fd);
    return Error::SetWithContext(Error::SOCK_BIND_ERROR, "%s", HostErrorText(err));
  }
  // The bound name tells the port the system chose when asked for port 0.
  sockaddr_in bound;
  socklen_t length = sizeof(bound);
  Network::PORT local = Port;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
    local = ntohs(bound.sin_port);
  }
  data_ = NewRecord(fd, local);
  return true;
}

bool StreamSocket::Listen() {
  if (data_ == nullptr) return Error::SetWithContext(Error::IO_NOT_OPEN, "Listen while closed");
  if (listen(data_->sockfd, LISTEN_BACKLOG) != 0) {
    return Error::SetWithContext(Error::SOCK_LISTEN_ERROR, "%s", HostErrorText(errno));
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
  // The system may take fewer bytes than offered; go on until all are sent,
  // the time is up or the connection fails.
  while (sent < Size) {
    int flags = kSendFlags;
    if (!until.Forever()) {
      const Ready ready = PollOne(data_->sockfd, POLLOUT, until);
      if (ready != Ready::kYes) {
        FailWait(ready, kWriteContext);
        return sent;
      }
      flags |= MSG_DONTWAIT;  // take what fits now; the wait above bounds the rest
    }
    const ssize_t n = send(data_->sockfd, Buffer + sent, Size - sent, flags);
    if (n < 0) {
      const int err = errno;
      if (err == EINTR || err == EAGAIN || err == EWOULDBLOCK) {
        if (until.Passed()) {
          SetReady();
          Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s", kWriteContext);
          return sent;
        }
        continue;
      }
      SetReady();
      Error::SetWithContext(Error::IO_WRITE_ERROR, "%s", HostErrorText(err));
      return sent;
    }
    sent += static_cast<unsigned>(n);
  }
  SetReady();
  return sent;
}

unsigned StreamSocket::ReadBufferImplementation(Byte* Buffer, unsigned Size, unsigned Timeout) {
  if (!CanTransfer(data_ != nullptr, Buffer, Size, "ReadBuffer", "Read while closed")) return 0;
  ThreadState::SetState(ThreadState::READING, "TCP", StateTime(Timeout));
  const Deadline until(Timeout);
  ssize_t n = 0;
  for (;;) {
    if (!until.Forever()) {
      const Ready ready = PollOne(data_->sockfd, POLLIN, until);
      if (ready != Ready::kYes) {
        FailWait(ready, kReadContext);
        return 0;
      }
    }
    n = recv(data_->sockfd, Buffer, Size, until.Forever() ? 0 : MSG_DONTWAIT);
    if (n < 0 &&
        (errno == EINTR || ((errno == EAGAIN || errno == EWOULDBLOCK) && !until.Passed()))) {
      continue;
    }
    break;
  }
  SetReady();
  if (n < 0) {
    const int err = errno;
    return ReceiveFailed(err == EAGAIN || err == EWOULDBLOCK, HostErrorText(err));
  }
  return Received(static_cast<unsigned>(n));
}

unsigned StreamSocket::PeekImplementation() {
  if (data_ == nullptr) return 0;
  pollfd p;
  p.fd = data_->sockfd;
  p.events = POLLIN;
  p.revents = 0;
  if (poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0) return 0;
  int available = 0;
  if (ioctl(data_->sockfd, FIONREAD, &available) != 0) return 1;
  return available > 0 ? static_cast<unsigned>(available) : 0;
}

bool StreamSocket::WaitMany(SocketWait* Waits, unsigned Count, unsigned Timeout) {
  if (Count > MAX_WAIT) return Error::SetWithContext(Error::IO_PARAM_ERROR, "WaitMany");
  static thread_local std::vector<pollfd> fds;
  fds.assign(Count, pollfd{});
  for (unsigned k = 0; k < Count; ++k) {
    SocketWait& w = Waits[k];
    w.Readable = w.Writeable = false;
    const bool open = w.Socket != nullptr && w.Socket->data_ != nullptr;
    fds[k].fd = open ? w.Socket->data_->sockfd : -1;  // negative: skipped by poll
    fds[k].events = static_cast<short>((w.WantRead ? POLLIN : 0) | (w.WantWrite ? POLLOUT : 0));
  }
  const Deadline until(Timeout);
  for (;;) {
    const int n = poll(fds.data(), Count, PollTimeout(until));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Error::SetWithContext(Error::SOCK_SELECT_ERROR, "%s", HostErrorText(errno));
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
  if (gethostname(Buffer, Size) != 0 || std::memchr(Buffer, 0, Size) == nullptr) {
    Buffer[0] = 0;
    return false;
  }
  return Buffer[0] != 0;
}

}  // namespace VXB
