// The bridge's service body.
#include "app/zorbel_service.h"

#include "app/console_text.h"
#include "vxb/common/base/no_destructor.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"
#include "vxb/common/runtime/system.h"
#include "vxp/vxp_debug_modules.h"
#include "vxp/vxp_errno.h"

namespace Zorbel {

namespace {

constexpr const char* MODULE_STARTUP = "zorbel";
constexpr const char* MODULE_SERVICE = "ServiceClass";

struct LevelRow {
  unsigned Level;
  VXB::Debug::Modules Modules[4];
  unsigned Count;
};

// Levels 1 to 4; level 5 is every module but SYSTEM.
constexpr LevelRow LEVELS[] = {
    {1, {VXB::Debug::IO}, 1},
    {2, {VXP::Debug::ZORBEL, VXB::Debug::IO}, 2},
    {3, {VXP::Debug::PROTOCOL, VXP::Debug::ZORBEL, VXB::Debug::IO}, 3},
    {4, {VXB::Debug::HTTP, VXP::Debug::PROTOCOL, VXP::Debug::ZORBEL, VXB::Debug::IO}, 4},
};

// The error record as "description (context)", the way start-up failures
// are shown.
void LogLastError(const char* Module, const char* Prefix) {
  const VXB::Error::ErrInfo e = VXB::Error::GetCurrent();
  VXB::Log::WriteWithModule(Module, "%s%s (%s)", Prefix, e.Description, e.Context);
}

}  // namespace

void ApplyDebugLevel(unsigned Level) {
  VXB::Debug::Control::DisableAllModules();
  if (Level == 5) {
    VXB::Debug::Control::EnableAllModules();
    VXB::Debug::Control::DisableModule(VXB::Debug::SYSTEM);
    return;
  }
  for (const LevelRow& row : LEVELS) {
    if (row.Level != Level) continue;
    for (unsigned i = 0; i < row.Count; ++i) VXB::Debug::Control::EnableModule(row.Modules[i]);
  }
}

unsigned EscapeControls(const char* s, char* Out, unsigned Size) {
  if (Out == nullptr || Size == 0) return 0;
  unsigned n = 0;
  for (; s != nullptr && *s != '\0'; ++s) {
    char name[8];
    unsigned length = *s == '\t' ? 0 : VXB::Debug::GetASCII(name, *s);
    if (length == 0) {
      name[0] = *s;
      length = 1;
    }
    if (n + length >= Size) break;  // never half a name
    for (unsigned i = 0; i < length; ++i) Out[n++] = name[i];
  }
  Out[n] = '\0';
  return n;
}

void DebugCustom(const VXB::Types::Date&, const VXB::Types::Time&, unsigned, const char* ID,
                 const char* Line) {
  char id[4 * (VXB::Debug::MAX_ID + 1)];
  char line[VXB::Log::LINE_BUFFER_SIZE];
  EscapeControls(ID, id, sizeof id);
  EscapeControls(Line, line, sizeof line);
  VXB::Log::WriteWithModule(id, "%s", line);
}

void EventHandler(VXP::CommunicationsProtocol::Events) {}

Service::Service(const ConfigParams& Params, FrontEndFactory Factory)
    : VXB::Service(Params.ServiceName.c_str(), Params.ServiceDescription.c_str()),
      Config(Params),
      Factory(Factory != nullptr ? Factory : MakeHTTPFrontEnd) {
  VXB::Error::Init();
  VXP::Error::Init();
}

Service::~Service() {
  if (HTTP) {
    HTTP->Stop();
    HTTP->WaitStopped();
    HTTP.reset();
  }
}

bool Service::AutomaticStart() { return IsAutomaticStart(Config); }

void Service::SetUpDebug() {
  VXB::Debug::Init();
  VXP::Debug::Init();
  VXB::Debug::Control::Init();
  // Installed for the rest of the process: debug lines may come from any
  // thread until the very end.
  static VXB::NoDestructor<VXB::Debug::TransportCustom> transport;
  transport->SetCallback(DebugCustom);
  transport->Enable(true);
  VXB::Debug::Control::SetCurrentTransport(transport.get());
  ApplyDebugLevel(Config.LogLevel);
}

bool Service::ServiceBody(unsigned, const char* const*, const std::atomic<bool>& Stop) {
  VXB::Log::WriteWithModule(MODULE_STARTUP,
                            "puerto_http_local %u puerto_serie_local %s velocidad %f loglevel %u",
                            static_cast<unsigned>(Config.HTTPPort), Config.SerialPortName.c_str(),
                            Config.IntendedBauds, static_cast<unsigned>(Config.LogLevel));

  VXB::SerialPort::BaudRates rate = VXB::SerialPort::BAUDRATE_INVALID;
  if (!CheckConfiguration(Config, rate)) {
    VXB::Log::WriteWithModule(MODULE_STARTUP, "%s", VXB::Error::GetCurrent().Context);
    return false;
  }

  SetUpDebug();

  // "COM3", "3", a device path or a pseudo-terminal: the port's own naming.
  if (!Serial.Open(Config.SerialPortName.c_str())) {
    const VXB::Error::ErrInfo e = VXB::Error::GetCurrent();
    ConsoleErrorPrint("%s (%s)\n", e.Description, e.Context);
    LogLastError(MODULE_STARTUP, "");
    return false;
  }
  VXB::SerialParams params;
  params.BaudRate = rate;
  params.StopBits = VXB::SerialPort::STOP_1;
  params.Parity = VXB::SerialPort::PARITYMODE_NONE;
  params.WordLength = VXB::SerialPort::WORD_LENGTH_8;
  params.FlowControl.Clear();
  // A line at the wrong speed would garble every exchange: not a place to
  // go on from.
  if (!Serial.SetSerialParams(params)) {
    LogLastError(MODULE_SERVICE, "SerialParams: ");
    Serial.Close();
    return false;
  }

  HTTP = Factory(Config, "zorbel");
  if (!HTTP || !HTTP->Start(Serial, EventHandler)) {
    if (!HTTP) {
      VXB::Error::SetWithContext(VXB::Error::SYSTEM_OUT_OF_MEMORY, "HTTP");
    }
    LogLastError(MODULE_SERVICE, "HTTP: ");
    HTTP.reset();
    Serial.Close();
    return false;
  }
  VXB::Log::WriteWithModule(MODULE_SERVICE, "Serial %s to HTTP %u...",
                            Config.SerialPortName.c_str(), static_cast<unsigned>(Config.HTTPPort));
  VXB::Service::ReportReady();

  while (!Stop.load()) VXB::System::Sleep(STOP_POLL_MS);

  VXB::Log::WriteWithModule(MODULE_SERVICE, "Stopping service...");
  VXB::Service::ReportStopping();
  HTTP->Stop();
  HTTP->WaitStopped();
  VXB::System::Sleep(STOP_GRACE_MS);
  HTTP.reset();
  VXB::Log::WriteWithModule(MODULE_SERVICE, "Service stopped");
  return true;
}

}  // namespace Zorbel
