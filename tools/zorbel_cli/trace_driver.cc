#include "zorbel_cli/trace_driver.h"

#include "common/tool_support.h"

namespace ZorbelCli {

TraceDriver::TraceDriver(VXB::Driver::Generic& Target, std::ostream& Out)
    : Generic(Target.ToString()), target_(Target), out_(Out) {}

TraceDriver::~TraceDriver() { Flush(); }

void TraceDriver::Flush() {
  if (received_.empty()) return;
  out_ << "< "
       << ZorbelTools::EscapeBytes(reinterpret_cast<const VXB::Byte*>(received_.data()),
                                   static_cast<unsigned>(received_.size()))
       << "\n";
  out_.flush();
  received_.clear();
}

unsigned TraceDriver::WriteBufferImplementation(const VXB::Byte* buf, unsigned size,
                                                unsigned Timeout) {
  Flush();
  const unsigned n = target_.WriteBuffer(buf, size, Timeout);
  out_ << "> " << ZorbelTools::EscapeBytes(buf, n) << (n < size ? " (cut short)" : "") << "\n";
  out_.flush();
  return n;
}

unsigned TraceDriver::ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned Timeout) {
  const unsigned n = target_.ReadBuffer(buf, size, Timeout);
  received_.append(reinterpret_cast<const char*>(buf), n);
  return n;
}

}  // namespace ZorbelCli
