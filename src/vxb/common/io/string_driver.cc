#include "vxb/common/io/string_driver.h"

#include <algorithm>
#include <cstring>

#include "vxb/common/runtime/error.h"

namespace VXB::Driver {

StringSource::StringSource(std::string_view Text, unsigned ChunkSize)
    : Generic("StringSource"), text_(Text), chunk_(ChunkSize == 0 ? 1 : ChunkSize) {}

void StringSource::SetText(std::string_view Text) {
  text_ = Text;
  pos_ = 0;
}

unsigned StringSource::ReadBufferImplementation(Byte* buf, unsigned size, unsigned) {
  std::size_t n = text_.size() - pos_;
  if (n > size) n = size;
  if (n > chunk_) n = chunk_;
  if (n > 0) std::memcpy(buf, text_.data() + pos_, n);
  pos_ += n;
  return static_cast<unsigned>(n);
}

unsigned StringSource::WriteBufferImplementation(const Byte*, unsigned, unsigned) {
  Error::SetWithContext(Error::IO_READ_ONLY, "StringSource::WriteBuffer");
  return 0;
}

StringSink::StringSink() : Generic("StringSink") {}

unsigned StringSink::ReadBufferImplementation(Byte*, unsigned, unsigned) {
  Error::SetWithContext(Error::IO_WRITE_ONLY, "StringSink::ReadBuffer");
  return 0;
}

unsigned StringSink::WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) {
  text_.append(reinterpret_cast<const char*>(buf), size);
  return size;
}

ScriptedConnection::ScriptedConnection(std::string_view Input, std::size_t Piece)
    : Generic("Scripted"), input_(Input), piece_(Piece == 0 ? 1 : Piece) {}

unsigned ScriptedConnection::ReadBufferImplementation(Byte* buf, unsigned size, unsigned) {
  if (pos_ >= input_.size()) {
    VXB::Error::SetWithContext(VXB::Error::SOCK_CONNECTION_CLOSED, "Socket closed");
    return 0;
  }
  const std::size_t n = std::min<std::size_t>({size, piece_, input_.size() - pos_});
  std::memcpy(buf, input_.data() + pos_, n);
  pos_ += n;
  VXB::Error::SetWithContext(VXB::Error::NO_CURRENT_ERROR, "ReadBuffer");
  return static_cast<unsigned>(n);
}

unsigned ScriptedConnection::WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) {
  output_.append(reinterpret_cast<const char*>(buf), size);
  return size;
}

}  // namespace VXB::Driver
