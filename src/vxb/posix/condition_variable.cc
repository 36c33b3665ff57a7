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
// reports success, so no signal is ever left over.
#include <errno.h>
#include <pthread.h>

#include "vxb/common/base/types.h"
#include "vxb/common/base/waiter_queue.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/posix/timed_wait.h"

namespace VXB {
namespace {

struct WaiterNode {
  pthread_cond_t Wake;
  bool Signalled = false;
  WaiterNode* Next = nullptr;
  WaiterNode* Previous = nullptr;
};

}  // namespace

struct ConditionVariableData {
  pthread_mutex_t Guard;
  pthread_cond_t LockFree;  // the monitor lock was released
  bool Locked = false;
  WaiterQueue<WaiterNode> Waiters;  // unsignalled waiters, oldest first

  // Takes the monitor lock; Guard is held.
  void AcquireLocked() {
    while (Locked) pthread_cond_wait(&LockFree, &Guard);
    Locked = true;
  }

  // Frees the monitor lock; Guard is held.
  void ReleaseLocked() {
    Locked = false;
    pthread_cond_signal(&LockFree);
  }
};

ConditionVariable::ConditionVariable() : data_(new ConditionVariableData) {
  if (pthread_mutex_init(&data_->Guard, nullptr) != 0 ||
      pthread_cond_init(&data_->LockFree, nullptr) != 0) {
    Error::Abort("Error opening condition variable");
  }
}

ConditionVariable::~ConditionVariable() {
  pthread_cond_destroy(&data_->LockFree);
  pthread_mutex_destroy(&data_->Guard);
  delete data_;
}

void ConditionVariable::Enter() {
  pthread_mutex_lock(&data_->Guard);
  data_->AcquireLocked();
  pthread_mutex_unlock(&data_->Guard);
}

bool ConditionVariable::TryEnter() {
  pthread_mutex_lock(&data_->Guard);
  const bool acquired = !data_->Locked;
  data_->Locked = true;
  pthread_mutex_unlock(&data_->Guard);
  return acquired;
}

void ConditionVariable::Leave() {
  pthread_mutex_lock(&data_->Guard);
  data_->ReleaseLocked();
  pthread_mutex_unlock(&data_->Guard);
}

bool ConditionVariable::Wait(unsigned Timeout) {
  WaiterNode node;
  if (Posix::InitMonotonicCondition(&node.Wake) != 0) return false;  // lock still held
  const bool forever = Timeout == Constants::WAIT_FOREVER;
  const timespec deadline = Posix::MonotonicDeadline(forever ? 0 : Timeout);

  pthread_mutex_lock(&data_->Guard);
  data_->Waiters.Append(&node);
  data_->ReleaseLocked();
  while (!node.Signalled) {
    if (forever) {
      pthread_cond_wait(&node.Wake, &data_->Guard);
    } else if (pthread_cond_timedwait(&node.Wake, &data_->Guard, &deadline) == ETIMEDOUT) {
      break;
    }
  }
  // Checked under Guard: a signal that arrived together with the time-out
  // belongs to this waiter.
  const bool signalled = node.Signalled;
  if (!signalled) data_->Waiters.Unlink(&node);
  data_->AcquireLocked();
  pthread_mutex_unlock(&data_->Guard);

  pthread_cond_destroy(&node.Wake);
  return signalled;
}

void ConditionVariable::Signal() {
  pthread_mutex_lock(&data_->Guard);
  WaiterNode* node = data_->Waiters.First;
  if (node != nullptr) {
    data_->Waiters.Unlink(node);
    node->Signalled = true;
    pthread_cond_signal(&node->Wake);
  }
  pthread_mutex_unlock(&data_->Guard);
}

}  // namespace VXB
