// Where the HTTP side of the bridge meets the service body.
//
// The service body opens and configures the serial port, then hands it to
// a FrontEnd: the HTTP server with its one packet protocol, its pages
// (fiscal.json, fiscal.xml, the index page) and the command processing
// behind them. The body only starts it, asks it to stop and waits for it.
//
// Contract of an implementation:
//   - Start attaches the serial port to the packet protocol and installs
//     Events as the protocol's event callback before any request can be
//     served, then opens the listening socket on the configured port and
//     starts the serving thread. It returns only when the socket listens;
//     when it cannot listen (port in use, no permission) it returns false
//     with the reason in the thread's error record and no thread running.
//   - Stop may be called from the body's thread while a command runs: it
//     sets an atomic stop flag that stays set and is checked before each
//     command is sent, aborts a running exchange (which then ends with
//     PROTOCOL_ABORTED, its client still getting the error document), and
//     asks the serving loop to end.
//   - WaitStopped returns once the serving thread has ended and the
//     listening socket is closed; the object may then be destroyed.
//   - Destruction stops and waits as well when the owner did not.
#ifndef APP_FRONT_END_H_
#define APP_FRONT_END_H_

#include <memory>

#include "app/config_params.h"
#include "vxb/common/io/driver.h"
#include "vxp/protocol.h"

namespace Zorbel {

class FrontEnd {
 public:
  FrontEnd() = default;
  FrontEnd(const FrontEnd&) = delete;
  FrontEnd& operator=(const FrontEnd&) = delete;
  virtual ~FrontEnd() = default;

  virtual bool Start(VXB::Driver::Generic& Serial,
                     VXP::CommunicationsProtocol::EventHandlerCallback Events) = 0;
  virtual void Stop() = 0;
  virtual void WaitStopped() = 0;
  // The TCP port the server listens on once started (the configured one,
  // or the free port chosen for 0); 0 when not listening.
  virtual unsigned Port() const { return 0; }
};

// Builds the front end for Config (its HTTPPort, AllowedClients) under the
// debug channel name Name. Not started.
using FrontEndFactory = std::unique_ptr<FrontEnd> (*)(const ConfigParams& Config, const char* Name);

// The program's own front end: the bridge's HTTP server.
std::unique_ptr<FrontEnd> MakeHTTPFrontEnd(const ConfigParams& Config, const char* Name);

}  // namespace Zorbel

#endif  // APP_FRONT_END_H_
