// The callback, console and file transports for debug lines.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/system.h"

namespace VXB::Debug {

namespace {

// A packet's ID as a terminated text, whatever the packet holds.
struct SafeID {
  explicit SafeID(const Packet& d) {
    std::memcpy(text, d.ID, MAX_ID);
    text[MAX_ID] = '\0';
  }
  char text[MAX_ID + 1];
};

// The file's name with its next-to-last character replaced by '_'
// ("debug.txt" -> "debug.t_t"); a one-character name gets '_' appended.
std::string BackupName(const char* Path) {
  std::string backup(Path);
  if (backup.size() >= 2) {
    backup[backup.size() - 2] = '_';
  } else {
    backup += '_';
  }
  return backup;
}

void WriteAll(int fd, const void* Data, unsigned long Size) {
  const char* p = static_cast<const char*>(Data);
  while (Size > 0) {
    const long n = FileSystem::write(fd, p, Size);
    if (n <= 0) return;
    p += n;
    Size -= static_cast<unsigned long>(n);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TransportCustom.

void TransportCustom::End(bool /*Wait*/) {}

bool TransportCustom::Enabled() { return enabled_.load() && callback_.load() != nullptr; }

void TransportCustom::Send(const Packet& d, const char* Line) {
  if (!enabled_.load()) return;
  const Callback fn = callback_.load();
  if (fn == nullptr) return;
  const Types::Date date(d.Date);
  const Types::Time time(d.Time);
  const SafeID id(d);
  fn(date, time, d.Module, id.text, Line != nullptr ? Line : "");
}

// ---------------------------------------------------------------------------
// TransportPrintF.

void TransportPrintF::End(bool /*Wait*/) {}

void TransportPrintF::Send(const Packet& d, const char* Line) {
  const SafeID id(d);
  Console::Print("%s: %s\n", id.text, Line != nullptr ? Line : "");
}

// ---------------------------------------------------------------------------
// TransportFile.

TransportFile::TransportFile(const char* fname) {
  ASCII::CopyCut(filename_, sizeof(filename_), fname);
}

TransportFile::TransportFile(const char* envvariable, const char* defvalue) {
  ASCII::CopyCut(filename_, sizeof(filename_), defvalue);
  ASCII::CopyCut(variable_, sizeof(variable_), envvariable);
}

void TransportFile::ChangeFilename(const char* NewFilename) {
  // Lines are sent under the transport lock; taking it here keeps a line
  // from reading a half-changed name.
  Control::TransportMutexEnter();
  ASCII::CopyCut(filename_, sizeof(filename_), NewFilename);
  variable_[0] = '\0';
  ok_.store(true);
  Control::TransportMutexLeave();
}

void TransportFile::End(bool /*Wait*/) {}

void TransportFile::Send(const Packet& d, const char* Line) {
  if (!ok_.load() || Line == nullptr) return;
  // Failing file calls record errors; the caller's record stays as it was.
  Error::Push();

  const char* path = filename_;
  if (variable_[0] != '\0') {
    const char* value = std::getenv(variable_);
    if (value != nullptr && *value != '\0') path = value;
  }

  // Quiet: file calls made here must not print debug lines themselves.
  constexpr unsigned kFlags = FileSystem::WRITE_ONLY | FileSystem::CREATE | FileSystem::APPEND;
  int fd = FileSystem::open(path, kFlags, 0666, FileSystem::PRIMARY, true);
  if (fd >= 0 && FileSystem::lseek(fd, 0, FileSystem::FROM_END) > MAX_DEBUG_FILE) {
    FileSystem::close(fd);
    const std::string backup = BackupName(path);
    FileSystem::remove(backup.c_str(), FileSystem::PRIMARY);
    // When the rename fails the file is simply appended to again.
    FileSystem::rename(path, backup.c_str(), FileSystem::PRIMARY);
    fd = FileSystem::open(path, kFlags, 0666, FileSystem::PRIMARY, true);
  }
  if (fd < 0) {
    ok_.store(false);
    Error::Pop();
    return;
  }

  char date[16];
  char time[16];
  Types::Date(d.Date).ToString(date, sizeof(date), Types::Date::MMDDYY);
  Types::Time(d.Time).ToString(time, sizeof(time), Types::Time::HHHMMMSSS);
  const SafeID id(d);
  char header[100];
  const int n = std::snprintf(header, sizeof(header), "%s %s %-*.*s %-*.*s ", date, time, 20, 20,
                              ToString(d.Module), static_cast<int>(MAX_ID),
                              static_cast<int>(MAX_ID), id.text);
  if (n > 0) {
    WriteAll(fd, header,
             std::min<unsigned long>(static_cast<unsigned long>(n), sizeof(header) - 1));
  }
  WriteAll(fd, Line, d.BufferSize);
  WriteAll(fd, "\n", 1);
  FileSystem::close(fd);
  Error::Pop();
}

}  // namespace VXB::Debug
