// The settings table of proxyconfig.xml and the start-up checks.
#include "app/config_params.h"

#include <cstdio>
#include <cstdlib>

#include "app/console_text.h"
#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"

namespace Zorbel {

namespace {

using Setter = void (*)(const std::string& Text, ConfigParams& Config);

struct ElementRow {
  const char* Name;
  const char* Echo;  // one "%s" for the element's text as read
  Setter Apply;
};

// Element names are compared without regard to case; the first row that
// matches applies. The echo labels are the ones technicians know from the
// console, spelling included.
constexpr ElementRow ELEMENTS[] = {
    {"SerialPort", "SerialPort [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.SerialPortName = t; }},
    {"BaudRate", "BaudRate [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.IntendedBauds = std::atof(t.c_str()); }},
    {"HttpPort", "HTTPPort [%s]\n",
     [](const std::string& t, ConfigParams& c) {
       c.HTTPPort = VXB::ASCII::FromDecimalUnsigned(t.c_str());
     }},
    {"DebugLevel", "DebugLevel [%s]\n",
     [](const std::string& t, ConfigParams& c) {
       // Leading digits, 0 when none; a negative level is no level at all.
       const long level = std::atol(t.c_str());
       c.LogLevel = level < 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(level);
     }},
    {"AutomaticStart", "AutomaticStart [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.AutomaticStart = t; }},
    {"ServiceName", "ServiceName [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.ServiceName = t; }},
    {"ServiceDescription", "ServideDescription [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.ServiceDescription = t; }},
    {"AllowedClients", "AllowedClients [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.AllowedClients = t; }},
    {"JournalSize", "JournalSize [%s]\n",
     [](const std::string& t, ConfigParams& c) {
       c.JournalSize = VXB::ASCII::FromDecimalUnsigned(t.c_str());
     }},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Digits only, at most three, value up to Max.
bool SmallNumber(std::string_view s, unsigned Max) {
  if (s.empty() || s.size() > 3) return false;
  unsigned value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value <= Max;
}

bool IsBlock(std::string_view s) {
  const std::size_t slash = s.find('/');
  if (slash != std::string_view::npos) {
    if (!SmallNumber(s.substr(slash + 1), 32)) return false;
    s = s.substr(0, slash);
  }
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = s.find('.');
    if ((dot == std::string_view::npos) != (part == 3)) return false;
    if (!SmallNumber(s.substr(0, dot), 255)) return false;
    s = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
  }
  return true;
}

}  // namespace

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool ApplyConfigElement(std::string_view Name, std::string_view Text, ConfigParams& Config) {
  for (const ElementRow& row : ELEMENTS) {
    if (!VXB::ASCII::EqualsIgnoringCase(Name, row.Name)) continue;
    const std::string value(Trim(Text));
    row.Apply(value, Config);
    ConsolePrint(row.Echo, value.c_str());
    return true;
  }
  return false;
}

bool ParseAllowedClients(std::string_view Text, std::vector<ClientRule>& Rules) {
  Rules.clear();
  while (!Text.empty()) {
    const std::size_t comma = Text.find(',');
    std::string_view item = Trim(Text.substr(0, comma));
    Text = comma == std::string_view::npos ? std::string_view() : Text.substr(comma + 1);
    if (item.empty()) continue;
    ClientRule rule;
    if (item.front() == '!') {
      rule.Allow = false;
      item = Trim(item.substr(1));
    }
    if (!IsBlock(item)) {
      Rules.clear();
      const std::string bad(item);
      return VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                                        "Regla de AllowedClients inv\xA0lida: \"%s\"", bad.c_str());
    }
    rule.Block = std::string(item);
    Rules.push_back(rule);
  }
  return true;
}

bool IsAutomaticStart(const ConfigParams& Config) {
  if (Config.AutomaticStart.empty()) return false;
  const char c = Config.AutomaticStart[0];
  return c == 'y' || c == 'Y' || c == 's' || c == 'S';
}

std::string SpeedText(double Bauds) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", Bauds);
  return text;
}

bool CheckConfiguration(const ConfigParams& Config, VXB::SerialPort::BaudRates& Rate) {
  using VXB::Error::IO_PARAM_ERROR;
  if (!VXB::SerialPort::GetBaudRate(Config.IntendedBauds, Rate)) {
    return VXB::Error::SetWithContext(IO_PARAM_ERROR, "Velocidad %s no es v\xA0lida",
                                      SpeedText(Config.IntendedBauds).c_str());
  }
  if (Config.SerialPortName.empty()) {
    return VXB::Error::SetWithContext(IO_PARAM_ERROR,
                                      "Se debe configurar el nombre del puerto serie");
  }
  if (Config.HTTPPort == 0) {
    return VXB::Error::SetWithContext(IO_PARAM_ERROR, "Se debe configurar el puerto HTTP");
  }
  if (Config.HTTPPort > 65535) {
    return VXB::Error::SetWithContext(IO_PARAM_ERROR, "Puerto HTTP %u no es v\xA0lido",
                                      static_cast<unsigned>(Config.HTTPPort));
  }
  std::vector<ClientRule> rules;
  return ParseAllowedClients(Config.AllowedClients, rules);
}

}  // namespace Zorbel
