// An open file over the file-system calls of the platform layer.
#include "vxb/common/runtime/file.h"

#include <cstring>

#include "vxb/common/runtime/error.h"

namespace VXB {

File::~File() { close(); }

bool File::Fail() {
  // Keep the underlying call's error and say which file it was about.
  return Error::SetAddingContext(Error::GetLastError()->Error, "\"%s\" (%c)", name_,
                                 FileSystem::Letter(fs_));
}

bool File::open(FileSystem::FileSystems fs, const char* Name, unsigned Flags, bool /*UseCache*/) {
  if (is_open()) close();
  fs_ = fs;
  const char* name = Name != nullptr ? Name : "";
  const std::size_t length = std::strlen(name);
  const std::size_t kept = length < MAX_NAME ? length : MAX_NAME;
  std::memcpy(name_, name, kept);
  name_[kept] = '\0';
  // Regular files are always byte-exact on this host; no translation flag.
  handle_ = FileSystem::open(Name, Flags, 0666, fs, quiet_);
  if (handle_ < 0) {
    handle_ = -1;
    return Fail();
  }
  return true;
}

bool File::read(void* Buffer, unsigned& Size) {
  const long n = FileSystem::read(handle_, Buffer, Size);
  if (n < 0) {
    Size = 0;
    return Fail();
  }
  Size = static_cast<unsigned>(n);
  return true;
}

bool File::write(const void* Buffer, unsigned& Size) {
  const long n = FileSystem::write(handle_, Buffer, Size);
  if (n < 0) {
    Size = 0;
    return Fail();
  }
  Size = static_cast<unsigned>(n);
  return true;
}

bool File::lseek(std::int64_t& Offset, FileSystem::Origins Origin) {
  const std::int64_t pos = FileSystem::lseek(handle_, Offset, Origin);
  if (pos < 0) return Fail();
  Offset = pos;
  return true;
}

bool File::truncate(std::int64_t Length) {
  if (FileSystem::truncate(handle_, Length) != 0) return Fail();
  return true;
}

bool File::sync() {
  if (FileSystem::sync(handle_) != 0) return Fail();
  return true;
}

bool File::close() {
  if (!is_open()) {
    name_[0] = '\0';
    return true;
  }
  const bool ok = FileSystem::close(handle_) == 0 || Fail();
  handle_ = -1;
  name_[0] = '\0';
  return ok;
}

std::int64_t File::filesize() {
  if (!is_open()) return 0;
  const std::int64_t here = FileSystem::lseek(handle_, 0, FileSystem::FROM_CURRENT);
  if (here < 0) return 0;
  const std::int64_t end = FileSystem::lseek(handle_, 0, FileSystem::FROM_END);
  if (end < 0) return 0;
  if (FileSystem::lseek(handle_, here, FileSystem::FROM_START) < 0) return 0;
  return end;
}

std::int64_t File::modtime() {
  if (!is_open()) return 0;
  std::int64_t time = 0;
  if (FileSystem::getmodtime(name_, time, fs_) != 0) return 0;
  return time;
}

bool File::setmodtime(std::int64_t Time) {
  if (FileSystem::setmodtime(handle_, Time) != 0) return Fail();
  return true;
}

bool File::exists(FileSystem::FileSystems fs, const char* Name) {
  return FileSystem::access(Name, FileSystem::EXISTS, fs) == 0;
}

std::int64_t File::filesize(FileSystem::FileSystems fs, const char* Name) {
  File f;
  if (!f.open(fs, Name, FileSystem::READ_ONLY)) return 0;
  return f.filesize();
}

}  // namespace VXB
