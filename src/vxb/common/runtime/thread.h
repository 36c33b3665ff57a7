// Threads and synchronization primitives of the base library.
//
// Everything above the platform layer uses these classes instead of the
// platform's own calls. The header names no platform type: each class keeps
// its state behind an opaque pointer. The locks, the semaphore and the
// condition variable are built once on the standard library
// (common/runtime/mutex.cc, semaphore.cc, condition_variable.cc); thread
// creation with names and priorities and the thread-local slots are the
// platform's, in src/vxb/<platform>/.
//
// Thread safety: Mutex, RawMutex, Semaphore, ConditionVariable and
// ThreadLocalPointer may be used from any number of threads at once. A Thread
// object is controlled (Run, Join, destruction) by one owning thread.
#ifndef VXB_COMMON_THREAD_H_
#define VXB_COMMON_THREAD_H_

#include <atomic>
#include <cstdint>
#include <mutex>

#include "vxb/common/base/types.h"

namespace VXB {

using THREAD_ID = std::uint32_t;
using PRIORITY = unsigned;

struct ThreadData;

// An active object: derive, implement ThreadBody(), construct, then Run().
//
// The body starts only after Run(). The object must outlive its body: a
// derived class whose body uses its own members must call Join() in its
// destructor (after telling the body to stop), so that the body has ended
// before those members are destroyed. The base destructor joins as well, and
// a body that has not started when destruction begins never starts.
// Nothing ever kills a thread by force: Cancel() only raises a flag that a
// body polls through CancelRequested().
class Thread {
 public:
  // The library's priority scale: 0 is the most urgent, 31 the least.
  enum SomePriorities : unsigned {
    HIGHEST_PRIORITY = 0,
    HIGHER_PRIORITY = 3,
    HIGH_PRIORITY = 5,
    NORMAL_PRIORITY = 10,
    LOW_PRIORITY = 20,
    LOWER_PRIORITY = 25,
    LOWEST_PRIORITY = 31,
  };
  static constexpr unsigned MAX_THREAD_NAME = 30;

  // Records name (cut to 30 characters), priority and stack size (0: the
  // platform's default). The thread does not start until Run().
  Thread(const char* Name, unsigned Prio = NORMAL_PRIORITY, unsigned StackSize = 0);
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  virtual ~Thread();

  // Starts the thread. Returns false (and records SYSTEM_DRIVER_ERROR) when
  // the platform cannot create it, or when it was already started.
  bool Run();
  // True from the start of the body until the body returns.
  bool IsRunning() const;
  // Waits until the body has returned; returns at once when the thread was
  // never started or is the calling thread itself.
  void Join();
  // Asks the body to end; the body polls CancelRequested(). Never forced.
  void Cancel();
  bool CancelRequested() const;
  // The object deletes itself on its own thread when the body returns.
  void DeleteWhenDone();

  void SetThreadName(const char* Name);
  const char* GetThreadName() const;
  // The identifier recorded by the thread itself; 0 before it has started.
  THREAD_ID GetThreadID() const;

  // Ends the calling thread.
  [[noreturn]] static void Exit();
  static THREAD_ID GetCurrentThreadID();
  // Sets and reads the calling thread's priority on the library scale. The
  // platform level is chosen from the scale's bands; reading back gives the
  // band's representative value (20 reads back as 25).
  static void ChangeCurrentThreadPriority(unsigned Priority);
  static unsigned GetCurrentThreadPriority();

 protected:
  virtual void ThreadBody() = 0;

 private:
  friend struct ThreadData;
  ThreadData* data_;
};

// A recursive lock with an optional name (a label only). The owning thread
// may enter again and must leave as often as it entered.
class Mutex {
 public:
  explicit Mutex(const char* Name = nullptr);
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  ~Mutex();

  void Enter();
  bool TryEnter();
  void Leave();
  const char* GetName() const;

 private:
  struct MutexData* data_;
};

// The same lock without a name; used where a Mutex would recurse into the
// thread-state table.
class RawMutex {
 public:
  RawMutex();
  RawMutex(const RawMutex&) = delete;
  RawMutex& operator=(const RawMutex&) = delete;
  ~RawMutex();

