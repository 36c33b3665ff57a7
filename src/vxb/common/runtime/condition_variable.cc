// ConditionVariable: a monitor lock and a queue of waiters, both guarded by
// one internal mutex.
//
// The monitor lock is a flag, so any thread may release it (it is not bound
// to an owner). Each Wait() puts a node of its own in a FIFO queue and
// releases the monitor lock under the internal mutex, so a Signal() given
// after the release finds the waiter. Signal() hands itself to the oldest
// queued waiter by marking its node: exactly one current waiter is woken, a
// waiter arriving later cannot take it, and with nobody queued the signal is
// dropped. A waiter whose time-out races a signal finds its node marked and
// reports success, so no signal is ever left over. A wake-up without a mark
// (a spurious one) waits on. Deadlines are measured on the steady clock.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "vxb/common/base/types.h"
#include "vxb/common/base/waiter_queue.h"
#include "vxb/common/runtime/thread.h"

namespace VXB {
namespace {

struct WaiterNode {
  std::condition_variable Wake;
  bool Signalled = false;
  WaiterNode* Next = nullptr;
  WaiterNode* Previous = nullptr;
};

}  // namespace

struct ConditionVariableData {
  std::mutex Guard;
  std::condition_variable LockFree;  // the monitor lock was released
  bool Locked = false;
  WaiterQueue<WaiterNode> Waiters;  // unsignalled waiters, oldest first

  // Takes the monitor lock; Guard is held through guard.
  void AcquireLocked(std::unique_lock<std::mutex>& guard) {
    LockFree.wait(guard, [this] { return !Locked; });
    Locked = true;
  }

  // Frees the monitor lock; Guard is held.
  void ReleaseLocked() {
    Locked = false;
    LockFree.notify_one();
  }
};

ConditionVariable::ConditionVariable() : data_(new ConditionVariableData) {}

ConditionVariable::~ConditionVariable() { delete data_; }

void ConditionVariable::Enter() {
  std::unique_lock<std::mutex> guard(data_->Guard);
  data_->AcquireLocked(guard);
}

bool ConditionVariable::TryEnter() {
  std::lock_guard<std::mutex> guard(data_->Guard);
  const bool acquired = !data_->Locked;
  data_->Locked = true;
  return acquired;
}

void ConditionVariable::Leave() {
  std::lock_guard<std::mutex> guard(data_->Guard);
  data_->ReleaseLocked();
}

bool ConditionVariable::Wait(unsigned Timeout) {
  WaiterNode node;
  const auto signalled = [&node] { return node.Signalled; };

  std::unique_lock<std::mutex> guard(data_->Guard);
  data_->Waiters.Append(&node);
  data_->ReleaseLocked();
  if (Timeout == Constants::WAIT_FOREVER) {
    node.Wake.wait(guard, signalled);
  } else {
    node.Wake.wait_until(
        guard, std::chrono::steady_clock::now() + std::chrono::milliseconds(Timeout), signalled);
  }
  // Checked under Guard: a signal that arrived together with the time-out
  // belongs to this waiter.
  if (!node.Signalled) data_->Waiters.Unlink(&node);
  data_->AcquireLocked(guard);
  return node.Signalled;
}

void ConditionVariable::Signal() {
  std::lock_guard<std::mutex> guard(data_->Guard);
  WaiterNode* node = data_->Waiters.First;
  if (node != nullptr) {
    data_->Waiters.Unlink(node);
    node->Signalled = true;
    node->Wake.notify_one();
  }
}

}  // namespace VXB
