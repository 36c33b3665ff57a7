// The POSIX threads under Thread (its life is in common/thread_common.cc),
// and the calling thread's identifier and priority.
#include <errno.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

#include "vxb/common/runtime/thread.h"
#include "vxb/common/runtime/thread_internal.h"
#include "vxb/common/runtime/thread_priority.h"

namespace VXB {
namespace {

using namespace ThreadPriority;

// The calling thread's platform level, as last set through this layer.
thread_local int current_level = LEVEL_NORMAL;
// The calling thread's kernel identifier, fetched once.
thread_local THREAD_ID current_id = 0;

struct PosixThreadData final : ThreadData {
  pthread_t hThread{};
};

PosixThreadData* Of(ThreadData* data) { return static_cast<PosixThreadData*>(data); }

void* StartRoutine(void* Argument) {
  ThreadData::Main(static_cast<ThreadData*>(Argument));
  return nullptr;
}

}  // namespace

namespace ThreadPlatform {

ThreadData* NewData() { return new PosixThreadData; }

int Start(ThreadData* data, unsigned StackSize) {
  pthread_attr_t attributes;
  int result = pthread_attr_init(&attributes);
  if (result != 0) return result;
  if (StackSize != 0) {
    std::size_t size = StackSize;
    const long page = sysconf(_SC_PAGESIZE);
    if (page > 0) size = (size + page - 1) / page * page;
    result = pthread_attr_setstacksize(&attributes, size);
  }
  if (result == 0) result = pthread_create(&Of(data)->hThread, &attributes, &StartRoutine, data);
  pthread_attr_destroy(&attributes);
  return result;
}

bool IsCurrent(ThreadData* data) { return pthread_equal(pthread_self(), Of(data)->hThread); }

void Wait(ThreadData* data) { pthread_join(Of(data)->hThread, nullptr); }

void Close(ThreadData*) {}

void Detach(ThreadData* data) { pthread_detach(Of(data)->hThread); }

void SetCurrentName(const char* Name) {
#if defined(__linux__)
  char short_name[16];  // the kernel keeps 15 characters
  std::snprintf(short_name, sizeof(short_name), "%.15s", Name);
  pthread_setname_np(pthread_self(), short_name);
#else
  static_cast<void>(Name);
#endif
}

void RunBody(ThreadData* data, Thread* parent) { ThreadData::CallBody(data, parent); }

}  // namespace ThreadPlatform

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