  void Enter();
  void Leave();

 private:
  struct RawMutexData* data_;
};

// Scoped holder for Mutex and RawMutex.
template <typename Lockable>
class Locker {
 public:
  explicit Locker(Lockable& lock) : lock_(lock) { lock_.Enter(); }
  Locker(const Locker&) = delete;
  Locker& operator=(const Locker&) = delete;
  ~Locker() { lock_.Leave(); }

 private:
  Lockable& lock_;
};

// A counting semaphore; the count never exceeds MAX_COUNT (further signals
// are ignored). A waiter that times out never consumes a unit.
class Semaphore {
 public:
  static constexpr unsigned MAX_SEM_NAME = 30;
  static constexpr unsigned MAX_COUNT = 10000;

  // A null name reads "Unknown". The initial count is cut to MAX_COUNT.
  Semaphore(const char* Name, unsigned InitialCount);
  Semaphore(const Semaphore&) = delete;
  Semaphore& operator=(const Semaphore&) = delete;
  ~Semaphore();

  // Takes one unit; false when none came within Milliseconds (WAIT_FOREVER
  // waits without limit, 0 does not wait). Reports WAITING with the
  // semaphore's name in the thread-state table while blocked.
  bool Wait(unsigned Milliseconds);
  void Signal();
  const char* GetName() const;

 private:
  struct SemaphoreData* data_;
};

// A monitor: a non-recursive lock that is not bound to an owner, plus a
// condition. Wait() must be called with the lock held and always returns
// with it held. Signal() wakes one current waiter; with no waiter the signal
// is lost, never remembered for a later Wait().
class ConditionVariable {
 public:
  ConditionVariable();
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;
  virtual ~ConditionVariable();

  void Enter();
  bool TryEnter();
  void Leave();
  // True when signalled (always with WAIT_FOREVER); false on time-out.
  bool Wait(unsigned Timeout);
  void Signal();

 private:
  struct ConditionVariableData* data_;
};

// One thread-local slot. Every thread sees its own value, initially null.
// The clean-up function, when given, runs for a thread's non-null value when
// that thread ends.
class ThreadLocalStorage {
 public:
  using Destructor = void (*)(void*);

  explicit ThreadLocalStorage(Destructor pDestructor = nullptr);
  ThreadLocalStorage(const ThreadLocalStorage&) = delete;
  ThreadLocalStorage& operator=(const ThreadLocalStorage&) = delete;
  ~ThreadLocalStorage();

  void SetPointer(void* p);
  void* GetPointer() const;

 private:
  struct ThreadLocalStorageData* data_;
};

// A typed slot that hands each thread its own T, created with T's default
// constructor on that thread's first request and deleted when the thread
// ends. The slot itself is made on first use, safely from any thread.
// Define instances with static storage duration; they are meant to live for
// the whole process.
template <typename T>
class ThreadLocalPointer {
 public:
  ThreadLocalPointer() = default;
  ThreadLocalPointer(const ThreadLocalPointer&) = delete;
  ThreadLocalPointer& operator=(const ThreadLocalPointer&) = delete;
  virtual ~ThreadLocalPointer() { delete storage_.load(); }

  // The calling thread's object; never null.
  T* GetPointer() {
    std::call_once(once_, [this] { storage_.store(new ThreadLocalStorage(&DestroyValue)); });
    ThreadLocalStorage* storage = storage_.load();
    T* value = static_cast<T*>(storage->GetPointer());
    if (value == nullptr) {
      value = new T();
      storage->SetPointer(value);
    }
    return value;
  }

  static void Destroy(T* value) { delete value; }

 private:
  static void DestroyValue(void* value) { Destroy(static_cast<T*>(value)); }

  std::once_flag once_;
  std::atomic<ThreadLocalStorage*> storage_{nullptr};
};

}  // namespace VXB

#endif  // VXB_COMMON_THREAD_H_
