// A driver in front of another that shows a technician the bytes exchanged:
// one line per run of bytes in one direction, "> " for bytes sent and "< "
// for bytes received, control bytes named ("[STX]"). Received bytes are
// gathered until the next write or Flush(), so an answer read byte by byte
// still shows as one line.
//
// Thread safety: as the wrapped driver; Abort() is passed on from any
// thread.
#ifndef TOOLS_ZORBEL_CLI_TRACE_DRIVER_H_
#define TOOLS_ZORBEL_CLI_TRACE_DRIVER_H_

#include <ostream>
#include <string>

#include "vxb/common/io/driver.h"

namespace ZorbelCli {

class TraceDriver : public VXB::Driver::Generic {
 public:
  // Neither Target nor Out is owned; both outlive the driver.
  TraceDriver(VXB::Driver::Generic& Target, std::ostream& Out);
  ~TraceDriver() override;

  bool OK() const override { return target_.OK(); }
  bool Abort() override { return target_.Abort(); }
  // Prints the received bytes not yet shown.
  void Flush();

 protected:
  unsigned WriteBufferImplementation(const VXB::Byte* buf, unsigned size,
                                     unsigned Timeout) override;
  unsigned ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned PeekImplementation() override { return target_.Peek(); }

 private:
  VXB::Driver::Generic& target_;
  std::ostream& out_;
  std::string received_;
};

}  // namespace ZorbelCli

#endif  // TOOLS_ZORBEL_CLI_TRACE_DRIVER_H_
