// In-memory byte queues with time-outs and abort.
#include "vxb/common/io/memory_driver.h"

#include <algorithm>
#include <cstdint>
#include <deque>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/thread.h"

namespace VXB::Driver {

namespace {

// Waiters re-check their state at least this often, so that an abort is
// seen even when its wake-up went to another waiter.
constexpr unsigned kWaitSliceMs = 50;

class Deadline {
 public:
  explicit Deadline(unsigned Timeout)
      : forever_(Timeout == Constants::WAIT_FOREVER),
        end_(System::MonotonicMilliseconds() + Timeout) {}

  // Milliseconds to wait next; 0 once the time is up.
  unsigned NextSlice() const {
    if (forever_) return kWaitSliceMs;
    const std::uint64_t now = System::MonotonicMilliseconds();
    if (now >= end_) return 0;
    return static_cast<unsigned>(std::min<std::uint64_t>(end_ - now, kWaitSliceMs));
  }

 private:
  bool forever_;
  std::uint64_t end_;
};

}  // namespace

struct Memory::Queue {
  explicit Queue(unsigned Capacity) : capacity(Capacity == 0 ? 1 : Capacity) {}

  ConditionVariable cv;
  std::deque<Byte> bytes;
  const unsigned capacity;
};

Memory::Memory(const SimpleString& Name, unsigned Capacity)
    : Generic(Name), input_(std::make_unique<Queue>(Capacity)) {}

Memory::~Memory() { Disconnect(); }

void Memory::Connect(Memory& a, Memory& b) {
  a.Disconnect();
  b.Disconnect();
  if (&a == &b) return;
  a.peer_ = &b;
  b.peer_ = &a;
}

void Memory::Disconnect() {
  if (peer_ != nullptr) peer_->peer_ = nullptr;
  peer_ = nullptr;
}

Memory::Queue& Memory::Target() { return peer_ != nullptr ? *peer_->input_ : *input_; }

bool Memory::TakeAbort() { return abort_.exchange(false); }

bool Memory::Abort() {
  abort_.store(true);
  for (Queue* q : {input_.get(), &Target()}) {
    q->cv.Enter();
    q->cv.Signal();
    q->cv.Leave();
  }
  return true;
}

void Memory::Clear() {
  input_->cv.Enter();
  input_->bytes.clear();
  input_->cv.Signal();
  input_->cv.Leave();
}

// Moves bytes with Step (called under the queue's lock; returns how many it
// moved) until size bytes have moved (a read: any), the time is up or an
// abort arrives.
template <typename StepFn>
unsigned Memory::Transfer(Queue& q, unsigned size, unsigned Timeout, bool Reading, StepFn Step) {
  const Deadline deadline(Timeout);
  unsigned done = 0;
  Locker<ConditionVariable> lock(q.cv);
  for (;;) {
    const unsigned now = Step(done);
    if (now > 0) {
      done += now;
      q.cv.Signal();
    }
    // A read returns as soon as it has something, as a port does; a write
    // waits until all is stored.
    if (done == size || (Reading && done > 0)) return done;
    if (TakeAbort()) {
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "%s: %u/%u bytes", ToString(), done,
                            size);
      return done;
    }
    const unsigned wait = deadline.NextSlice();
    if (wait == 0) {
      Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "%s: %u/%u bytes", ToString(), done, size);
      return done;
    }
    q.cv.Wait(wait);
  }
}

unsigned Memory::WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) {
  Queue& q = Target();
  return Transfer(q, size, Timeout, false, [&](unsigned done) {
    const unsigned room = q.capacity - static_cast<unsigned>(q.bytes.size());
    const unsigned now = std::min(room, size - done);
    q.bytes.insert(q.bytes.end(), buf + done, buf + done + now);
    return now;
  });
}

unsigned Memory::ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) {
  Queue& q = *input_;
  return Transfer(q, size, Timeout, true, [&](unsigned done) {
    const unsigned now = std::min(size - done, static_cast<unsigned>(q.bytes.size()));
    std::copy_n(q.bytes.begin(), now, buf + done);
    q.bytes.erase(q.bytes.begin(), q.bytes.begin() + now);
    return now;
  });
}

unsigned Memory::PeekImplementation() {
  input_->cv.Enter();
  const unsigned n = static_cast<unsigned>(input_->bytes.size());
  input_->cv.Leave();
  return n;
}

}  // namespace VXB::Driver
