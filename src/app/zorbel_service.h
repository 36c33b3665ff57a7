// The bridge as a service: the program's Service object and its body.
//
// The body checks the configuration, routes debug output into the log at
// the configured debug level, opens the controller's serial port (8 data
// bits, no parity, one stop bit, no flow control), starts the HTTP front
// end over it, tells the service manager it is ready, and serves until
// asked to stop; then it stops the front end and waits for it.
//
// Log lines: under "zorbel" the start-up line and the start-up failures,
// under "ServiceClass" the running service ("Serial %s to HTTP %u...",
// "Stopping service...", "Service stopped"). Every start-up failure also
// leaves its reason in the thread's error record and makes the body return
// false, which the program reports on the error output and in the log.
//
// Thread safety: the body runs on one thread; Stop is read from it and set
// from any other.
#ifndef APP_ZORBEL_SERVICE_H_
#define APP_ZORBEL_SERVICE_H_

#include <atomic>
#include <memory>

#include "app/config_params.h"
#include "app/front_end.h"
#include "vxb/common/base/datetime.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/service/service.h"
#include "vxp/protocol.h"

namespace Zorbel {

// The debug modules switched on at debug level Level (all others are
// switched off). Levels above 5 switch on none.
//   0: none; 1: IO; 2: ZORBEL, IO; 3: PROTOCOL, ZORBEL, IO;
//   4: HTTP, PROTOCOL, ZORBEL, IO; 5: every module except SYSTEM.
void ApplyDebugLevel(unsigned Level);

// The debug transport's callback: writes Line into the log under the
// channel's ID. Control characters other than tab, in the ID and the line,
// are written by name ("[CR]", "[LF]") so that text a client sent can
// never start a log line of its own.
void DebugCustom(const VXB::Types::Date& date, const VXB::Types::Time& time, unsigned Module,
                 const char* ID, const char* Line);
// Copies s into Out (Size bytes, always terminated, cut to fit) with the
// control characters named as DebugCustom writes them; the length written.
unsigned EscapeControls(const char* s, char* Out, unsigned Size);

// The packet protocol's event callback; the bridge has nothing to do on
// events.
void EventHandler(VXP::CommunicationsProtocol::Events e);

class Service : public VXB::Service {
 public:
  // Milliseconds between two looks at the stop flag while serving: a stop
  // is acted on within a second, and an idle bridge wakes rarely. (A stop
  // also reaches a running exchange only through this look.)
  static constexpr unsigned STOP_POLL_MS = 1000;
  // Milliseconds the front end is kept after its server has stopped, before
  // it is deleted and the body returns: a controller still sending its
  // answer to an exchange the stop aborted gets to finish it before the
  // port is closed (with the service object, soon after).
  static constexpr unsigned STOP_GRACE_MS = 1000;

  // Takes the service's name and description from Params and registers the
  // base library's and the protocol's error codes. The front end comes
  // from Factory (the HTTP server unless told otherwise).
  explicit Service(const ConfigParams& Params, FrontEndFactory Factory = MakeHTTPFrontEnd);
  ~Service() override;

  bool ServiceBody(unsigned argc, const char* const* argv, const std::atomic<bool>& Stop) override;
  // AutomaticStart of the configuration begins with y, Y, s or S.
  bool AutomaticStart() override;

  const ConfigParams& GetConfig() const { return Config; }
  VXB::SerialPort& GetSerial() { return Serial; }

 private:
  void SetUpDebug();

  VXB::SerialPort Serial;
  std::unique_ptr<FrontEnd> HTTP;
  ConfigParams Config;
  FrontEndFactory Factory;
};

}  // namespace Zorbel

#endif  // APP_ZORBEL_SERVICE_H_
