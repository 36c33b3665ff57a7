// The life of a Thread object that both platform layers share: the start
// gate, the wait for a running body, joining and the end of a run. The
// platform thread itself is made, joined and let go through the
// primitives in thread_internal.h.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "vxb/common/base/no_destructor.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/common/runtime/thread_internal.h"
#include "vxb/common/runtime/thread_state.h"

namespace VXB {
namespace {

// Smallest stack given to a thread that asks for one: library code keeps
// bounded buffers of a few kilobytes on the stack.
constexpr unsigned MIN_STACK_SIZE = 256 * 1024;
// After this long a destructor notes that it is still waiting for a body.
constexpr auto SLOW_END_NOTICE = std::chrono::milliseconds(2000);

Debug::Debugger& ThreadDebugger() {
  static NoDestructor<Debug::Debugger> debugger(Debug::STATE, "Thread");
  return *debugger;
}

// The end of a body's run, also when the body leaves through Thread::Exit().
class BodyEnd {
 public:
  explicit BodyEnd(ThreadData* data) : data_(data) {}
  BodyEnd(const BodyEnd&) = delete;
  BodyEnd& operator=(const BodyEnd&) = delete;
  ~BodyEnd() {
    data_->Running.store(false);
    ThreadState::Remove();
    Thread* to_delete = nullptr;
    {
      std::lock_guard<std::mutex> guard(data_->Lock);
      data_->State = ThreadData::Phase::FINISHED;
      if (data_->DeleteWhenDone) to_delete = data_->Parent;
      data_->PhaseChanged.notify_all();
    }
    // The destructor sees that it runs on this thread and does not wait.
    delete to_delete;
    data_->Release();
  }

 private:
  ThreadData* data_;
};

}  // namespace

bool ThreadData::IsCallingThread() {
  std::lock_guard<std::mutex> guard(Lock);
  return Handle != Platform::NONE && ThreadPlatform::IsCurrent(this);
}

void ThreadData::Main(ThreadData* data) {
  Thread* parent = nullptr;
  {
    std::lock_guard<std::mutex> guard(data->Lock);
    if (data->State == Phase::RELEASED) {
      data->State = Phase::STARTED;
      parent = data->Parent;
    }
  }
  if (parent == nullptr) {
    data->Release();  // abandoned: the object is gone or going
    return;
  }
  BodyEnd end(data);
  data->Running.store(true);
  data->ThreadID.store(Thread::GetCurrentThreadID());
  Thread::ChangeCurrentThreadPriority(data->Priority);

  char name[Thread::MAX_THREAD_NAME + 1];
  {
    std::lock_guard<std::mutex> guard(data->Lock);
    std::snprintf(name, sizeof(name), "%s", data->Name);
  }
  ThreadPlatform::SetCurrentName(name);
  Byte stack_mark = 0;
  ThreadState::SetStackBase(&stack_mark);
  ThreadState::SetName(name);
  ThreadState::SetState(ThreadState::READY, nullptr, 0);

  ThreadPlatform::RunBody(data, parent);
}

void ThreadData::CallBody(ThreadData* data, Thread* parent) {
  if (data->Body != nullptr) {
    data->Body(parent);
  } else {
    parent->ThreadBody();
  }
}

// Finding the body's function on the owner's thread, while the object is
// complete, keeps the new thread from reading the object's dispatch table:
// a destruction that begins right after Run() rewrites that table before
// the base destructor can close the start gate, and a late call through it
// would reach no body at all. GCC can extract the final overrider from a
// bound member function pointer; elsewhere the call is dispatched on the
// new thread and relies on derived classes joining in their destructors.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wpmf-conversions"
void (*ThreadData::ResolveBody(Thread* t))(Thread*) {
  return reinterpret_cast<void (*)(Thread*)>(t->*(&Thread::ThreadBody));
}
#pragma GCC diagnostic pop
#else
void (*ThreadData::ResolveBody(Thread*))(Thread*) { return nullptr; }
#endif

Thread::Thread(const char* Name, unsigned Prio, unsigned StackSize)
    : data_(ThreadPlatform::NewData()) {
  std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "");
  data_->Priority = Prio;
  data_->StackSize = StackSize;
  data_->Parent = this;
}

