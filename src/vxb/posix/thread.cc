// Thread over POSIX threads, and the calling thread's identifier and
// priority.
//
// Life of a thread object. The platform thread is made by Run() and passes a
// start gate before it touches the object: when the object's destruction
// has begun first, the gate is closed and the body never starts. Once the
// body has started, the destructor on another thread waits for it to end
// and joins the platform thread; nothing ends a thread by force. The
// ThreadData is shared by the object and the platform thread (a reference
// count), so the thread's last steps stay safe even when the object is
// deleted from within its own body.
#include <errno.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iterator>
#include <mutex>

#include "vxb/common/debug.h"
#include "vxb/common/error.h"
#include "vxb/common/no_destructor.h"
#include "vxb/common/thread.h"
#include "vxb/common/thread_priority.h"
#include "vxb/common/thread_state.h"

namespace VXB {
namespace {

using namespace ThreadPriority;

// The calling thread's platform level, as last set through this layer.
thread_local int current_level = LEVEL_NORMAL;
// The calling thread's kernel identifier, fetched once.
thread_local THREAD_ID current_id = 0;

// Smallest stack given to a thread that asks for one: library code keeps
// bounded buffers of a few kilobytes on the stack.
constexpr unsigned MIN_STACK_SIZE = 256 * 1024;
// After this long a destructor notes that it is still waiting for a body.
constexpr auto SLOW_END_NOTICE = std::chrono::milliseconds(2000);

Debug::Debugger& ThreadDebugger() {
  static NoDestructor<Debug::Debugger> debugger(Debug::STATE, "Thread");
  return *debugger;
}

}  // namespace

struct ThreadData {
  enum class Phase {
    IDLE,       // Run() not called yet
    RELEASED,   // the platform thread exists and has not passed the gate
    ABANDONED,  // destruction began before the body started; it never will
    STARTED,    // the body is about to run or running
    FINISHED,   // the body has returned
  };
  enum class Platform { NONE, JOINABLE, JOINING, RELEASED };

  char Name[Thread::MAX_THREAD_NAME + 1] = "";
  pthread_t hThread{};
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

  bool IsCallingThread() {
    std::lock_guard<std::mutex> guard(Lock);
    return Handle != Platform::NONE && pthread_equal(pthread_self(), hThread);
  }

  static void* Start(void* Argument);
  static void (*ResolveBody(Thread* t))(Thread*);
};

namespace {

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

void* ThreadData::Start(void* Argument) {
  ThreadData* data = static_cast<ThreadData*>(Argument);
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
    return nullptr;
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
#if defined(__linux__)
  char short_name[16];  // the kernel keeps 15 characters
  std::snprintf(short_name, sizeof(short_name), "%.15s", name);
  pthread_setname_np(pthread_self(), short_name);
#endif
  Byte stack_mark = 0;
  ThreadState::SetStackBase(&stack_mark);
  ThreadState::SetName(name);
  ThreadState::SetState(ThreadState::READY, nullptr, 0);

  if (data->Body != nullptr) {
    data->Body(parent);
  } else {
    parent->ThreadBody();
  }
  return nullptr;
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

Thread::Thread(const char* Name, unsigned Prio, unsigned StackSize) : data_(new ThreadData) {
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
        pthread_detach(data->hThread);
        data->Handle = ThreadData::Platform::RELEASED;
      }
    }
  }
  if (join) {
    pthread_join(data->hThread, nullptr);
    std::lock_guard<std::mutex> guard(data->Lock);
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
  pthread_attr_t attributes;
  int result = pthread_attr_init(&attributes);
  if (result == 0) {
    if (data_->StackSize != 0) {
      std::size_t size = std::max(data_->StackSize, MIN_STACK_SIZE);
      const long page = sysconf(_SC_PAGESIZE);
      if (page > 0) size = (size + page - 1) / page * page;
      result = pthread_attr_setstacksize(&attributes, size);
    }
    if (result == 0) {
      data_->Body = ThreadData::ResolveBody(this);
      data_->State = ThreadData::Phase::RELEASED;
      data_->References.fetch_add(1);  // held by the new thread
      result = pthread_create(&data_->hThread, &attributes, &ThreadData::Start, data_);
      if (result == 0) {
        data_->Handle = ThreadData::Platform::JOINABLE;
      } else {
        data_->State = ThreadData::Phase::IDLE;
        data_->References.fetch_sub(1);
      }
    }
    pthread_attr_destroy(&attributes);
  }
  if (result != 0) {
    return Error::SetWithContext(Error::SYSTEM_DRIVER_ERROR, "Cannot create thread %s (error %d)",
                                 data_->Name, result);
  }
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
    pthread_join(data_->hThread, nullptr);
    std::lock_guard<std::mutex> guard(data_->Lock);
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

void Thread::Exit() { pthread_exit(nullptr); }

THREAD_ID Thread::GetCurrentThreadID() {
  // A forked child's only thread must not keep the parent's identifier.
  static const int fork_handler = pthread_atfork(nullptr, nullptr, [] { current_id = 0; });
  static_cast<void>(fork_handler);
  if (current_id == 0) current_id = static_cast<THREAD_ID>(gettid());
  return current_id;
}

void Thread::ChangeCurrentThreadPriority(unsigned Priority) {
  const PriorityBand& band = BandOfPriority(Priority);
  current_level = band.Level;
  // Raising the priority needs privileges most processes lack; the level
  // is kept either way.
  const int saved_errno = errno;
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), band.Nice);
  errno = saved_errno;
}

unsigned Thread::GetCurrentThreadPriority() { return PriorityOfLevel(current_level); }

}  // namespace VXB
