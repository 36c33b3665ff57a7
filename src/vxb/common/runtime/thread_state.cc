// The process-wide thread-state table.
//
// Rows are handed out under the table's lock, which also guards every
// change of a row's ThreadID (taking and freeing a row); all other fields of
// a row are written by its own thread only, under the row's lock, and other
// threads copy them under that lock. ThreadID is read and written
// atomically, so a reader tells a free row from a taken one without locks. Each thread's row is
// kept in a thread-local slot whose clean-up frees the row when the thread ends, so rows of threads
// that never ran a Thread body are freed as well.
#include "vxb/common/runtime/thread_state.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/base/no_destructor.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/thread.h"

namespace VXB::ThreadState {
namespace {

void FreeRowAtThreadEnd(void* p);
ThreadInfo* MakeRow(unsigned Index);

struct Table {
  RawMutex Lock;
  ThreadInfo Threads[MAX_THREADS];
  RawMutex RowLocks[MAX_THREADS];
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

// Each thread iterates with a cursor and a row copy of its own.
thread_local unsigned iteration_cursor = 0;
thread_local ThreadInfo iteration_row;

std::atomic_ref<THREAD_ID> IdOf(ThreadInfo& row) {
  return std::atomic_ref<THREAD_ID>(row.ThreadID);
}

RawMutex& LockOf(const ThreadInfo& row) {
  Table& table = GetTable();
  return table.RowLocks[&row - table.Threads];
}

// Copies a row whose thread may be writing it. ThreadID, which changes under
// the table's lock instead, is read atomically.
void CopyRow(ThreadInfo& row, ThreadInfo& copy) {
  {
    Locker<RawMutex> lock(LockOf(row));
    copy.Index = row.Index;
    std::memcpy(copy.Name, row.Name, sizeof(copy.Name));
    copy.Priority = row.Priority;
    copy.State = row.State;
    copy.MemoryUsed = row.MemoryUsed;
    copy.StackBase = row.StackBase;
    std::memcpy(copy.Resource, row.Resource, sizeof(copy.Resource));
    copy.Time = row.Time;
  }
  copy.Name[MAX_NAME] = '\0';
  copy.Resource[MAX_RESOURCE] = '\0';
  copy.ThreadID = IdOf(row).load();
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
  // A row's place in the table never changes: no need to read it.
  return MakeRow(row != nullptr ? static_cast<unsigned>(row - GetTable().Threads) : MAX_THREADS);
}

ThreadInfo* MakeRow(unsigned Index) {
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
    {
      Locker<RawMutex> row_lock(LockOf(*row));
      row->Index = static_cast<std::uint32_t>(row - table.Threads);
      row->Priority = Thread::GetCurrentThreadPriority();
      ASCII::CopyCut(row->Name, sizeof(row->Name), "Unknown");
      row->State = READY;
      row->Resource[0] = '\0';
      row->Time = 0;
      row->MemoryUsed = 0;
      row->StackBase = nullptr;
    }
    IdOf(*row).store(me);
  }
  table.ThreadStorage.SetPointer(row);
  return row;
}

}  // namespace

const ThreadInfo* NewThread(unsigned Index) { return MakeRow(Index); }

void SetName(const char* Name) {
  if (ThreadInfo* row = FindRow(true)) {
    Locker<RawMutex> lock(LockOf(*row));
    ASCII::CopyCut(row->Name, sizeof(row->Name), Name != nullptr ? Name : "Unknown");
  }
}

const ThreadInfo* SetState(States State, const char* Resource, unsigned long Time) {
  ThreadInfo* row = FindRow(true);
  if (row == nullptr) return nullptr;
  Locker<RawMutex> lock(LockOf(*row));
  ASCII::CopyCut(row->Resource, sizeof(row->Resource), Resource);
  row->Time = Time > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(Time);
  row->State = State;
  return row;
}

void SetStackBase(const Byte* p) {
  if (ThreadInfo* row = FindRow(true)) {
    Locker<RawMutex> lock(LockOf(*row));
    row->StackBase = p;
  }
}

const ThreadInfo* GetThreadInfo() { return FindRow(false); }

void AddMemoryUsage(unsigned Bytes) {
  if (ThreadInfo* row = FindRow(false)) {
    Locker<RawMutex> lock(LockOf(*row));
    row->MemoryUsed += Bytes;
  }
}

void RemMemoryUsage(unsigned Bytes) {
  // Never below zero: a wrapped count would read as an enormous charge.
  if (ThreadInfo* row = FindRow(false)) {
    Locker<RawMutex> lock(LockOf(*row));
    row->MemoryUsed -= Bytes < row->MemoryUsed ? Bytes : row->MemoryUsed;
  }
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

const ThreadInfo* GetThreadInfoFirst() {
  iteration_cursor = 0;
  return GetThreadInfoNext();
}

const ThreadInfo* GetThreadInfoNext() {
  Table& table = GetTable();
  const unsigned used = table.nThreads.load();
  while (iteration_cursor < used) {
    ThreadInfo& row = table.Threads[iteration_cursor++];
    if (IdOf(row).load() == FREE_ROW) continue;
    CopyRow(row, iteration_row);
    // Freed while it was being copied: skip it like any free row.
    if (iteration_row.ThreadID != FREE_ROW) return &iteration_row;
  }
  return nullptr;
}

void DebugState() {
  static NoDestructor<Debug::Debugger> debugger(Debug::STATE, "ThreadState");
  Table& table = GetTable();
  const unsigned used = table.nThreads.load();
  for (unsigned i = 0; i < used; ++i) {
    if (IdOf(table.Threads[i]).load() == FREE_ROW) continue;
    // The row's thread may be changing it: print a copy.
    ThreadInfo row;
    CopyRow(table.Threads[i], row);
    if (row.ThreadID == FREE_ROW) continue;
    debugger->Print("%x|%u|%s|%u|%s|%u", row.ThreadID, row.Priority, row.Name,
                    static_cast<unsigned>(row.State), row.Resource, row.Time);
  }
  debugger->Print("%s", "");
}

}  // namespace VXB::ThreadState
