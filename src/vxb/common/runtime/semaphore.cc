// Semaphore as a count guarded by a mutex, with a condition variable for
// the waiters. A waiter takes a unit only while holding the mutex and only
// when the count is positive, so a waiter that times out never consumes a
// unit, and a signal that races a time-out is either taken by that waiter
// (which then reports success) or left in the count. Deadlines are measured
// on the steady clock, which a change of the wall clock does not move.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "vxb/common/base/types.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/common/runtime/thread_state.h"

namespace VXB {

struct SemaphoreData {
  std::mutex Lock;
  std::condition_variable Available;
  unsigned Count = 0;
  char Name[Semaphore::MAX_SEM_NAME + 1];
};

Semaphore::Semaphore(const char* Name, unsigned InitialCount) : data_(new SemaphoreData) {
  std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "Unknown");
  data_->Count = InitialCount < MAX_COUNT ? InitialCount : MAX_COUNT;
}

Semaphore::~Semaphore() { delete data_; }

bool Semaphore::Wait(unsigned Milliseconds) {
  const bool forever = Milliseconds == Constants::WAIT_FOREVER;
  // A poll never blocks, so it leaves the thread's reported state alone.
  const bool reports = Milliseconds != 0;
  if (reports) ThreadState::SetState(ThreadState::WAITING, data_->Name, forever ? 0 : Milliseconds);

  bool taken;
  {
    std::unique_lock<std::mutex> lock(data_->Lock);
    const auto available = [this] { return data_->Count > 0; };
    if (forever) {
      data_->Available.wait(lock, available);
    } else if (Milliseconds != 0) {
      // Spurious wake-ups wait on; the count is checked once more at the
      // deadline, still under the lock.
      data_->Available.wait_until(
          lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds),
          available);
    }
    taken = data_->Count > 0;
    if (taken) --data_->Count;
  }

  if (reports) ThreadState::SetState(ThreadState::READY, nullptr, 0);
  return taken;
}

void Semaphore::Signal() {
  std::lock_guard<std::mutex> lock(data_->Lock);
  if (data_->Count < MAX_COUNT) {
    ++data_->Count;
    data_->Available.notify_one();
  }
}

const char* Semaphore::GetName() const { return data_->Name; }

}  // namespace VXB
