// The Win32 threads under Thread (its life is in common/thread_common.cc),
// and the calling thread's identifier and priority.
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>

#include "vxb/common/runtime/thread.h"
#include "vxb/common/runtime/thread_internal.h"
#include "vxb/common/runtime/thread_priority.h"

namespace VXB {
namespace {

using namespace ThreadPriority;

// The levels are Win32 thread priorities.
static_assert(LEVEL_TIME_CRITICAL == THREAD_PRIORITY_TIME_CRITICAL);
static_assert(LEVEL_HIGHEST == THREAD_PRIORITY_HIGHEST);
static_assert(LEVEL_ABOVE_NORMAL == THREAD_PRIORITY_ABOVE_NORMAL);
static_assert(LEVEL_NORMAL == THREAD_PRIORITY_NORMAL);
static_assert(LEVEL_BELOW_NORMAL == THREAD_PRIORITY_BELOW_NORMAL);
static_assert(LEVEL_IDLE == THREAD_PRIORITY_IDLE);

// Thread::Exit() on a thread of this layer leaves the body by unwinding to
// the start function, so that the end of the run (BodyEnd) is recorded as
// after a return; ending the platform thread directly would skip it and
// leave Join() waiting for ever.
struct ExitRequest {};
thread_local bool in_thread_body = false;

struct WindowsThreadData final : ThreadData {
  HANDLE hThread = nullptr;
  DWORD PlatformId = 0;
};

WindowsThreadData* Of(ThreadData* data) { return static_cast<WindowsThreadData*>(data); }

unsigned __stdcall StartRoutine(void* Argument) {
  ThreadData::Main(static_cast<ThreadData*>(Argument));
  return 0;
}

}  // namespace

namespace ThreadPlatform {

ThreadData* NewData() { return new WindowsThreadData; }

int Start(ThreadData* data, unsigned StackSize) {
  // Made suspended so that the handle and identifier are recorded before
  // the thread can ask whether it is the calling thread.
  unsigned id = 0;
  const std::uintptr_t handle =
      _beginthreadex(nullptr, StackSize, &StartRoutine, data, CREATE_SUSPENDED, &id);
  if (handle == 0) return errno;
  Of(data)->hThread = reinterpret_cast<HANDLE>(handle);
  Of(data)->PlatformId = id;
  ResumeThread(Of(data)->hThread);
  return 0;
}

bool IsCurrent(ThreadData* data) { return GetCurrentThreadId() == Of(data)->PlatformId; }

void Wait(ThreadData* data) { WaitForSingleObject(Of(data)->hThread, INFINITE); }

void Close(ThreadData* data) {
  CloseHandle(Of(data)->hThread);
  Of(data)->hThread = nullptr;
}

// The thread ends alone; its handle is not needed to let it go.
void Detach(ThreadData* data) { Close(data); }

// Win32 threads of this layer carry no name of their own.
void SetCurrentName(const char*) {}

void RunBody(ThreadData* data, Thread* parent) {
  in_thread_body = true;
  try {
    ThreadData::CallBody(data, parent);
  } catch (const ExitRequest&) {
  }
  in_thread_body = false;
}

}  // namespace ThreadPlatform

void Thread::Exit() {
  if (in_thread_body) throw ExitRequest{};
  _endthreadex(0);
}

THREAD_ID Thread::GetCurrentThreadID() { return static_cast<THREAD_ID>(GetCurrentThreadId()); }

void Thread::ChangeCurrentThreadPriority(unsigned Priority) {
  // A level the process may not take (time-critical without the right) is
  // refused by the system; the thread keeps the level it had.
  SetThreadPriority(GetCurrentThread(), BandOfPriority(Priority).Level);
}

unsigned Thread::GetCurrentThreadPriority() {
  return PriorityOfLevel(GetThreadPriority(GetCurrentThread()));
}

}  // namespace VXB
