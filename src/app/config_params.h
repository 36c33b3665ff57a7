// The bridge's settings: defaults, the elements of proxyconfig.xml that
// change them, and the checks the service body makes before it starts.
//
// Texts are in the internal character set. Values taken from the file are
// trimmed of surrounding blanks (spaces, tabs, line ends).
//
// Thread safety: plain values; the functions keep no state.
#ifndef APP_CONFIG_PARAMS_H_
#define APP_CONFIG_PARAMS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vxb/common/io/serial_port.h"

namespace Zorbel {

struct ConfigParams {
  // The controller's serial port: "COM3", "3", a device path such as
  // /dev/ttyUSB0, or a pseudo-terminal's path.
  std::string SerialPortName;
  std::uint32_t HTTPPort = 80;
  double IntendedBauds = 9600.0;
  std::uint32_t LogLevel = 0;
  // Starts with y, Y, s or S: the installed service starts with the system.
  std::string AutomaticStart = "y";
  std::string ServiceName = "Vardex Zorbel";
  std::string ServiceDescription = "Conversor de HTTP a protocolo empaquetado Vardex";
  // Client address rules for the HTTP server's access control, separated
  // by commas (see ClientRule); empty lets every client in.
  std::string AllowedClients;
  // Host names the server answers to besides IP literals, "localhost" and
  // the machine's own name, separated by commas. A request addressed to
  // any other name is refused (421).
  std::string AllowedHosts;
  // Web origins ("https://pos.example.com") whose pages may send commands,
  // separated by commas, or "*" for every origin; empty allows no page of
  // another origin.
  std::string AllowedOrigins;
  // Open client connections at most; a new one beyond is answered 503.
  std::uint32_t MaxConnections = 64;
  // The answer journal: the directory of its two files (the log's; empty:
  // kept in memory only) and the size of each file in bytes.
  std::string JournalDirectory;
  std::uint32_t JournalSize = 4u << 20;
};

// The non-empty items of a comma-separated list, trimmed.
std::vector<std::string> SplitList(std::string_view Text);

// Checks AllowedHosts (names of letters, digits, '-', '.', '_') and
// AllowedOrigins ("*" alone, or "http://" or "https://" with a host and an
// optional port, nothing after); false with IO_PARAM_ERROR ("Nombre de
// AllowedHosts inv\xA0lido: \"%s\"", "Origen de AllowedOrigins inv\xA0lido:
// \"%s\"") for the first item that is not.
bool CheckHostsAndOrigins(const ConfigParams& Config);

// One rule of AllowedClients: an IPv4 address ("192.168.1.5") or network
// block ("192.168.1.0/24"), optionally preceded by '!' to refuse it
// instead. Rules are tried in order and the first block that holds the
// client's address decides; a client that no rule holds is refused.
struct ClientRule {
  std::string Block;  // "a.b.c.d" or "a.b.c.d/len", blanks removed
  bool Allow = true;
};

// Splits AllowedClients into its rules. False with IO_PARAM_ERROR ("Regla
// de AllowedClients inv\xA0lida: \"%s\"") for a rule that is not a block
// of four numbers 0-255 with an optional prefix length 0-32; empty items
// are skipped.
bool ParseAllowedClients(std::string_view Text, std::vector<ClientRule>& Rules);

// The settings an element of the file changes.
enum class ConfigElement {
  SERIAL_PORT,
  BAUD_RATE,
  HTTP_PORT,
  DEBUG_LEVEL,
  AUTOMATIC_START,
  SERVICE_NAME,
  SERVICE_DESCRIPTION,
  ALLOWED_CLIENTS,
  ALLOWED_HOSTS,
  ALLOWED_ORIGINS,
  MAX_CONNECTIONS,
  JOURNAL_SIZE,
};

// Applies the text of the element Name (compared without regard to case)
// to Config and prints the element's echo line ("SerialPort [%s]" and so
// on) on the console. False, with nothing changed or printed, for any
// other name.
bool ApplyConfigElement(std::string_view Name, std::string_view Text, ConfigParams& Config);

// The value of s without surrounding blanks.
std::string_view Trim(std::string_view s);

// True when the service should start with the system.
bool IsAutomaticStart(const ConfigParams& Config);

// The start-up checks, in order: the speed must be one of the serial
// port's table ("Velocidad %s no es v\xA0lida"), the serial port must be
// named ("Se debe configurar el nombre del puerto serie"), the HTTP port
// must be 1..65535 ("Se debe configurar el puerto HTTP" for 0, "Puerto
// HTTP %u no es v\xA0lido" above 65535), AllowedClients must parse,
// AllowedHosts and AllowedOrigins must pass CheckHostsAndOrigins,
// MaxConnections must be 1..1000 ("MaxConnections %u no es v\xA0lido"). The
// first failing check's message
// is recorded as IO_PARAM_ERROR's context and false returned; Rate is set
// when the speed passes.
bool CheckConfiguration(const ConfigParams& Config, VXB::SerialPort::BaudRates& Rate);

// The speed as the start-up log line writes it ("%f").
std::string SpeedText(double Bauds);

}  // namespace Zorbel

#endif  // APP_CONFIG_PARAMS_H_
