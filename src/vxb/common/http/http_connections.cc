#include "vxb/common/http/http_connections.h"

#include <algorithm>
#include <cstring>

#include "vxb/common/http/httpd_ip_acl.h"
#include "vxb/common/http/httpd_protocol.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"

namespace VXB::HTTP {

namespace {

// Refused connections kept at once while their 503 goes out.
constexpr std::size_t MAX_REFUSING = 64;
// Connections taken from the listener in one turn.
constexpr unsigned ACCEPTS_PER_TURN = 32;
// How long a failed accept keeps new connections waiting (ms).
constexpr std::uint64_t ACCEPT_BACKOFF_MS = 100;
constexpr unsigned RECEIVE_CHUNK = 16384;

enum class Stage { READING, QUEUED, ANSWERING, LINGERING };

std::uint64_t Now() { return System::MonotonicMilliseconds(); }

// now + ms, or 0 (none) for WAIT_FOREVER.
std::uint64_t After(std::uint64_t now, unsigned ms) {
  return ms == Constants::WAIT_FOREVER ? 0 : now + ms;
}

std::uint64_t Earliest(std::uint64_t a, std::uint64_t b) {
  if (a == 0) return b;
  if (b == 0) return a;
  return std::min(a, b);
}

// Where the head in Bytes ends (just after its empty line), or 0 while it
// may still grow into an acceptable head. A head the engine will refuse
// without seeing its end (a line or a count of lines over the limits, a
// bare CR) counts as complete where it stands.
std::size_t HeadEnd(const std::string& Bytes) {
  std::size_t start = 0;
  unsigned lines = 0;
  for (std::size_t i = 0; i < Bytes.size(); ++i) {
    const char c = Bytes[i];
    if (c == '\r' && i + 1 < Bytes.size() && Bytes[i + 1] != '\n') return Bytes.size();
    if (c != '\n') continue;
    const std::size_t length = i - start - (i > start && Bytes[i - 1] == '\r' ? 1 : 0);
    if (length == 0 || ++lines > HTTP_MAX_HEADER_LINES + 1) return i + 1;
    start = i + 1;
  }
  return Bytes.size() - start >= HTTP_MAX_LEN ? Bytes.size() : 0;
}

}  // namespace

struct ClientConnection {
  StreamSocket Socket;
  char Address[HTTP_IP_ADDR_LEN] = {};
  std::string In;
  std::string Out;
  std::size_t OutSent = 0;
  Stage Now = Stage::READING;
  bool Refused = false;        // over the cap: only a 503 goes out
  std::uint64_t Deadline = 0;  // of the head, the body, the answer or the drain
  std::uint64_t Pause = 0;     // the end of the wait for the next byte
  std::size_t HeadSize = 0;    // with its empty line; 0 while incomplete
  std::uint64_t BodyWanted = 0;
  bool BodyToEnd = false;  // no Content-Length: the body ends with the stream
  bool PeerEnded = false;
  bool Broken = false;
};

// The engine's connection while it reads a buffered request and writes its
// answer: reads give the received bytes and then the end of the stream;
// writes are queued.
class ConnectionSet::Buffered : public Driver::Generic {
 public:
  Buffered() : Generic("HTTP buffered") {}
  void Use(ClientConnection* C) {
    c_ = C;
    pos_ = 0;
  }
  bool OK() const override { return c_ != nullptr; }

 protected:
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned) override {
    if (c_ == nullptr || pos_ >= c_->In.size()) {
      Error::SetWithContext(Error::SOCK_CONNECTION_CLOSED, "HTTP request end");
      return 0;
    }
    const std::size_t n = std::min<std::size_t>(size, c_->In.size() - pos_);
    std::memcpy(buf, c_->In.data() + pos_, n);
    pos_ += n;
    Error::SetWithContext(Error::NO_CURRENT_ERROR, "ReadBuffer");
    return static_cast<unsigned>(n);
  }
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) override {
    if (c_ == nullptr || c_->Out.size() + size > MAX_QUEUED_ANSWER) {
      Error::SetWithContext(Error::IO_WRITE_ERROR, "HTTP answer too large");
      return 0;
    }
    c_->Out.append(reinterpret_cast<const char*>(buf), size);
    return size;
  }

 private:
  ClientConnection* c_ = nullptr;
  std::size_t pos_ = 0;
};

ConnectionSet::ConnectionSet(httpd* Engine, unsigned Max)
    : engine_(Engine),
      max_(std::clamp(Max, 1u, MAX_CONNECTIONS_LIMIT)),
      driver_(std::make_unique<Buffered>()) {}

ConnectionSet::~ConnectionSet() { CloseAll(); }

void ConnectionSet::CloseAll() {
  complete_.clear();
  attached_ = nullptr;
  connections_.clear();  // each socket closes with its connection
}

