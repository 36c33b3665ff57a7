// Semaphore as a count guarded by a critical section, with a Win32
// condition variable for the waiters. A waiter takes a unit only while
// holding the lock and only when the count is positive, so a waiter that
// times out never consumes a unit, and a signal that races a time-out is
// either taken by that waiter (which then reports success) or left in the
// count. Deadlines are measured on the tick counter, which a change of the
// wall clock does not move.
#include <windows.h>

#include <cstdio>

#include "vxb/common/base/types.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/common/runtime/thread_state.h"
#include "vxb/windows/win_wait.h"

namespace VXB {

struct SemaphoreData {
  CRITICAL_SECTION Lock;
  CONDITION_VARIABLE Available;
  unsigned Count = 0;
  char Name[Semaphore::MAX_SEM_NAME + 1];
};

Semaphore::Semaphore(const char* Name, unsigned InitialCount) : data_(new SemaphoreData) {
  std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "Unknown");
  data_->Count = InitialCount < MAX_COUNT ? InitialCount : MAX_COUNT;
  InitializeCriticalSection(&data_->Lock);
  InitializeConditionVariable(&data_->Available);
}

Semaphore::~Semaphore() {
  DeleteCriticalSection(&data_->Lock);
  delete data_;
}

bool Semaphore::Wait(unsigned Milliseconds) {
  const bool forever = Milliseconds == Constants::WAIT_FOREVER;
  // A poll never blocks, so it leaves the thread's reported state alone.
  const bool reports = Milliseconds != 0;
  if (reports) ThreadState::SetState(ThreadState::WAITING, data_->Name, forever ? 0 : Milliseconds);

  EnterCriticalSection(&data_->Lock);
  if (data_->Count == 0 && Milliseconds != 0) {
    const Windows::TickDeadline deadline(Milliseconds);
    while (data_->Count == 0) {
      const DWORD left = deadline.Left();
      if (left == 0) break;  // the count is checked once more below, still locked
      SleepConditionVariableCS(&data_->Available, &data_->Lock, left);
    }
  }
  const bool taken = data_->Count > 0;
  if (taken) --data_->Count;
  LeaveCriticalSection(&data_->Lock);

  if (reports) ThreadState::SetState(ThreadState::READY, nullptr, 0);
  return taken;
}

void Semaphore::Signal() {
  EnterCriticalSection(&data_->Lock);
  if (data_->Count < MAX_COUNT) {
    ++data_->Count;
    WakeConditionVariable(&data_->Available);
  }
  LeaveCriticalSection(&data_->Lock);
}

const char* Semaphore::GetName() const { return data_->Name; }

}  // namespace VXB
