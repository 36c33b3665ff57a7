// File-system calls and an open-file object.
//
// Failures return -1 (FileSystem) or false (File) after recording the error
// in the calling thread's error record. Only the PRIMARY file system (the
// host's ordinary one) is supported. Implemented per platform.
#ifndef VXB_COMMON_FILE_H_
#define VXB_COMMON_FILE_H_

#include <cstdint>

#include "vxb/common/base/types.h"

namespace VXB::FileSystem {

enum FileSystems : unsigned {
  ROOT = 0,
  PRIMARY = 1,
  SECONDARY = 2,
  USB = 3,
  SPI_SD = 4,
  MAX_FILESYSTEMS = 5,
};

// Access flags for open(); combine a mode with options. Files are always
// opened byte-exact (no text translation).
enum AccessFlags : unsigned {
  READ_ONLY = 0x0,
  WRITE_ONLY = 0x1,
  READ_WRITE = 0x2,
  CREATE = 0x10,
  TRUNCATE = 0x20,
  APPEND = 0x40,
  EXCLUSIVE = 0x80,
};

// Origins for lseek().
enum Origins : unsigned { FROM_START = 0, FROM_CURRENT = 1, FROM_END = 2 };

// Modes for access().
enum AccessModes : unsigned { EXISTS = 0, READABLE = 4, WRITABLE = 2 };

inline constexpr unsigned MAX_PATH = 1024;

// One-letter tag of a file system for error contexts: R, P, S, U or '?'.
char Letter(FileSystems fs);

// Returns a handle >= 0. Prints the debug lines "Open %s -> %d" and, on
// failure, "Error abriendo %s, errno %s" unless Quiet is set (the log writer
// opens its files quietly: it must not print debug lines while it holds the
// log lock).
int open(const char* Name, unsigned Flags, unsigned Mode, FileSystems fs, bool Quiet = false);
long read(int Handle, void* Buffer, unsigned long Length);
long write(int Handle, const void* Buffer, unsigned long Length);
std::int64_t lseek(int Handle, std::int64_t Offset, Origins Origin);
int truncate(int Handle, std::int64_t Length);
int close(int Handle);
// Puts the file's written data on the disk before it returns.
int sync(int Handle);
int access(const char* Name, AccessModes Mode, FileSystems fs);
// Modification time in nanoseconds since 1970-01-01 UTC.
int getmodtime(const char* Name, std::int64_t& Time, FileSystems fs);
// Sets the modification (and access) time of an open file, in nanoseconds
// since 1970-01-01 UTC.
int setmodtime(int Handle, std::int64_t Time);
// 1 when the open handle is a regular file, 0 when it is something else (a
// directory, a device), -1 on failure.
int isregular(int Handle);
char* getcwd(char* Buffer, unsigned Size);
// Renames (moving over an existing target) and deletes files; 0 on success.
int rename(const char* From, const char* To, FileSystems fs);
int remove(const char* Name, FileSystems fs);
// The path up to and including its last '/' or '\\' (in the calling thread's
// path buffer); the empty text when there is none; an empty path unchanged.
const char* dirname(const char* Path);

}  // namespace VXB::FileSystem

namespace VXB {

// An open file. Failures keep the underlying call's error and add the
// context "\"%s\" (%c)" with the file name and the file system's letter.
// Not thread-safe: one thread at a time.
class File {
 public:
  static constexpr unsigned MAX_NAME = 512;

  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens with Flags (FileSystem::AccessFlags) and permission mode 0666.
  bool open(FileSystem::FileSystems fs, const char* Name, unsigned Flags, bool UseCache = false);
  // Size in: bytes to move; out: bytes moved (0 on failure).
  bool read(void* Buffer, unsigned& Size);
  bool write(const void* Buffer, unsigned& Size);
  // Offset in: wanted; out: the new position.
  bool lseek(std::int64_t& Offset, FileSystem::Origins Origin);
  bool truncate(std::int64_t Length);
  // Puts what was written on the disk before it returns.
  bool sync();
  // True when not open; the name is cleared.
  bool close();
  bool is_open() const { return handle_ >= 0; }
  // Whether the open file is a regular file (not a directory or device).
  bool is_regular() const { return is_open() && FileSystem::isregular(handle_) == 1; }
  // Length of the open file (0 when it cannot be measured).
  std::int64_t filesize();
  // Modification time of the open file in nanoseconds since the epoch; 0
  // when unknown.
  std::int64_t modtime();
  // Sets the modification time of the open file (nanoseconds since the
  // epoch).
  bool setmodtime(std::int64_t Time);
  // No debug lines from this file's operations (see FileSystem::open).
  void SetQuiet(bool Quiet) { quiet_ = Quiet; }

  static bool exists(FileSystem::FileSystems fs, const char* Name);
  static std::int64_t filesize(FileSystem::FileSystems fs, const char* Name);

 private:
  bool Fail();

  FileSystem::FileSystems fs_ = FileSystem::PRIMARY;
  int handle_ = -1;
  bool quiet_ = false;
  char name_[MAX_NAME + 1] = "";
};

}  // namespace VXB

#endif  // VXB_COMMON_FILE_H_
