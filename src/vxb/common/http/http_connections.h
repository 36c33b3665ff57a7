// The HTTP server's open connections, read together on its one thread.
//
// Each turn waits on the listener and every connection at once
// (StreamSocket::WaitMany) and then moves each connection on without ever
// blocking on one: new connections are accepted; received bytes are added
// to their connection's buffer; a head that is complete is judged at once
// (refused right there, or given "100 Continue" when asked for); a request
// whose head and body are complete is queued; queued answers are sent as
// the client takes them. Every transfer is a zero-time-out one, which
// never waits. A request that is still incomplete holds nobody: it waits
// on its own deadlines (the head's from the first byte's connection, the
// body's from the head's end, and the pause between receives); a head that
// runs out is dropped without an answer, a body that runs out is served
// cut short, an answer that is not read in time is dropped. The time spent
// processing a request does not count against the others' deadlines.
//
// The server processes the queued requests in the order they became
// complete, one at a time, through the engine (Attach makes the engine read
// the request from the buffer and write the answer into it).
//
// Cap: at most Max connections are open; one accepted beyond it is answered
// "503 Service Unavailable" at once and closed, so the clients already
// connected (including idle ones that may be about to send) keep their
// place. A few such refusals are kept while their answer goes out; beyond
// those a connection is closed unanswered.
//
// Thread safety: only the server thread uses a set.
#ifndef VXB_COMMON_HTTP_CONNECTIONS_H_
#define VXB_COMMON_HTTP_CONNECTIONS_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "vxb/common/http/httpd_api.h"
#include "vxb/common/io/driver.h"
#include "vxb/common/io/network.h"

namespace VXB::HTTP {

inline constexpr unsigned DEFAULT_MAX_CONNECTIONS = 64;
inline constexpr unsigned MAX_CONNECTIONS_LIMIT = 1000;
// Bodies longer than this are not gathered: the request is served as soon
// as its head is in, and its handler refuses it by its Content-Length.
inline constexpr std::uint32_t MAX_GATHERED_BODY = 2u * 1024 * 1024;
// Answers longer than this are cut off (the connection is dropped).
inline constexpr std::size_t MAX_QUEUED_ANSWER = 16u * 1024 * 1024;

struct ClientConnection;

class ConnectionSet {
 public:
  ConnectionSet(httpd* Engine, unsigned Max);
  ~ConnectionSet();
  ConnectionSet(const ConnectionSet&) = delete;
  ConnectionSet& operator=(const ConnectionSet&) = delete;

  // One turn, waiting at most Wait ms for something to happen; false when
  // nothing did.
  bool Turn(unsigned Wait);
  // True when a complete request waits to be processed.
  bool HasComplete() const { return !complete_.empty(); }
  // Makes the engine the next complete request's connection (reading the
  // buffered request, writing into the answer queue); false when none.
  bool AttachNext();
  // Ends the attached request: its answer goes out, then the connection
  // closes.
  void Detach();
  void CloseAll();
  std::size_t Open() const { return connections_.size(); }

 private:
  class Buffered;

  void Accept();
  void Refuse(std::unique_ptr<ClientConnection> C);
  void Receive(ClientConnection& C);
  void Send(ClientConnection& C);
  void Judge(ClientConnection& C);
  void CheckComplete(ClientConnection& C);
  bool Expired(ClientConnection& C, std::uint64_t Now);
  void Attach(ClientConnection& C, bool Judging);
  void EndAttached(ClientConnection& C);
  void Answer(ClientConnection& C);
  unsigned NextWait(unsigned Wait) const;
  void Postpone(std::uint64_t Busy);

  httpd* engine_;
  unsigned max_;
  std::uint64_t serial_ = 0;
  std::vector<std::unique_ptr<ClientConnection>> connections_;
  std::deque<ClientConnection*> complete_;
  ClientConnection* attached_ = nullptr;
  std::uint64_t attached_since_ = 0;  // when the attached request's processing began
  std::unique_ptr<Buffered> driver_;
  std::vector<SocketWait> waits_;
  // After a failed accept (no descriptor left, for one) the listening
  // socket stays readable: it is left out of the wait until then, so the
  // thread does not spin.
  std::uint64_t accept_resume_ = 0;
};

}  // namespace VXB::HTTP

#endif  // VXB_COMMON_HTTP_CONNECTIONS_H_
