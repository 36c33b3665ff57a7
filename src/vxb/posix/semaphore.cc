// Semaphore as a count guarded by a mutex, with a condition variable on the
// monotonic clock for the waiters. A waiter takes a unit only while holding
// the mutex and only when the count is positive, so a waiter that times out
// never consumes a unit, and a signal that races a time-out is either taken
// by that waiter (which then reports success) or left in the count.
#include <errno.h>
#include <pthread.h>

#include <cstdio>

#include "vxb/common/base/types.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/common/runtime/thread_state.h"
#include "vxb/posix/timed_wait.h"

namespace VXB {

struct SemaphoreData {
  pthread_mutex_t Lock;
  pthread_cond_t Available;
  unsigned Count = 0;
  char Name[Semaphore::MAX_SEM_NAME + 1];
};

Semaphore::Semaphore(const char* Name, unsigned InitialCount) : data_(new SemaphoreData) {
  std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "Unknown");
  data_->Count = InitialCount < MAX_COUNT ? InitialCount : MAX_COUNT;
  if (pthread_mutex_init(&data_->Lock, nullptr) != 0) {
    Error::Abort("Error opening semaphore %s", data_->Name);
  }
  if (Posix::InitMonotonicCondition(&data_->Available) != 0) {
    Error::Abort("Error opening semaphore %s", data_->Name);
  }
}

Semaphore::~Semaphore() {
  pthread_cond_destroy(&data_->Available);
  pthread_mutex_destroy(&data_->Lock);
  delete data_;
}

bool Semaphore::Wait(unsigned Milliseconds) {
  const bool forever = Milliseconds == Constants::WAIT_FOREVER;
  // A poll never blocks, so it leaves the thread's reported state alone.
  const bool reports = Milliseconds != 0;
  if (reports) ThreadState::SetState(ThreadState::WAITING, data_->Name, forever ? 0 : Milliseconds);

  pthread_mutex_lock(&data_->Lock);
  if (data_->Count == 0 && Milliseconds != 0) {
    const timespec deadline = Posix::MonotonicDeadline(forever ? 0 : Milliseconds);
    while (data_->Count == 0) {
      if (forever) {
        pthread_cond_wait(&data_->Available, &data_->Lock);
      } else if (pthread_cond_timedwait(&data_->Available, &data_->Lock, &deadline) == ETIMEDOUT) {
        break;  // the count is checked once more below, still under the lock
      }
    }
  }
  const bool taken = data_->Count > 0;
  if (taken) --data_->Count;
  pthread_mutex_unlock(&data_->Lock);

  if (reports) ThreadState::SetState(ThreadState::READY, nullptr, 0);
  return taken;
}

void Semaphore::Signal() {
  pthread_mutex_lock(&data_->Lock);
  if (data_->Count < MAX_COUNT) {
    ++data_->Count;
    pthread_cond_signal(&data_->Available);
  }
  pthread_mutex_unlock(&data_->Lock);
}

const char* Semaphore::GetName() const { return data_->Name; }

}  // namespace VXB
