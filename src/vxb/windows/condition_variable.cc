// ConditionVariable: a monitor lock and a queue of waiters, both guarded by
// one internal critical section; the waits are Win32 condition variables.
//
// The monitor lock is a flag, so any thread may release it (it is not bound
// to an owner). Each Wait() puts a node of its own in a FIFO queue and
// releases the monitor lock under the internal mutex, so a Signal() given
// after the release finds the waiter. Signal() hands itself to the oldest
// queued waiter by marking its node: exactly one current waiter is woken, a
// waiter arriving later cannot take it, and with nobody queued the signal is
// dropped. A waiter whose time-out races a signal finds its node marked and
// reports success, so no signal is ever left over.
#include <windows.h>

#include "vxb/common/base/types.h"
#include "vxb/common/base/waiter_queue.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/windows/win_wait.h"

namespace VXB {
namespace {

struct WaiterNode {
  CONDITION_VARIABLE Wake = CONDITION_VARIABLE_INIT;
  bool Signalled = false;
  WaiterNode* Next = nullptr;
  WaiterNode* Previous = nullptr;
};

}  // namespace

struct ConditionVariableData {
  CRITICAL_SECTION Guard;
  CONDITION_VARIABLE LockFree = CONDITION_VARIABLE_INIT;  // the monitor lock was released
  bool Locked = false;
  WaiterQueue<WaiterNode> Waiters;  // unsignalled waiters, oldest first

  // Takes the monitor lock; Guard is held.
  void AcquireLocked() {
    while (Locked) SleepConditionVariableCS(&LockFree, &Guard, INFINITE);
    Locked = true;
  }

  // Frees the monitor lock; Guard is held.
  void ReleaseLocked() {
    Locked = false;
    WakeConditionVariable(&LockFree);
  }
};

ConditionVariable::ConditionVariable() : data_(new ConditionVariableData) {
  InitializeCriticalSection(&data_->Guard);
}

ConditionVariable::~ConditionVariable() {
  DeleteCriticalSection(&data_->Guard);
  delete data_;
}

void ConditionVariable::Enter() {
  EnterCriticalSection(&data_->Guard);
  data_->AcquireLocked();
  LeaveCriticalSection(&data_->Guard);
}

bool ConditionVariable::TryEnter() {
  EnterCriticalSection(&data_->Guard);
  const bool acquired = !data_->Locked;
  data_->Locked = true;
  LeaveCriticalSection(&data_->Guard);
  return acquired;
}

void ConditionVariable::Leave() {
  EnterCriticalSection(&data_->Guard);
  data_->ReleaseLocked();
  LeaveCriticalSection(&data_->Guard);
}

bool ConditionVariable::Wait(unsigned Timeout) {
  WaiterNode node;
  const Windows::TickDeadline deadline(Timeout);

  EnterCriticalSection(&data_->Guard);
  data_->Waiters.Append(&node);
  data_->ReleaseLocked();
  while (!node.Signalled) {
    const DWORD left = deadline.Left();
    if (left == 0) break;
    SleepConditionVariableCS(&node.Wake, &data_->Guard, left);
  }
  // Checked under Guard: a signal that arrived together with the time-out
  // belongs to this waiter.
  const bool signalled = node.Signalled;
  if (!signalled) data_->Waiters.Unlink(&node);
  data_->AcquireLocked();
  LeaveCriticalSection(&data_->Guard);
  return signalled;
}

void ConditionVariable::Signal() {
  EnterCriticalSection(&data_->Guard);
  WaiterNode* node = data_->Waiters.First;
  if (node != nullptr) {
    data_->Waiters.Unlink(node);
    node->Signalled = true;
    WakeConditionVariable(&node->Wake);
  }
  LeaveCriticalSection(&data_->Guard);
}

}  // namespace VXB