Thread::~Thread() {
  ThreadData* data = data_;
  const bool on_own_thread = data->IsCallingThread();
  bool join = false;
  {
    std::unique_lock<std::mutex> guard(data->Lock);
    if (data->State == ThreadData::Phase::RELEASED) data->State = ThreadData::Phase::ABANDONED;
    if (data->State == ThreadData::Phase::STARTED && !on_own_thread) {
      char name[MAX_THREAD_NAME + 1];
      std::snprintf(name, sizeof(name), "%s", data->Name);
      guard.unlock();
      ThreadState::SetState(ThreadState::WAITING, name, 0);
      guard.lock();
      bool noted = false;
      while (data->State != ThreadData::Phase::FINISHED) {
        if (!data->PhaseChanged.wait_for(
                guard, SLOW_END_NOTICE,
                [data] { return data->State == ThreadData::Phase::FINISHED; }) &&
            !noted) {
          noted = true;
          guard.unlock();
          ThreadDebugger().Print("Thread %s still running after %u ms; waiting for it to end", name,
                                 static_cast<unsigned>(SLOW_END_NOTICE.count()));
          guard.lock();
        }
      }
      guard.unlock();
      ThreadState::SetState(ThreadState::READY, nullptr, 0);
      guard.lock();
    }
    data->Parent = nullptr;
    data->DeleteWhenDone = false;
    if (data->Handle == ThreadData::Platform::JOINABLE) {
      // A thread that finished, or that will leave at the closed gate, is
      // joined; a thread still running (this one) is left to end alone.
      join = !on_own_thread && data->State != ThreadData::Phase::ABANDONED;
      if (join) {
        data->Handle = ThreadData::Platform::JOINING;
      } else {
        ThreadPlatform::Detach(data);
        data->Handle = ThreadData::Platform::RELEASED;
      }
    }
  }
  if (join) {
    ThreadPlatform::Wait(data);
    std::lock_guard<std::mutex> guard(data->Lock);
    ThreadPlatform::Close(data);
    data->Handle = ThreadData::Platform::RELEASED;
  }
  data_ = nullptr;
  data->Release();
}

bool Thread::Run() {
  std::unique_lock<std::mutex> guard(data_->Lock);
  if (data_->State != ThreadData::Phase::IDLE) {
    return Error::SetWithContext(Error::SYSTEM_DRIVER_ERROR, "Thread %s already started",
                                 data_->Name);
  }
  const unsigned stack = data_->StackSize != 0 ? std::max(data_->StackSize, MIN_STACK_SIZE) : 0;
  data_->Body = ThreadData::ResolveBody(this);
  data_->State = ThreadData::Phase::RELEASED;
  data_->References.fetch_add(1);  // held by the new thread
  const int result = ThreadPlatform::Start(data_, stack);
  if (result != 0) {
    data_->State = ThreadData::Phase::IDLE;
    data_->References.fetch_sub(1);
    return Error::SetWithContext(Error::SYSTEM_DRIVER_ERROR, "Cannot create thread %s (error %d)",
                                 data_->Name, result);
  }
  data_->Handle = ThreadData::Platform::JOINABLE;
  return true;
}

bool Thread::IsRunning() const { return data_->Running.load(); }

void Thread::Join() {
  if (data_->IsCallingThread()) return;
  bool join = false;
  {
    std::unique_lock<std::mutex> guard(data_->Lock);
    if (data_->State == ThreadData::Phase::IDLE || data_->State == ThreadData::Phase::ABANDONED) {
      return;
    }
    data_->PhaseChanged.wait(guard, [this] { return data_->State == ThreadData::Phase::FINISHED; });
    if (data_->Handle == ThreadData::Platform::JOINABLE) {
      data_->Handle = ThreadData::Platform::JOINING;
      join = true;
    }
  }
  if (join) {
    // Also waits for the thread's own clean-up (its thread-local values).
    ThreadPlatform::Wait(data_);
    std::lock_guard<std::mutex> guard(data_->Lock);
    ThreadPlatform::Close(data_);
    data_->Handle = ThreadData::Platform::RELEASED;
  }
}

void Thread::Cancel() { data_->CancelFlag.store(true); }

bool Thread::CancelRequested() const { return data_->CancelFlag.load(); }

void Thread::DeleteWhenDone() {
  bool finished = false;
  {
    std::lock_guard<std::mutex> guard(data_->Lock);
    finished = data_->State == ThreadData::Phase::FINISHED;
    if (!finished) data_->DeleteWhenDone = true;
  }
  // The body has already returned: nobody else will delete the object.
  if (finished) delete this;
}

void Thread::SetThreadName(const char* Name) {
  {
    std::lock_guard<std::mutex> guard(data_->Lock);
    std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "");
  }
  // Rows are written only by their own thread; from elsewhere the new name
  // reaches the row when the thread starts.
  if (data_->IsCallingThread()) ThreadState::SetName(Name);
}

const char* Thread::GetThreadName() const { return data_->Name; }

THREAD_ID Thread::GetThreadID() const { return data_->ThreadID.load(); }

}  // namespace VXB
