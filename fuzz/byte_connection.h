// A connection for the HTTP engine that reads the fuzzer's bytes in pieces
// and throws the answer away.
#ifndef FUZZ_BYTE_CONNECTION_H_
#define FUZZ_BYTE_CONNECTION_H_

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "vxb/common/io/driver.h"
#include "vxb/common/runtime/error.h"

class ByteConnection : public VXB::Driver::Generic {
 public:
  ByteConnection(const VXB::Byte* Data, std::size_t Size, std::size_t Piece)
      : Generic("Fuzz"), data_(Data), size_(Size), piece_(Piece == 0 ? 1 : Piece) {}
  bool OK() const override { return true; }
  std::size_t Consumed() const { return pos_; }

 protected:
  unsigned WriteBufferImplementation(const VXB::Byte*, unsigned size, unsigned) override {
    return size;
  }
  unsigned ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned) override {
    if (pos_ >= size_) {
      VXB::Error::SetWithContext(VXB::Error::SOCK_CONNECTION_CLOSED, "Socket closed");
      return 0;
    }
    const std::size_t n = std::min<std::size_t>({size, piece_, size_ - pos_});
    std::memcpy(buf, data_ + pos_, n);
    pos_ += n;
    return static_cast<unsigned>(n);
  }

 private:
  const VXB::Byte* data_;
  std::size_t size_;
  std::size_t piece_;
  std::size_t pos_ = 0;
};

#endif  // FUZZ_BYTE_CONNECTION_H_
