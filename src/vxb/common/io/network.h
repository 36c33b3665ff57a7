// IPv4 TCP stream sockets as byte-stream drivers. Implemented per platform
// (src/vxb/<platform>/network.cc).
//
// A StreamSocket is either closed or holds one platform socket: a listener
// (Open, Listen, then Accept or MultipleAccept into a second StreamSocket) or
// a connection (accepted, or made with Connect), which is read, written and
// closed. Destroying a socket closes it.
//
// Every operation reports failure in the calling thread's error record and
// returns false or 0; nothing throws. A wait that runs out of time leaves
// IO_TIMEOUT_ERROR (258) and the socket open. Time-outs are milliseconds;
// WAIT_FOREVER waits without limit and 0 only polls. While an operation
// blocks, the calling thread's row in the thread-state table reads
// CONNECTING, WAITING, READING or WRITING.
//
// Platform error texts are those of the socket library's numbering ("Address
// already in use", "Conection reset by peer", ...), whatever the host's own
// error numbers are; an unknown one reads "Error desconocido". Writing to a
// connection whose peer has gone reports an error, never a signal.
//
// Reads keep the driver contract of driver.h: a closed peer is
// SOCK_CONNECTION_CLOSED. A socket has no Abort(): its waits end by their
// time-outs (the base Abort() reports IO_NOT_IMPLEMENTED).
//
// Thread safety: one thread per socket object, except that one thread may
// read while another writes the same open connection. Opening, accepting
// into and closing a socket must not overlap any other use of it.
#ifndef VXB_COMMON_NETWORK_H_
#define VXB_COMMON_NETWORK_H_

#include <cstdint>

#include "vxb/common/base/types.h"
#include "vxb/common/io/driver.h"

namespace VXB {

namespace Network {

// IPv4 address and port, both in host byte order.
using INADDR = std::uint32_t;
using PORT = std::uint16_t;

inline constexpr INADDR ANY_ADDRESS = 0;
inline constexpr INADDR LOOPBACK = 0x7F000001u;  // 127.0.0.1

// Dotted-quad text of an address ("127.0.0.1"), from the calling thread's
// rotating pool: valid for a few further calls on the same thread.
const char* ToString(INADDR Address);

// The text of a socket error number of the socket library's numbering
// (10048 reads "Address already in use"); "Error desconocido" for others.
const char* ErrorText(unsigned SocketErrorNumber);

// The machine's own host name into Buffer (Size bytes, terminated); false,
// with Buffer empty, when the system gives none or it does not fit.
bool LocalHostName(char* Buffer, unsigned Size);

}  // namespace Network

struct StreamSocketData;
class StreamSocket;

// One socket of StreamSocket::WaitMany: what to wait for, and what came.
struct SocketWait {
  StreamSocket* Socket = nullptr;  // null or closed: skipped
  bool WantRead = false;
  bool WantWrite = false;
  bool Readable = false;   // bytes, the peer's end or an error: a read tells which
  bool Writeable = false;  // room to send, or an error: a write tells which
};

class StreamSocket : public Driver::Generic {
 public:
  // At most this many distinct listeners are watched by MultipleAccept.
  static constexpr unsigned MAX_MULTIPLE_ACCEPT = 64;
  static constexpr int LISTEN_BACKLOG = 128;

  // A closed socket driver named "TCP".
  StreamSocket();
  ~StreamSocket() override;

  // Creates a socket bound to every local address on Port (0: a free port
  // chosen by the system; GetLocalPort() then tells which). A socket that
  // was open is closed first. IO_OPEN_ERROR or SOCK_BIND_ERROR on failure.
  bool Open(Network::PORT Port);
  // Listens on the bound socket (backlog 128). IO_NOT_OPEN when closed,
  // SOCK_LISTEN_ERROR on failure.
  bool Listen();
  // Waits up to Timeout for a connection and accepts it into Target (whose
  // earlier connection is closed), giving the peer's address and port.
  // SOCK_CONNECTION_CLOSED when this socket is closed, IO_TIMEOUT_ERROR,
  // SOCK_ERROR_ACCEPT.
  bool Accept(Network::INADDR& Address, Network::PORT& Port, unsigned Timeout,
              StreamSocket& Target);
  // Waits on the first Count sockets of Sockets at once (null and closed
  // entries are skipped) and accepts on the earliest one in array order that
  // has a connection; Count becomes that socket's index. IO_TIMEOUT_ERROR,
  // SOCK_SELECT_ERROR, and SOCK_CONNECTION_CLOSED when none is open.
  static bool MultipleAccept(StreamSocket** Sockets, unsigned& Count, Network::INADDR& Address,
                             Network::PORT& Port, unsigned Timeout, StreamSocket& Target);
  // Waits on the first Count entries of Waits at once (poll on POSIX,
  // WSAPoll on Windows) until one is ready or Timeout passes, and sets
  // their Readable and Writeable. True when any is ready; IO_TIMEOUT_ERROR,
  // or SOCK_SELECT_ERROR when the wait failed. At most MAX_WAIT entries.
  static constexpr unsigned MAX_WAIT = 1100;
  static bool WaitMany(SocketWait* Waits, unsigned Count, unsigned Timeout);
  // Connects to Address:Port within Timeout (a socket that was open is
  // closed first). SOCK_ERROR_CONNECT or IO_TIMEOUT_ERROR on failure.
  bool Connect(Network::INADDR Address, Network::PORT Port, unsigned Timeout);

  // True when the socket became readable (writeable) within Timeout;
  // IO_TIMEOUT_ERROR or SOCK_SELECT_ERROR otherwise, IO_NOT_OPEN when closed.
  bool WaitReadable(unsigned Timeout);
  bool WaitWriteable(unsigned Timeout);

  // Ends the sending direction of a connection (the peer reads the end of
  // the stream) while reading stays possible. IO_NOT_OPEN when closed.
  bool ShutdownSend();
  // Shuts the connection down and releases the socket; true also when it
  // was not open.
  bool Close();
  bool IsOpen() const;
  bool OK() const override;
  // The platform handle, -1 when closed.
  int GetDescriptor() const;
  // The port the socket was opened on (for an accepted connection, its
  // listener's), 0 when closed.
  Network::PORT GetLocalPort() const;

 protected:
  bool WriteByteImplementation(Byte b, unsigned Timeout) override;
  // Sends the whole buffer unless the time-out (counted over the whole
  // write) passes or the connection fails; returns the count sent, which is
  // less than Size exactly when the error record says why. Size 0 returns 0
  // with the error record cleared.
  unsigned WriteBufferImplementation(const Byte* Buffer, unsigned Size, unsigned Timeout) override;
  bool ReadByteImplementation(Byte& b, unsigned Timeout) override;
  // One receive of at most Size bytes. 0 with SOCK_CONNECTION_CLOSED when
  // the peer has closed; on success the error record is cleared.
  unsigned ReadBufferImplementation(Byte* Buffer, unsigned Size, unsigned Timeout) override;
  // Bytes that can be read now without waiting.
  unsigned PeekImplementation() override;

 private:
  StreamSocketData* data_ = nullptr;
};

}  // namespace VXB

#endif  // VXB_COMMON_NETWORK_H_
