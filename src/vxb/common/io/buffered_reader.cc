#include "vxb/common/io/buffered_reader.h"

#include <algorithm>
#include <cstring>

namespace VXB::Driver {

BufferedReader::BufferedReader(Generic& src) : Generic(src.ToString()), source_(src) {}

BufferedReader::~BufferedReader() = default;

bool BufferedReader::CheckBuffer(unsigned Timeout) {
  if (!buffer_) {
    buffer_ = std::make_unique<Byte[]>(BUFFER_SIZE);
    Reset();
  }
  if (buf_ptr_ < buf_size_) return true;
  unsigned got = source_.ReadBuffer(buffer_.get(), BUFFER_SIZE, Timeout);
  if (got == 0) {
    Reset();
    return false;
  }
  buf_size_ = std::min(got, BUFFER_SIZE);
  buf_ptr_ = 0;
  return true;
}

bool BufferedReader::ReadByteImplementation(Byte& c, unsigned Timeout) {
  if (!CheckBuffer(Timeout)) return false;
  c = buffer_[buf_ptr_++];
  return true;
}

unsigned BufferedReader::ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) {
  unsigned total = 0;
  // Each refill may wait up to Timeout; a refill that brings nothing ends
  // the read with what was gathered (the source's error stays recorded).
  while (total < size) {
    if (!CheckBuffer(Timeout)) break;
    unsigned n = std::min(size - total, buf_size_ - buf_ptr_);
    std::memcpy(buf + total, buffer_.get() + buf_ptr_, n);
    buf_ptr_ += n;
    total += n;
  }
  return total;
}

bool BufferedReader::ReadStringImplementation(char* buf, unsigned size) {
  if (size == 0) return false;
  unsigned len = 0;
  while (len + 1 < size) {
    if (!CheckBuffer(0)) break;
    char c = static_cast<char>(buffer_[buf_ptr_++]);
    buf[len++] = c;
    if (c == '\n') break;
  }
  buf[len] = '\0';
  return len > 0;
}

unsigned BufferedReader::PeekImplementation() {
  // Once the buffered bytes are used up, whatever waits at the source is
  // what can be read next.
  if (buffer_ && buf_ptr_ < buf_size_) return buf_size_ - buf_ptr_;
  return source_.Peek();
}

bool BufferedReader::WriteByteImplementation(Byte b, unsigned Timeout) {
  return source_.WriteByte(b, Timeout);
}

unsigned BufferedReader::WriteBufferImplementation(const Byte* buf, unsigned size,
                                                   unsigned Timeout) {
  return source_.WriteBuffer(buf, size, Timeout);
}

}  // namespace VXB::Driver
