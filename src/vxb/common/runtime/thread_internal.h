// The record a Thread shares with its platform thread, and the few platform
// primitives the portable life of a thread (common/thread_common.cc) is
// built on. Only the platform layers' thread.cc and thread_common.cc
// include this header.
//
// Life of a thread object. The platform thread is made by Run() and passes a
// start gate before it touches the object: when the object's destruction
// has begun first, the gate is closed and the body never starts. Once the
// body has started, the destructor on another thread waits for it to end
// and joins the platform thread; nothing ends a thread by force. The
// ThreadData is shared by the object and the platform thread (a reference
// count), so the thread's last steps stay safe even when the object is
// deleted from within its own body.
#ifndef VXB_COMMON_THREAD_INTERNAL_H_
#define VXB_COMMON_THREAD_INTERNAL_H_

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "vxb/common/runtime/thread.h"

namespace VXB {

// Each platform layer derives its own record from this one, adding the
// handle of the platform thread.
struct ThreadData {
  enum class Phase {
    IDLE,       // Run() not called yet
    RELEASED,   // the platform thread exists and has not passed the gate
    ABANDONED,  // destruction began before the body started; it never will
    STARTED,    // the body is about to run or running
    FINISHED,   // the body has returned
  };
  enum class Platform { NONE, JOINABLE, JOINING, RELEASED };

  ThreadData() = default;
  ThreadData(const ThreadData&) = delete;
  ThreadData& operator=(const ThreadData&) = delete;
  virtual ~ThreadData() = default;

  char Name[Thread::MAX_THREAD_NAME + 1] = "";
  unsigned Priority = Thread::NORMAL_PRIORITY;
  unsigned StackSize = 0;
  std::atomic<bool> Running{false};
  std::atomic<bool> CancelFlag{false};
  std::atomic<THREAD_ID> ThreadID{0};

  // Guarded by Lock.
  std::mutex Lock;
  std::condition_variable PhaseChanged;
  Phase State = Phase::IDLE;
  Platform Handle = Platform::NONE;
  bool DeleteWhenDone = false;
  Thread* Parent = nullptr;
  // The body to call, resolved by Run() where the platform allows it.
  void (*Body)(Thread*) = nullptr;

  // One reference for the object, one for a platform thread that exists.
  std::atomic<int> References{1};

  void Release() {
    if (References.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

  bool IsCallingThread();

  // What the platform thread runs: the start gate, the thread's row, the
  // body (through RunThreadBody) and the end of the run.
  static void Main(ThreadData* data);
  // Calls the body resolved by Run(), or dispatches ThreadBody().
  static void CallBody(ThreadData* data, Thread* parent);
  static void (*ResolveBody(Thread* t))(Thread*);
};

// Primitives each platform layer provides.
namespace ThreadPlatform {

// A new record of the platform's own kind.
ThreadData* NewData();
// Makes the platform thread that runs ThreadData::Main(data), with a stack
// of StackSize bytes (0: the platform's default; otherwise already at least
// the library's minimum). Called with data->Lock held; on success the
// handle is recorded before the new thread can look at it. Returns 0 or the
// platform's error number.
int Start(ThreadData* data, unsigned StackSize);
// True when the calling thread is data's platform thread (handle recorded).
bool IsCurrent(ThreadData* data);
// Waits until data's platform thread has ended; called without the lock.
void Wait(ThreadData* data);
// Lets go of the handle of a thread that Wait() saw end.
void Close(ThreadData* data);
// Lets data's platform thread end alone; its handle is not used again.
void Detach(ThreadData* data);
// Gives the calling thread its name where the system keeps one.
void SetCurrentName(const char* Name);
// Runs the body on the platform thread: ThreadData::CallBody(), wrapped in
// what the platform needs so that Thread::Exit() still ends the run
// through the normal end of Main().
void RunBody(ThreadData* data, Thread* parent);

}  // namespace ThreadPlatform
}  // namespace VXB

#endif  // VXB_COMMON_THREAD_INTERNAL_H_
