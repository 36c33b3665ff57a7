// The settings table of proxyconfig.xml and the start-up checks.
#include "app/config_params.h"

#include <algorithm>
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
    {"AllowedHosts", "AllowedHosts [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.AllowedHosts = t; }},
    {"AllowedOrigins", "AllowedOrigins [%s]\n",
     [](const std::string& t, ConfigParams& c) { c.AllowedOrigins = t; }},
    {"MaxConnections", "MaxConnections [%s]\n",
     [](const std::string& t, ConfigParams& c) {
       c.MaxConnections = VXB::ASCII::FromDecimalUnsigned(t.c_str());
     }},
    {"JournalSize", "JournalSize [%s]\n",
     [](const std::string& t, ConfigParams& c) {
       c.JournalSize = VXB::ASCII::FromDecimalUnsigned(t.c_str());
     }},
};

bool IsNameChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
         c == '.' || c == '_';
}

bool IsHostName(std::string_view s) {
  return !s.empty() && s.size() <= 253 && std::all_of(s.begin(), s.end(), IsNameChar);
}

// "http://" or "https://", a host name or bracketed address, an optional
// port; no path, no trailing slash.
bool IsOrigin(std::string_view s) {
  for (const std::string_view scheme : {"http://", "https://"}) {
    if (s.size() <= scheme.size() ||
        !VXB::ASCII::EqualsIgnoringCase(s.substr(0, scheme.size()), scheme))
      continue;
    std::string_view rest = s.substr(scheme.size());
    if (rest.front() == '[') {
      const std::size_t close = rest.find(']');
      if (close == std::string_view::npos) return false;
      rest = rest.substr(close + 1);
      return rest.empty() || (rest.size() <= 6 && rest.front() == ':');
    }
    const std::size_t colon = rest.find(':');
    if (colon != std::string_view::npos) {
      const std::string_view port = rest.substr(colon + 1);
      if (port.empty() || port.size() > 5 ||
          !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
      rest = rest.substr(0, colon);
    }
    return IsHostName(rest);
  }
  return false;
}

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

std::vector<std::string> SplitList(std::string_view Text) {
  std::vector<std::string> items;
  while (!Text.empty()) {
    const std::size_t comma = Text.find(',');
    const std::string_view item = Trim(Text.substr(0, comma));
    Text = comma == std::string_view::npos ? std::string_view() : Text.substr(comma + 1);
    if (!item.empty()) items.emplace_back(item);
  }
  return items;
}

bool CheckHostsAndOrigins(const ConfigParams& Config) {
  using VXB::Error::IO_PARAM_ERROR;
  for (const std::string& h : SplitList(Config.AllowedHosts)) {
    if (!IsHostName(h))
      return VXB::Error::SetWithContext(IO_PARAM_ERROR,
                                        "Nombre de AllowedHosts inv\xA0lido: \"%s\"", h.c_str());
  }
  const std::vector<std::string> origins = SplitList(Config.AllowedOrigins);
  for (const std::string& o : origins) {
    if ((o == "*" && origins.size() == 1) || IsOrigin(o)) continue;
    return VXB::Error::SetWithContext(IO_PARAM_ERROR,
                                      "Origen de AllowedOrigins inv\xA0lido: \"%s\"", o.c_str());
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
  if (!ParseAllowedClients(Config.AllowedClients, rules) || !CheckHostsAndOrigins(Config))
    return false;
  if (Config.MaxConnections == 0 || Config.MaxConnections > 1000) {
    return VXB::Error::SetWithContext(IO_PARAM_ERROR, "MaxConnections %u no es v\xA0lido",
                                      static_cast<unsigned>(Config.MaxConnections));
  }
  return true;
}

}  // namespace Zorbel
