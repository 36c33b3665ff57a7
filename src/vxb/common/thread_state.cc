// The process-wide thread-state table.
//
// Rows are handed out under the table's lock, which also guards every
// change of a row's ThreadID (taking and freeing a row); all other fields of
// a row are written by its own thread only. ThreadID is read and written
// atomically so that the unlocked readers (DebugState, the iteration) see
// either a free row or a taken one. Each thread's row is kept in a
// thread-local slot whose clean-up frees the row when the thread ends, so
// rows of threads that never ran a Thread body are freed as well.
#include "vxb/common/thread_state.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "vxb/common/debug.h"
#include "vxb/common/no_destructor.h"
#include "vxb/common/thread.h"

namespace VXB::ThreadState {
namespace {

void FreeRowAtThreadEnd(void* p);

struct Table {
  RawMutex Lock;
  ThreadInfo Threads[MAX_THREADS];
  // Rows ever handed out (a high-water mark); rows at and above it are
  // unused.
  std::atomic<unsigned> nThreads{0};
  ThreadLocalStorage ThreadStorage{&FreeRowAtThreadEnd};
};

// Never destroyed: threads may report until the process ends.
Table& GetTable() {
  static NoDestructor<Table> table;
  return *table;
}

// Each thread iterates with a cursor of its own.
thread_local unsigned iteration_cursor = 0;

std::atomic_ref<THREAD_ID> IdOf(ThreadInfo& row) {
  return std::atomic_ref<THREAD_ID>(row.ThreadID);
}

void FreeRowAtThreadEnd(void* p) {
  ThreadInfo* row = static_cast<ThreadInfo*>(p);
  Table& table = GetTable();
  Locker<RawMutex> lock(table.Lock);
  if (IdOf(*row).load() == Thread::GetCurrentThreadID()) IdOf(*row).store(FREE_ROW);
}

// The calling thread's row: made when create is set and the thread has
// none; a row that was freed (or taken by another thread) since it was
// stored counts as none.
ThreadInfo* FindRow(bool create) {
  ThreadInfo* row = static_cast<ThreadInfo*>(GetTable().ThreadStorage.GetPointer());
  if (row != nullptr && IdOf(*row).load() == Thread::GetCurrentThreadID()) return row;
  if (!create) return nullptr;
  return NewThread(row != nullptr ? row->Index : MAX_THREADS);
}

void CopyCut(char* Destination, std::size_t Size, const char* Source) {
  std::snprintf(Destination, Size, "%s", Source != nullptr ? Source : "");
}

}  // namespace

ThreadInfo* NewThread(unsigned Index) {
  if (Index > MAX_THREADS) return nullptr;
  Table& table = GetTable();
  const THREAD_ID me = Thread::GetCurrentThreadID();
  ThreadInfo* previous = static_cast<ThreadInfo*>(table.ThreadStorage.GetPointer());
  ThreadInfo* row = nullptr;
  {
    Locker<RawMutex> lock(table.Lock);
    const unsigned used = table.nThreads.load();
    // The row asked for is remade only while nobody else holds it.
    if (Index < used) {
      const THREAD_ID holder = IdOf(table.Threads[Index]).load();
      if (holder == FREE_ROW || holder == me) row = &table.Threads[Index];
    }
    for (unsigned i = 0; row == nullptr && i < used; ++i) {
      if (IdOf(table.Threads[i]).load() == FREE_ROW) row = &table.Threads[i];
    }
    if (row == nullptr && used < MAX_THREADS) {
      row = &table.Threads[used];
      table.nThreads.store(used + 1);
    }
    if (row == nullptr) return nullptr;
    // A thread holds one row at a time.
    if (previous != nullptr && previous != row && IdOf(*previous).load() == me) {
      IdOf(*previous).store(FREE_ROW);
    }
    row->Index = static_cast<std::uint32_t>(row - table.Threads);
    row->Priority = Thread::GetCurrentThreadPriority();
    CopyCut(row->Name, sizeof(row->Name), "Unknown");
    row->State = READY;
    row->Resource[0] = '\0';
    row->Time = 0;
    row->MemoryUsed = 0;
    row->StackBase = nullptr;
    IdOf(*row).store(me);
  }
  table.ThreadStorage.SetPointer(row);
  return row;
}

void SetName(const char* Name) {
  if (ThreadInfo* row = FindRow(true))
    CopyCut(row->Name, sizeof(row->Name), Name != nullptr ? Name : "Unknown");
}

ThreadInfo* SetState(States State, const char* Resource, unsigned long Time) {
  ThreadInfo* row = FindRow(true);
  if (row == nullptr) return nullptr;
  CopyCut(row->Resource, sizeof(row->Resource), Resource);
  row->Time = Time > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(Time);
  // Written last, so that a reader who sees the new state mostly sees what
  // it is about.
  std::atomic_ref<States>(row->State).store(State, std::memory_order_release);
  return row;
}

void SetStackBase(const Byte* p) {
  if (ThreadInfo* row = FindRow(true)) row->StackBase = p;
}

ThreadInfo* GetThreadInfo() { return FindRow(false); }

void AddMemoryUsage(unsigned Bytes) {
  if (ThreadInfo* row = FindRow(false)) row->MemoryUsed += Bytes;
}

void RemMemoryUsage(unsigned Bytes) {
  // Never below zero: a wrapped count would read as an enormous charge.
  if (ThreadInfo* row = FindRow(false))
    row->MemoryUsed -= Bytes < row->MemoryUsed ? Bytes : row->MemoryUsed;
}

void Remove() {
  ThreadInfo* row = FindRow(false);
  if (row == nullptr) return;
  Table& table = GetTable();
  Locker<RawMutex> lock(table.Lock);
  IdOf(*row).store(FREE_ROW);
}

std::int64_t GetCurrentThreadStackUse() {
  const ThreadInfo* row = FindRow(false);
  if (row == nullptr || row->StackBase == nullptr) return 0;
  const Byte here = 0;
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(row->StackBase) -
                                   reinterpret_cast<std::intptr_t>(&here));
}

const char* GetName() {
  const ThreadInfo* row = FindRow(false);
  return row != nullptr ? row->Name : "?";
}

ThreadInfo* GetThreadInfoFirst() {
  iteration_cursor = 0;
  return GetThreadInfoNext();
}

ThreadInfo* GetThreadInfoNext() {
  Table& table = GetTable();
  const unsigned used = table.nThreads.load();
  while (iteration_cursor < used) {
    ThreadInfo& row = table.Threads[iteration_cursor++];
    if (IdOf(row).load() != FREE_ROW) return &row;
  }
  return nullptr;
}

void DebugState() {
  static NoDestructor<Debug::Debugger> debugger(Debug::STATE, "ThreadState");
  Table& table = GetTable();
  const unsigned used = table.nThreads.load();
  for (unsigned i = 0; i < used; ++i) {
    ThreadInfo& row = table.Threads[i];
    const THREAD_ID id = IdOf(row).load();
    if (id == FREE_ROW) continue;
    // The row's thread may be changing it: print terminated copies.
    char name[MAX_NAME + 1];
    char resource[MAX_RESOURCE + 1];
    std::memcpy(name, row.Name, sizeof(name));
    name[MAX_NAME] = '\0';
    std::memcpy(resource, row.Resource, sizeof(resource));
    resource[MAX_RESOURCE] = '\0';
    debugger->Print("%x|%u|%s|%u|%s|%u", id, row.Priority, name, static_cast<unsigned>(row.State),
                    resource, row.Time);
  }
  debugger->Print("%s", "");
}

}  // namespace VXB::ThreadState
