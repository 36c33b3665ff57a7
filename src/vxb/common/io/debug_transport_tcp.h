// The TCP debug transport: debug lines served to a remote client over a
// socket. It lives with the sockets it uses, above the debug registry it
// plugs into.
#ifndef VXB_COMMON_IO_DEBUG_TRANSPORT_TCP_H_
#define VXB_COMMON_IO_DEBUG_TRANSPORT_TCP_H_

#include <atomic>
#include <cstdint>

#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/thread.h"

namespace VXB {
class StreamSocket;
}

namespace VXB::Debug {

// Serves debug lines to one remote client at a time over TCP. A listener
// thread "DebugTCP" accepts a client on the port (DEBUG_TCP_PORT unless
// told otherwise); while a client is connected the transport is enabled and
// each line goes out as the 48-byte packet (little-endian) followed by
// BufferSize text bytes. The client may send 2-byte Control::Command records
// at any time; the listener thread executes them. A client that leaves, or
// that stops taking data for longer than MAX_STALL_MS, is dropped and the
// listener waits for the next one.
//
// Thread safety: Send is called under the transport lock; the client socket
// is replaced or closed only under the transport's own client lock, taken
// after the transport lock. End and destruction may come from any thread
// other than the listener's.
class TransportTCP : public Thread, public Transport {
 public:
  static constexpr unsigned SEND_PIECE_TIMEOUT = 100;  // ms per piece of a send
  static constexpr unsigned MAX_STALL_MS = 2000;       // a client taking nothing
  static constexpr unsigned READ_TIMEOUT = 1000;       // ms per command read
  static constexpr unsigned ACCEPT_TIMEOUT = 250;      // ms per wait for a client
  static constexpr unsigned RETRY_DELAY = 1000;        // ms after a failed accept

  // Starts the listener thread on Port (0: a free port chosen by the
  // system), waits until it listens (or has failed to), then sleeps
  // DebuggerStartupDelay milliseconds so that a client can connect first.
  explicit TransportTCP(unsigned DebuggerStartupDelay, std::uint16_t Port = DEBUG_TCP_PORT);
  ~TransportTCP() override;

  // Stops the listener thread and drops the client; with Wait, returns
  // only when the thread has ended and both sockets are closed.
  void End(bool Wait) override;
  void Send(const Packet& d, const char* Line) override;
  bool Enabled() override;  // a client is connected
  // The client's socket descriptor while connected, else -1.
  int GetDescriptor() override;
  // The port listened on; 0 when the listener could not be opened.
  std::uint16_t GetPort() const { return port_.load(); }

 protected:
  void ThreadBody() override;

 private:
  bool SendAll(const void* Data, unsigned Size);
  void CloseClient();

  const std::uint16_t requested_port_;
  Semaphore accept_ready_;
  Semaphore stop_signal_;
  Mutex client_lock_;
  std::atomic<bool> client_connected_{false};
  std::atomic<bool> client_failed_{false};
  std::atomic<bool> stop_client_{false};
  std::atomic<std::uint16_t> port_{0};
  StreamSocket* current_;  // owned; the client
  StreamSocket* parent_;   // owned; the listener
};

}  // namespace VXB::Debug

#endif  // VXB_COMMON_IO_DEBUG_TRANSPORT_TCP_H_
