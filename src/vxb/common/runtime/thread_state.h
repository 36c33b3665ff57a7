// Process-wide table of thread states: for each thread its name, what it is
// doing or waiting on, for how long, and the memory charged to it. The
// waiting primitives, the sleep call and the network layer report into it so
// that a dump (DebugState) shows what every thread is doing.
//
// Thread safety: each row is written only by its own thread, under the
// row's own lock; the table's lock guards the choice of a row. Other threads
// see rows only as copies taken under the row's lock (the iteration and
// DebugState), so a row read from elsewhere is always whole. The row
// pointers handed to a thread by NewThread, SetState and GetThreadInfo are
// its own row: it may read them freely and changes them through the setters.
#ifndef VXB_COMMON_THREAD_STATE_H_
#define VXB_COMMON_THREAD_STATE_H_

#include <cstdint>

#include "vxb/common/runtime/thread.h"

namespace VXB::ThreadState {

inline constexpr unsigned MAX_THREADS = 100;
inline constexpr unsigned MAX_NAME = 30;
inline constexpr unsigned MAX_RESOURCE = 30;
// Marks a free row.
inline constexpr THREAD_ID FREE_ROW = 0xFFFFFFFFu;

enum States : unsigned {
  READY = 0,
  WAITING = 1,
  READING = 2,
  WRITING = 3,
  GET_QUEUE = 4,
  PUT_QUEUE = 5,
  SLEEPING = 6,
  CONNECTING = 7,
};

struct ThreadInfo {
  std::uint32_t Index = 0;
  char Name[MAX_NAME + 1] = "Unknown";
  THREAD_ID ThreadID = FREE_ROW;
  PRIORITY Priority = 0;
  States State = READY;
  std::uint64_t MemoryUsed = 0;
  const Byte* StackBase = nullptr;
  char Resource[MAX_RESOURCE + 1] = "";
  std::uint32_t Time = 0;
};

// Makes (or remakes) the calling thread's row; Index == MAX_THREADS asks for
// any free row. Null when the table is full.
const ThreadInfo* NewThread(unsigned Index);
// These create the calling thread's row when it has none.
void SetName(const char* Name);
const ThreadInfo* SetState(States State, const char* Resource, unsigned long Time);
void SetStackBase(const Byte* p);
// These never create a row.
const ThreadInfo* GetThreadInfo();
void AddMemoryUsage(unsigned Bytes);
void RemMemoryUsage(unsigned Bytes);
void Remove();
std::int64_t GetCurrentThreadStackUse();
const char* GetName();  // "?" when the thread has no row

// Iteration over the rows in use. Each call returns a copy of the next row,
// kept in a slot of the calling thread that the next call overwrites; null
// after the last row.
const ThreadInfo* GetThreadInfoFirst();
const ThreadInfo* GetThreadInfoNext();

// Prints every row in use through the table's debug channel (module STATE,
// ID "ThreadState"), one "%x|%u|%s|%u|%s|%u" line each, then an empty line.
void DebugState();

}  // namespace VXB::ThreadState

#endif  // VXB_COMMON_THREAD_STATE_H_
