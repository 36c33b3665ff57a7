// The parts of StreamSocket that do not depend on the socket library: the
// deadline of a timed operation, the bookkeeping of the thread-state table
// and the error record around a wait, the argument checks of a transfer,
// and the primitives each platform layer provides for the members shared
// in network_common.cc. Only network_common.cc and the platform layers'
// network.cc include this header.
#ifndef VXB_COMMON_NETWORK_INTERNAL_H_
#define VXB_COMMON_NETWORK_INTERNAL_H_

#include <cstdint>

#include "vxb/common/io/network.h"
#include "vxb/common/runtime/debug.h"

namespace VXB::NetworkInternal {

// Contexts of the errors the socket operations record.
inline constexpr const char* kAcceptContext =
    "bool VXB::StreamSocket::Accept(VXB::Network::INADDR&, VXB::Network::PORT&, unsigned int, "
    "VXB::StreamSocket&)";
inline constexpr const char* kMultipleAcceptContext =
    "static bool VXB::StreamSocket::MultipleAccept(VXB::StreamSocket**, unsigned int&, "
    "VXB::Network::INADDR&, VXB::Network::PORT&, unsigned int, VXB::StreamSocket&)";
inline constexpr const char* kWriteContext =
    "virtual unsigned int VXB::StreamSocket::WriteBufferImplementation(const unsigned char*, "
    "unsigned int, unsigned int)";
inline constexpr const char* kReadContext =
    "virtual unsigned int VXB::StreamSocket::ReadBufferImplementation(unsigned char*, unsigned "
    "int, unsigned int)";

// The end of a timed operation on the monotonic clock.
class Deadline {
 public:
  // The longest single wait handed to the platform, in milliseconds; longer
  // waits are made of several.
  static constexpr unsigned kLongestWait = 0x7FFFFFFFu;

  explicit Deadline(unsigned Timeout);
  bool Forever() const { return forever_; }
  // Milliseconds left, 0 once passed, at most kLongestWait; without a
  // limit: kLongestWait as well (callers ask Forever() first).
  unsigned Left() const;
  bool Passed() const;

 private:
  bool forever_;
  std::uint64_t end_;
};

// How a wait for readiness ended.
enum class Ready { kYes, kTimeout, kFailed };

// Records the outcome of a wait: true when ready; IO_TIMEOUT_ERROR with
// TimeoutContext when no readiness came in time, SOCK_SELECT_ERROR "select"
// when the wait itself failed.
bool ReportWait(Ready ready, const char* TimeoutContext);

// The time a thread-state row shows for a wait: 0 for no limit.
unsigned StateTime(unsigned Timeout);

// Puts the calling thread's row back to READY.
void SetReady();

// Records why a wait before a transfer ended without the socket being ready,
// after putting the thread's row back to READY.
void FailWait(Ready ready, const char* TimeoutContext);

// The checks every transfer starts with; false (error recorded) when there
// is nothing to do. A transfer of nothing clears the record: a receive of
// nothing would otherwise look exactly like a closed peer.
bool CanTransfer(bool Open, const void* Buffer, unsigned Size, const char* Operation,
                 const char* ClosedContext);

// The end of a receive that brought Count bytes: 0 means the peer closed
// the connection (SOCK_CONNECTION_CLOSED), more clears the error record.
// Gives Count.
unsigned Received(unsigned Count);

// The end of a receive that failed: IO_TIMEOUT_ERROR when nothing came in
// time, else IO_READ_ERROR with ErrorText. Gives 0.
unsigned ReceiveFailed(bool TimedOut, const char* ErrorText);

Debug::Debugger& NetworkDebugger();

// Primitives each platform layer's network.cc provides over its own
// StreamSocketData; the members of StreamSocket in network_common.cc that
// wait, accept, connect, shut down and close are built on them.
namespace Host {

enum class Direction { kRead, kWrite };

// The port a socket is bound to.
Network::PORT LocalPort(const StreamSocketData& Socket);

// Waits until Socket is ready for Way or Until passes. An error condition
// counts as ready: the call that follows reports it.
Ready Wait(StreamSocketData& Socket, Direction Way, const Deadline& Until);

// Waits until one of Count listeners has a connection waiting (IsReady[k]
// true for each that has) or Until passes; with kFailed, ErrorNumber is
// the socket library's number of the failure.
Ready WaitAny(StreamSocketData* const* Listeners, unsigned Count, const Deadline& Until,
              bool* IsReady, unsigned& ErrorNumber);

// How taking a connection from a listener ended.
enum class Taken {
  kYes,    // Accepted, Address and Port are set
  kRetry,  // the connection went away first, or a signal came: wait again
  kFailed  // reported on the console; ErrorText tells why
};

// Takes one waiting connection from Listener. The new connection's record
// is blocking and keeps the listener's local port.
Taken AcceptOne(StreamSocketData& Listener, StreamSocketData*& Accepted, Network::INADDR& Address,
                Network::PORT& Port, const char*& ErrorText);

// Closes Socket as it is, without a shutdown and keeping the calling
// thread's last socket error, and frees the record.
void Release(StreamSocketData* Socket);

// A new socket for a connection, not yet connected, in non-blocking mode;
// null, with the system's reason in ErrorText, when none can be made.
StreamSocketData* NewConnection(const char*& ErrorText);

// Starts connecting Socket to Address:Port. Gives the platform's error
// number, 0 when connected or under way; Pending tells whether the
// connection is still under way (then wait until Socket is writable).
int StartConnect(StreamSocketData& Socket, Network::INADDR Address, Network::PORT Port,
                 bool& Pending);

// The error number of a connection once the wait for it ended with
// Outcome (kYes or kFailed): 0 when it is made.
int ConnectResult(StreamSocketData& Socket, Ready Outcome);

// Puts a connection made back to blocking mode and records its local port.
void FinishConnect(StreamSocketData& Socket);

// The text of an error number StartConnect or ConnectResult gave.
const char* ConnectErrorText(int Err);

// Stops sending on Socket; false when the system refuses.
bool ShutdownSend(StreamSocketData& Socket);

// Shuts Socket down both ways, closes it and frees the record; false when
// the close failed.
bool Dispose(StreamSocketData* Socket);

}  // namespace Host

}  // namespace VXB::NetworkInternal

#endif  // VXB_COMMON_NETWORK_INTERNAL_H_
