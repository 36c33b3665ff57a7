// The byte-stream driver base: enabled-switch dispatch and the byte and
// string operations built on the buffer operations.
#include "vxb/common/io/driver.h"

#include <cstring>

#include "vxb/common/runtime/error.h"

namespace VXB::Driver {

Generic::Generic(const SimpleString& DriverName) : name_(DriverName) {}

Generic::~Generic() = default;

bool Generic::Abort() { return Error::SetWithContext(Error::IO_NOT_IMPLEMENTED, "Abort"); }

const char* Generic::ToString() const { return name_.IsNull() ? "" : name_.c_str(); }

bool Generic::WriteByte(Byte b, unsigned Timeout) {
  if (!IsEnabled()) return true;
  return WriteByteImplementation(b, Timeout);
}

bool Generic::WriteString(const char* s, unsigned Timeout) {
  if (!IsEnabled()) return true;
  return WriteStringImplementation(s != nullptr ? s : "", Timeout);
}

unsigned Generic::WriteBuffer(const Byte* buf, unsigned size, unsigned Timeout) {
  if (!IsEnabled()) return size;
  if (size == 0) return 0;
  if (buf == nullptr) {
    Error::SetWithContext(Error::IO_PARAM_ERROR, "WriteBuffer");
    return 0;
  }
  return WriteBufferImplementation(buf, size, Timeout);
}

bool Generic::ReadByte(Byte& b, unsigned Timeout) {
  if (!IsEnabled()) return Error::SetWithContext(Error::IO_DISABLED, "ReadByte");
  return ReadByteImplementation(b, Timeout);
}

unsigned Generic::ReadBuffer(Byte* buf, unsigned size, unsigned Timeout) {
  if (!IsEnabled()) {
    Error::SetWithContext(Error::IO_DISABLED, "ReadBuffer");
    return 0;
  }
  if (size == 0) return 0;
  if (buf == nullptr) {
    Error::SetWithContext(Error::IO_PARAM_ERROR, "ReadBuffer");
    return 0;
  }
  return ReadBufferImplementation(buf, size, Timeout);
}

bool Generic::ReadString(char* buf, unsigned size) {
  if (!IsEnabled()) return Error::SetWithContext(Error::IO_DISABLED, "ReadString");
  if (buf == nullptr || size == 0)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "ReadString");
  return ReadStringImplementation(buf, size);
}

unsigned Generic::Peek() {
  if (!IsEnabled()) return 0;
  return PeekImplementation();
}

bool Generic::WriteByteImplementation(Byte b, unsigned Timeout) {
  return WriteBuffer(&b, 1, Timeout) == 1;
}

bool Generic::WriteStringImplementation(const char* s, unsigned /*Timeout*/) {
  const std::size_t length = std::strlen(s);
  const Byte* bytes = reinterpret_cast<const Byte*>(s);
  // A string longer than one call can carry goes in pieces.
  std::size_t done = 0;
  while (done < length) {
    const std::size_t left = length - done;
    const unsigned piece = left > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<unsigned>(left);
    const unsigned written = WriteBuffer(bytes + done, piece, Constants::WAIT_FOREVER);
    done += written;
    if (written != piece) return false;
  }
  return true;
}

bool Generic::ReadByteImplementation(Byte& b, unsigned Timeout) {
  return ReadBuffer(&b, 1, Timeout) != 0;
}

bool Generic::ReadStringImplementation(char* /*buf*/, unsigned /*size*/) {
  return Error::SetWithContext(Error::IO_NOT_IMPLEMENTED, "ReadString");
}

unsigned Generic::PeekImplementation() {
  Error::SetWithContext(Error::IO_NOT_IMPLEMENTED, "ReadString");
  return 0;
}

}  // namespace VXB::Driver