unsigned ConnectionSet::NextWait(unsigned Wait) const {
  const std::uint64_t now = Now();
  std::uint64_t until = now + Wait;
  if (accept_resume_ > now) until = std::min(until, accept_resume_);
  for (const auto& c : connections_) {
    if (c->Now == Stage::QUEUED) continue;
    const std::uint64_t d = Earliest(c->Deadline, c->Now == Stage::READING ? c->Pause : 0);
    if (d != 0) until = std::min(until, std::max(d, now));
  }
  return static_cast<unsigned>(until - now);
}

bool ConnectionSet::Turn(unsigned Wait) {
  waits_.assign(connections_.size() + 1, SocketWait{});
  waits_[0].Socket = &engine_->httpSock;
  waits_[0].WantRead = Now() >= accept_resume_;
  for (std::size_t k = 0; k < connections_.size(); ++k) {
    ClientConnection& c = *connections_[k];
    SocketWait& w = waits_[k + 1];
    w.Socket = &c.Socket;
    w.WantRead = (c.Now == Stage::READING || c.Now == Stage::LINGERING) && !c.PeerEnded;
    w.WantWrite = c.OutSent < c.Out.size();
  }
  const bool any =
      StreamSocket::WaitMany(waits_.data(), static_cast<unsigned>(waits_.size()), NextWait(Wait));
  if (any) {
    for (std::size_t k = 0; k < connections_.size(); ++k) {
      if (waits_[k + 1].Writeable) Send(*connections_[k]);
      if (waits_[k + 1].Readable) Receive(*connections_[k]);
    }
  }
  // Connections that ended make room before new ones are counted.
  const std::uint64_t now = Now();
  std::erase_if(connections_, [&](const std::unique_ptr<ClientConnection>& c) {
    return c->Now != Stage::QUEUED && Expired(*c, now);
  });
  if (any && waits_[0].WantRead && waits_[0].Readable) Accept();
  return any;
}

void ConnectionSet::Accept() {
  for (unsigned k = 0; k < ACCEPTS_PER_TURN; ++k) {
    auto c = std::make_unique<ClientConnection>();
    Network::INADDR address = 0;
    Network::PORT port = 0;
    if (!engine_->httpSock.Accept(address, port, 0, c->Socket)) {
      // Readable but nothing accepted: an error, not an empty queue.
      if (k == 0) accept_resume_ = Now() + ACCEPT_BACKOFF_MS;
      return;
    }
    if (address != 0) _httpd_copy(c->Address, HTTP_IP_ADDR_LEN, Network::ToString(address), 16);
    const std::uint64_t now = Now();
    c->Deadline = After(now, engine_->requestDeadline);
    c->Pause = After(now, engine_->readTimeout);
    const auto serving = static_cast<std::size_t>(std::count_if(
        connections_.begin(), connections_.end(), [](const auto& x) { return !x->Refused; }));
    if (serving >= max_) {
      Refuse(std::move(c));
      continue;
    }
    if (engine_->defaultAcl != nullptr &&
        httpdMatchAcl(engine_->defaultAcl, c->Address) == HTTP_ACL_DENY) {
      Attach(*c, true);
      httpdCheckAcl(engine_, engine_->defaultAcl);
      EndAttached(*c);
      Answer(*c);
    }
    connections_.push_back(std::move(c));
  }
}

void ConnectionSet::Refuse(std::unique_ptr<ClientConnection> C) {
  const std::size_t refusing = static_cast<std::size_t>(std::count_if(
      connections_.begin(), connections_.end(), [](const auto& x) { return x->Refused; }));
  engine_->refusals.overCapacity.fetch_add(1, std::memory_order_relaxed);
  if (refusing >= MAX_REFUSING) return;  // closed unanswered
  C->Refused = true;
  Attach(*C, true);
  _httpd_writeErrorLog(engine_, "error", "too many connections");
  httpdSendError(engine_, "503 Service Unavailable", nullptr);
  EndAttached(*C);
  Answer(*C);
  connections_.push_back(std::move(C));
}

void ConnectionSet::Receive(ClientConnection& C) {
  char chunk[RECEIVE_CHUNK];
  const unsigned got = C.Socket.ReadBuffer(reinterpret_cast<Byte*>(chunk), sizeof(chunk), 0);
  if (got == 0) {
    const unsigned error = Error::GetCurrent().Error;
    if (error == Error::IO_TIMEOUT_ERROR) return;  // nothing after all
    C.PeerEnded = true;
    C.Broken = error != Error::SOCK_CONNECTION_CLOSED;
    if (C.Now == Stage::READING && C.HeadSize > 0) {  // served as it came
      C.Now = Stage::QUEUED;
      complete_.push_back(&C);
    }
    return;
  }
  if (C.Now != Stage::READING) return;  // draining: dropped
  C.In.append(chunk, got);
  C.Pause = After(Now(), engine_->readTimeout);
  if (C.HeadSize == 0) {
    const std::size_t end = HeadEnd(C.In);
    if (end == 0) return;
    C.HeadSize = end;
    Judge(C);
    if (C.Now != Stage::READING) return;
  }
  CheckComplete(C);
}

