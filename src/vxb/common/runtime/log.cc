// The program's two-file rotating log.
//
// The current file (the one being filled) is remembered for the life of the
// process; at the first write after start-up (or after SetFilename) it is
// found again from the files' modification times: the file written last is
// the current one. Size says nothing about age: a file that was finished
// early by a long piece can be smaller than the one that followed it. To
// keep the times strictly ordered even on file systems with coarse clocks,
// the writer stamps the file it wrote with a modification time later than
// any it gave before.
#include "vxb/common/runtime/log.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "vxb/common/base/no_destructor.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/thread.h"

namespace VXB::Log {

Types::Date::Formats DateFormat = Types::Date::DDMMYY;
Types::Time::Formats TimeFormat = Types::Time::HHHMMMSSS;

namespace {

constexpr unsigned MAX_FILENAME = 1024;
constexpr unsigned STAMP_SIZE = 50;

struct State {
  State() { Current.SetQuiet(true); }

  // A copy: the caller's text may not outlive the call.
  std::string Basename = "log";
  const char* Extension = "log";
  std::int64_t MaxSize = DEFAULT_MAX_LOG_SIZE;
  // Writer: which file is current (true: file 1), whether that is still to
  // be found out, and the open current file.
  bool First = true;
  bool FirstTime = true;
  File Current;
  // The latest modification time given to a log file, in nanoseconds.
  std::int64_t LastStamp = 0;
  // Reader: the file being read (true: file 1), whether the reader has moved
  // on to the second file of its walk, and the offset of the next read.
  bool ReadFirstLog = false;
  bool ReadLogChanged = false;
  std::int64_t ReadLogOffset = 0;
};

// Both live until the very end of the process, so that lines logged from
// static destructors and from threads that outlive main() are still safe.
State& GetState() {
  static NoDestructor<State> state;
  return *state;
}

Mutex& LogLock() {
  static NoDestructor<Mutex> lock("log");
  return *lock;
}

// Set while the calling thread is inside the writer; a line started from
// code that the writer itself called is dropped instead of deadlocking or
// tearing the line being written.
thread_local bool t_in_writer = false;

// Name of file n (1 or 2); false when it does not fit.
bool FileName(const State& s, unsigned n, char (&out)[MAX_FILENAME]) {
  const int length = std::snprintf(out, sizeof out, "%s%u.%s", s.Basename.c_str(), n, s.Extension);
  return length > 0 && static_cast<unsigned>(length) < sizeof out;
}

bool ModTime(const char* name, std::int64_t& time) {
  return FileSystem::getmodtime(name, time, FileSystem::PRIMARY) == 0;
}

// Length of a file; -1 when it cannot be opened.
std::int64_t Size(const char* name) {
  File f;
  f.SetQuiet(true);
  if (!f.open(FileSystem::PRIMARY, name, FileSystem::READ_ONLY)) return -1;
  return f.filesize();
}

// Finds which file was being filled when the log was last written: the one
// modified last; file 1 when file 2 does not exist. Equal times (a coarse
// clock) fall back to the smaller file, which after a switch is the newly
// started one; file 1 when the sizes are equal too. Newest receives the
// latest modification time found (0 when there is none).
bool CurrentIsFile1(const State& s, std::int64_t& Newest) {
  Newest = 0;
  char name1[MAX_FILENAME];
  char name2[MAX_FILENAME];
  if (!FileName(s, 1, name1) || !FileName(s, 2, name2)) return true;
  std::int64_t time1 = 0;
  std::int64_t time2 = 0;
  const bool has1 = ModTime(name1, time1);
  const bool has2 = ModTime(name2, time2);
  if (has1 && time1 > Newest) Newest = time1;
  if (has2 && time2 > Newest) Newest = time2;
  if (!has2) return true;
  if (!has1) return false;
  if (time1 != time2) return time1 > time2;
  return Size(name1) <= Size(name2);
}

bool OpenCurrent(State& s) {
  if (s.Current.is_open()) return true;
  if (s.FirstTime) {
    std::int64_t newest = 0;
    s.First = CurrentIsFile1(s, newest);
    if (newest > s.LastStamp) s.LastStamp = newest;
    s.FirstTime = false;
  }
  char name[MAX_FILENAME];
  if (!FileName(s, s.First ? 1 : 2, name)) return false;
  return s.Current.open(FileSystem::PRIMARY, name, FileSystem::READ_WRITE | FileSystem::CREATE);
}

// Gives the open current file a modification time later than any given
// before, so that the file written last is always the newest.
void Stamp(State& s) {
  if (!s.Current.is_open()) return;
  const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  const std::int64_t stamp = now > s.LastStamp ? now : s.LastStamp + 1;
  if (s.Current.setmodtime(stamp)) s.LastStamp = stamp;
}

// Appends one piece of a line, switching to the other (emptied) file first
// when the piece would take the current one past the bound. A piece that
// cannot be written is dropped.
void WritePiece(State& s, const char* Piece, std::size_t Length) {
  if (Length == 0) return;
  if (!OpenCurrent(s)) return;
  std::int64_t end = 0;
  if (!s.Current.lseek(end, FileSystem::FROM_END)) return;
  if (end + static_cast<std::int64_t>(Length) > s.MaxSize) {
    Stamp(s);
    s.Current.close();
    s.First = !s.First;
    if (!OpenCurrent(s)) return;
    if (!s.Current.truncate(0)) return;
    std::int64_t start = 0;
    if (!s.Current.lseek(start, FileSystem::FROM_START)) return;
  }
  unsigned size = static_cast<unsigned>(Length);
  s.Current.write(Piece, size);
}

void WritePiece(State& s, const char* Text) { WritePiece(s, Text, std::strlen(Text)); }

// One step of the reader's walk: the next chunk of the file being read, or,
// when that file is exhausted or missing, the first chunk of the other one.
bool ReadChunk(State& s, Byte* Buffer, unsigned& BufferSize) {
  const unsigned requested = BufferSize;
  BufferSize = 0;
  for (;;) {
    char name[MAX_FILENAME];
    if (FileName(s, s.ReadFirstLog ? 1 : 2, name)) {
      File f;
      f.SetQuiet(true);
      if (f.open(FileSystem::PRIMARY, name, FileSystem::READ_ONLY)) {
        std::int64_t offset = s.ReadLogOffset;
        unsigned count = requested;
        if (f.lseek(offset, FileSystem::FROM_START) && f.read(Buffer, count) && count > 0) {
          s.ReadLogOffset += count;
          BufferSize = count;
          return true;
        }
      }
    }
    if (s.ReadLogChanged) return false;
    s.ReadFirstLog = !s.ReadFirstLog;
    s.ReadLogOffset = 0;
    s.ReadLogChanged = true;
  }
}

// Runs a read step; a delivered chunk leaves the caller's error record as it
// was (a missing first file is not a failure), a failed read leaves the
// reason.
bool Read(bool Restart, Byte* Buffer, unsigned& BufferSize) {
  if (Buffer == nullptr) {
    BufferSize = 0;
    return false;
  }
  const Error::ErrInfo saved = *Error::GetLastError();
  Locker<Mutex> hold(LogLock());
  State& s = GetState();
  if (Restart) {
    bool current_is_1 = s.First;
    if (s.FirstTime) {
      std::int64_t newest = 0;
      current_is_1 = CurrentIsFile1(s, newest);
    }
    s.ReadFirstLog = !current_is_1;  // the older file first
    s.ReadLogChanged = false;
    s.ReadLogOffset = 0;
  }
  if (!ReadChunk(s, Buffer, BufferSize)) return false;
  Error::Set(saved);
  return true;
}

}  // namespace

void vWriteWithModule(const char* Module, const char* Format, va_list Args) {
  if (t_in_writer) return;
  t_in_writer = true;
  Error::Push();

  char message[LINE_BUFFER_SIZE];
  message[0] = '\0';
  if (Format != nullptr && std::vsnprintf(message, sizeof message, Format, Args) < 0) {
    message[0] = '\0';
  }

  {
    Locker<Mutex> hold(LogLock());
    State& s = GetState();
    Types::Date date;
    Types::Time time;
    System::GetDateTime(date, time);
    char date_text[STAMP_SIZE];
    char time_text[STAMP_SIZE];
    date.ToString(date_text, sizeof date_text, DateFormat);
    time.ToString(time_text, sizeof time_text, TimeFormat);

    WritePiece(s, date_text);
    WritePiece(s, " ");
    WritePiece(s, time_text);
    WritePiece(s, ": ");
    if (Module != nullptr) {
      WritePiece(s, "[");
      WritePiece(s, Module);
      WritePiece(s, "] ");
    }
    WritePiece(s, message);
    WritePiece(s, "\r\n");
    Stamp(s);
  }

  Error::Pop();
  t_in_writer = false;
}

void vWrite(const char* Format, va_list Args) { vWriteWithModule(nullptr, Format, Args); }

void Write(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  vWriteWithModule(nullptr, Format, args);
  va_end(args);
}

void WriteWithModule(const char* Module, const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  vWriteWithModule(Module, Format, args);
  va_end(args);
}

bool ReadFirst(Byte* Buffer, unsigned& BufferSize) { return Read(true, Buffer, BufferSize); }

bool ReadNext(Byte* Buffer, unsigned& BufferSize) { return Read(false, Buffer, BufferSize); }

void SetFilename(const char* Name) {
  Error::Push();
  {
    Locker<Mutex> hold(LogLock());
    State& s = GetState();
    s.Current.close();
    s.Basename = Name != nullptr ? Name : "log";
    s.FirstTime = true;
  }
  Error::Pop();
}

void SetMaxSize(unsigned Max) {
  Locker<Mutex> hold(LogLock());
  GetState().MaxSize = Max;
}

}  // namespace VXB::Log
