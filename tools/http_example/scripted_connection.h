// A connection for driving the HTTP engine without a socket: reads deliver
// the given request bytes in pieces of at most Piece bytes, then report the
// connection closed; writes are collected.
#ifndef TOOLS_HTTP_EXAMPLE_SCRIPTED_CONNECTION_H_
#define TOOLS_HTTP_EXAMPLE_SCRIPTED_CONNECTION_H_

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "vxb/common/io/driver.h"
#include "vxb/common/runtime/error.h"

namespace Zorbel::HttpExample {

class ScriptedConnection : public VXB::Driver::Generic {
 public:
  explicit ScriptedConnection(std::string_view Input, unsigned Piece = 0xFFFFFFFFu)
      : Generic("Scripted"), input_(Input), piece_(Piece) {}
  bool OK() const override { return true; }
  const std::string& Output() const { return output_; }
  std::size_t Consumed() const { return pos_; }

 protected:
  unsigned WriteBufferImplementation(const VXB::Byte* buf, unsigned size, unsigned) override {
    output_.append(reinterpret_cast<const char*>(buf), size);
    return size;
  }
  unsigned ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned) override {
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

 private:
  std::string input_;
  std::size_t piece_;
  std::size_t pos_ = 0;
  std::string output_;
};

}  // namespace Zorbel::HttpExample

#endif  // TOOLS_HTTP_EXAMPLE_SCRIPTED_CONNECTION_H_