void ConnectionSet::Judge(ClientConnection& C) {
  Attach(C, true);
  const int verdict = httpdReadHead(engine_);
  const httpReq& r = engine_->request;
  C.BodyWanted = r.hasContentLength ? r.contentLength : 0;
  C.BodyToEnd = !r.hasContentLength && r.method == HTTP_POST;
  EndAttached(C);
  if (verdict != 0) {
    Answer(C);
    return;
  }
  C.Deadline = After(Now(), engine_->requestDeadline);  // the body's own
  if (C.BodyWanted > MAX_GATHERED_BODY) {
    C.BodyWanted = 0;
    C.BodyToEnd = false;
  }
}

void ConnectionSet::CheckComplete(ClientConnection& C) {
  const std::size_t body = C.In.size() - C.HeadSize;
  const bool done = C.BodyToEnd ? body >= MAX_GATHERED_BODY : body >= C.BodyWanted;
  if (!done) return;
  C.Now = Stage::QUEUED;
  complete_.push_back(&C);
}

void ConnectionSet::Send(ClientConnection& C) {
  if (C.OutSent >= C.Out.size()) return;
  // As much as the system takes now; the rest waits for the next turn.
  const auto size = static_cast<unsigned>(C.Out.size() - C.OutSent);
  const unsigned sent =
      C.Socket.WriteBuffer(reinterpret_cast<const Byte*>(C.Out.data() + C.OutSent), size, 0);
  C.OutSent += sent;
  if (sent < size && Error::GetCurrent().Error != Error::IO_TIMEOUT_ERROR) {
    C.Broken = true;  // the client has gone
    return;
  }
  if (C.OutSent < C.Out.size() || C.Now != Stage::ANSWERING) return;
  // All sent: our side ends, and what the client still sends is drained
  // briefly so that closing does not reset the answer before it is read.
  C.Socket.ShutdownSend();
  C.Now = Stage::LINGERING;
  C.Deadline = After(Now(), engine_->lingerTimeout);
}

bool ConnectionSet::Expired(ClientConnection& C, std::uint64_t Now) {
  if (C.Broken) return true;
  if (C.Now == Stage::LINGERING) return C.PeerEnded || (C.Deadline != 0 && Now >= C.Deadline);
  if (C.Now == Stage::ANSWERING) return C.Deadline != 0 && Now >= C.Deadline;
  if (C.PeerEnded && C.HeadSize == 0) return true;  // a head cut short: no answer
  const std::uint64_t limit = Earliest(C.Deadline, C.Pause);
  if (limit == 0 || Now < limit) return false;
  if (C.HeadSize == 0) return true;  // a head that never ended: no answer
  // A body that stopped coming is served as it came.
  C.Now = Stage::QUEUED;
  complete_.push_back(&C);
  return false;
}

void ConnectionSet::Attach(ClientConnection& C, bool Judging) {
  driver_->Use(&C);
  httpdUseConnection(engine_, driver_.get(), C.Address);
  engine_->skipContinue = !Judging;
}

void ConnectionSet::EndAttached(ClientConnection&) {
  httpdEndRequest(engine_);
  driver_->Use(nullptr);
}

void ConnectionSet::Answer(ClientConnection& C) {
  C.Now = Stage::ANSWERING;
  C.Deadline = After(Now(), engine_->sendTimeout);
  if (C.Out.empty()) C.Broken = true;  // nothing to say: closed at once
  Send(C);
}

bool ConnectionSet::AttachNext() {
  if (complete_.empty()) return false;
  attached_ = complete_.front();
  complete_.pop_front();
  Attach(*attached_, false);
  attached_since_ = Now();
  return true;
}

void ConnectionSet::Detach() {
  if (attached_ == nullptr) return;
  EndAttached(*attached_);
  Answer(*attached_);
  attached_ = nullptr;
  Postpone(Now() - attached_since_);
}

// While a request was processed nobody else was read from or written to, so
// that time does not count against their deadlines: a client that sent its
// body, or was taking its answer, while a long command ran is not dropped for
// the server's delay.
void ConnectionSet::Postpone(std::uint64_t Busy) {
  if (Busy == 0) return;
  for (const auto& c : connections_) {
    if (c->Now == Stage::QUEUED) continue;
    if (c->Deadline != 0) c->Deadline += Busy;
    if (c->Pause != 0) c->Pause += Busy;
  }
}

}  // namespace VXB::HTTP
