// The bridge's HTTP front end.
//
// The HTTP server and the command processing are not part of this build
// yet: the front end refuses to start, so that the service ends at start-up
// with a clear reason instead of running without a port.
#include "app/front_end.h"

#include "vxb/common/error.h"

namespace Zorbel {

namespace {

class UnavailableFrontEnd : public FrontEnd {
 public:
  bool Start(VXB::Driver::Generic&, VXP::CommunicationsProtocol::EventHandlerCallback) override {
    return VXB::Error::SetWithContext(VXB::Error::IO_NOT_IMPLEMENTED,
                                      "Servidor HTTP no disponible en esta compilaci\xA2n");
  }
  void Stop() override {}
  void WaitStopped() override {}
};

}  // namespace

std::unique_ptr<FrontEnd> MakeHTTPFrontEnd(const ConfigParams&, const char*) {
  return std::make_unique<UnavailableFrontEnd>();
}

}  // namespace Zorbel
