#include "app/config_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/config_params.h"
#include "testing/scratch_dir.h"
#include "vxb/common/runtime/error.h"

namespace {

using Zorbel::ConfigParams;

ConfigParams Parse(const std::string& Document, bool* Ok = nullptr) {
  ConfigParams c;
  const bool ok = Zorbel::ForEachConfigElementIn(
      Document,
      [&c](std::string_view n, std::string_view t) { Zorbel::ApplyConfigElement(n, t, c); });
  if (Ok != nullptr) *Ok = ok;
  return c;
}

TEST(ConfigFileTest, ElementsAtAnyDepthInAnyCaseTrimmedLastWins) {
  ::testing::internal::CaptureStdout();
  const ConfigParams c = Parse(
      "<?xml version=\"1.0\"?>\n<!-- bridge -->\n<config a=\"x>y\">\n"
      " <serialport> COM4\t</serialport>\n <BAUDRATE>19200.0</BAUDRATE>\n"
      " <outer><inner><HttpPort> 8080 </HttpPort></inner></outer>\n"
      " <DebugLevel>3</DebugLevel><DebugLevel>7</DebugLevel>\n"
      " <AutomaticStart>n</AutomaticStart><ServiceName>Caja &amp; 1</ServiceName>\n"
      " <ServiceDescription><![CDATA[a<b]]></ServiceDescription>\n"
      " <AllowedClients> 127.0.0.1, 192.168.1.0/24 </AllowedClients><Unknown>9</Unknown>\n"
      "</config>\n");
  const std::string echo = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(c.SerialPortName, "COM4");
  EXPECT_EQ(c.IntendedBauds, 19200.0);
  EXPECT_EQ(c.HTTPPort, 8080u);
  EXPECT_EQ(c.LogLevel, 7u);
  EXPECT_EQ(c.AutomaticStart, "n");
  EXPECT_FALSE(Zorbel::IsAutomaticStart(c));
  EXPECT_EQ(c.ServiceName, "Caja & 1");
  EXPECT_EQ(c.ServiceDescription, "a<b");
  EXPECT_EQ(c.AllowedClients, "127.0.0.1, 192.168.1.0/24");
  EXPECT_NE(echo.find("SerialPort [COM4]\n"), std::string::npos) << echo;
  EXPECT_NE(echo.find("HTTPPort [8080]\n"), std::string::npos) << echo;
  EXPECT_NE(echo.find("ServideDescription [a<b]\n"), std::string::npos) << echo;
  EXPECT_EQ(echo.find("Unknown"), std::string::npos) << echo;
}

TEST(ConfigFileTest, ValueConversions) {
  const struct {
    const char* Document;
    double Bauds;
    unsigned Port;
    unsigned Level;
  } cases[] = {
      {"<SerialPort>COM4</SerialPort>", 9600.0, 80, 0},
      {"<c><BaudRate>9600</BaudRate><HttpPort>x</HttpPort></c>", 9600.0, 0, 0},
      {"<c><BaudRate>abc</BaudRate><HttpPort>99999999999</HttpPort></c>", 0.0, 0xFFFFFFFFu, 0},
      {"<c><BaudRate>9600.5</BaudRate><DebugLevel>-1</DebugLevel></c>", 9600.5, 80, 0xFFFFFFFFu},
      {"<c><HttpPort>65536</HttpPort><DebugLevel>2x</DebugLevel></c>", 9600.0, 65536, 2},
  };
  ::testing::internal::CaptureStdout();
  for (const auto& k : cases) {
    const ConfigParams c = Parse(k.Document);
    EXPECT_EQ(c.IntendedBauds, k.Bauds) << k.Document;
    EXPECT_EQ(c.HTTPPort, k.Port) << k.Document;
    EXPECT_EQ(c.LogLevel, k.Level) << k.Document;
  }
  ::testing::internal::GetCapturedStdout();
}

TEST(ConfigFileTest, CharacterSetsAndEntities) {
  ::testing::internal::CaptureStdout();
  // UTF-8 by default, Latin-1 when declared; both end in the internal set.
  EXPECT_EQ(Parse("<c><ServiceName>Caf\xC3\xA9</ServiceName></c>").ServiceName, "Caf\x82");
  EXPECT_EQ(Parse("\xEF\xBB\xBF<c><ServiceName>Caf&#233;</ServiceName></c>").ServiceName,
            "Caf\x82");
  EXPECT_EQ(Parse("<?xml version='1.0' encoding='ISO-8859-1'?><c><ServiceName>Caf\xE9"
                  "</ServiceName></c>")
                .ServiceName,
            "Caf\x82");
  // As in command documents, an entity that does not decode stays as written.
  EXPECT_EQ(Parse("<c><ServiceName>Caja &x; 1</ServiceName></c>").ServiceName, "Caja &x; 1");
  ::testing::internal::GetCapturedStdout();
}

TEST(ConfigFileTest, MalformedFileKeepsWhatCameBefore) {
  const char* broken[] = {
      "<c><SerialPort>COM2</SerialPort><HttpPort>81</Http>",
      "<c><SerialPort>COM2</SerialPort><HttpPort a=>81</HttpPort></c>",
      "<c><SerialPort>COM2</SerialPort><HttpPort>81",
      "<c><SerialPort>COM2</SerialPort></c>text",
      "<?xml version='1.0' encoding='EBCDIC'?><c><SerialPort>COM2</SerialPort></c>",
  };
  ::testing::internal::CaptureStdout();
  for (const char* d : broken) {
    bool ok = true;
    const ConfigParams c = Parse(d, &ok);
    EXPECT_FALSE(ok) << d;
    EXPECT_EQ(c.HTTPPort, 80u) << d;
    if (std::string(d).find("EBCDIC") == std::string::npos) {
      EXPECT_EQ(c.SerialPortName, "COM2") << d;
    }
  }
  const std::string echo = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(echo.find("HTTPPort"), std::string::npos) << echo;
}

TEST(ConfigFileTest, MissingFileLeavesTheDefaults) {
  const auto dir = Testing::MakeScratchDir("config");
  ConfigParams c;
  Zorbel::ReadConfiguration((dir / "proxyconfig.xml").string().c_str(), c);
  EXPECT_EQ(c.SerialPortName, "");
  EXPECT_EQ(c.HTTPPort, 80u);
  EXPECT_EQ(c.IntendedBauds, 9600.0);
  EXPECT_EQ(c.LogLevel, 0u);
  EXPECT_EQ(c.ServiceName, "Vardex Zorbel");
  EXPECT_TRUE(Zorbel::IsAutomaticStart(c));

  std::ofstream(dir / "proxyconfig.xml") << "<c><SerialPort>/dev/ttyUSB0</SerialPort></c>";
  ::testing::internal::CaptureStdout();
  Zorbel::ReadConfiguration((dir / "proxyconfig.xml").string().c_str(), c);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "SerialPort [/dev/ttyUSB0]\n");
  EXPECT_EQ(c.SerialPortName, "/dev/ttyUSB0");
}

TEST(ConfigCheckTest, StartUpChecksInOrder) {
  const struct {
    double Bauds;
    const char* Port;
    unsigned Http;
    const char* Message;  // null: passes
  } cases[] = {
      {9600.0, "COM1", 80, nullptr},
      {115200.0, "/dev/ttyUSB0", 65535, nullptr},
      {9600.5, "", 0, "Velocidad 9600.500000 no es v\xA0lida"},
      {0.0, "COM1", 80, "Velocidad 0.000000 no es v\xA0lida"},
      {9600.0, "", 80, "Se debe configurar el nombre del puerto serie"},
      {9600.0, "COM1", 0, "Se debe configurar el puerto HTTP"},
      {9600.0, "COM1", 65536, "Puerto HTTP 65536 no es v\xA0lido"},
      {9600.0, "COM1", 0xFFFFFFFFu, "Puerto HTTP 4294967295 no es v\xA0lido"},
  };
  for (const auto& k : cases) {
    ConfigParams c;
    c.IntendedBauds = k.Bauds;
    c.SerialPortName = k.Port;
    c.HTTPPort = k.Http;
    VXB::SerialPort::BaudRates rate = VXB::SerialPort::BAUDRATE_INVALID;
    EXPECT_EQ(Zorbel::CheckConfiguration(c, rate), k.Message == nullptr) << k.Bauds;
    if (k.Message != nullptr) {
      EXPECT_EQ(VXB::Error::GetLastError()->Error, VXB::Error::IO_PARAM_ERROR);
      EXPECT_STREQ(VXB::Error::GetLastError()->Context, k.Message);
    } else {
      double back = 0;
      ASSERT_TRUE(VXB::SerialPort::GetBaudRate(rate, back));
      EXPECT_EQ(back, k.Bauds);
    }
  }
}

}  // namespace

namespace {

TEST(AllowedClientsTest, RulesInOrderAndMalformedOnesRefused) {
  std::vector<Zorbel::ClientRule> rules;
  ASSERT_TRUE(Zorbel::ParseAllowedClients(" 192.168.1.5 , !0.0.0.0/0,, 10.1.0.0/16", rules));
  ASSERT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[0].Block, "192.168.1.5");
  EXPECT_TRUE(rules[0].Allow);
  EXPECT_EQ(rules[1].Block, "0.0.0.0/0");
  EXPECT_FALSE(rules[1].Allow);
  EXPECT_EQ(rules[2].Block, "10.1.0.0/16");
  ASSERT_TRUE(Zorbel::ParseAllowedClients("", rules));
  EXPECT_TRUE(rules.empty());
  for (const char* bad : {"192.168.1", "256.1.1.1", "10.0.0.0/33", "1.2.3.4/", "a.b.c.d",
                          "1.2.3.4.5", "-1.2.3.4", "1.2.3.4 5", "!"}) {
    EXPECT_FALSE(Zorbel::ParseAllowedClients(bad, rules)) << bad;
    EXPECT_TRUE(rules.empty()) << bad;
  }
  Zorbel::ConfigParams c;
  c.SerialPortName = "COM1";
  c.AllowedClients = "127.0.0.1, 192.168.1";
  VXB::SerialPort::BaudRates rate;
  EXPECT_FALSE(Zorbel::CheckConfiguration(c, rate));
  EXPECT_STREQ(VXB::Error::GetLastError()->Context,
               "Regla de AllowedClients inv\xA0lida: \"192.168.1\"");
}

TEST(FrontDoorConfigTest, HostsOriginsAndConnectionCap) {
  Zorbel::ConfigParams c;
  ASSERT_TRUE(Zorbel::ApplyConfigElement("allowedhosts", " caja.lan, ,pos-2 ", c));
  ASSERT_TRUE(Zorbel::ApplyConfigElement("AllowedOrigins", "https://pos.example.com", c));
  ASSERT_TRUE(Zorbel::ApplyConfigElement("MaxConnections", " 8 ", c));
  EXPECT_EQ(Zorbel::SplitList(c.AllowedHosts), (std::vector<std::string>{"caja.lan", "pos-2"}));
  EXPECT_EQ(c.MaxConnections, 8u);
  EXPECT_EQ(Zorbel::ConfigParams().MaxConnections, 64u);
  const struct {
    const char* hosts;
    const char* origins;
    unsigned cap;
    const char* message;  // nullptr: accepted
  } cases[] = {
      {"caja.lan", "https://pos.example.com, http://10.0.0.2:8080", 64, nullptr},
      {"", "*", 1, nullptr},
      {"", "http://[::1]:80", 1000, nullptr},
      {"caja lan", "", 64, "Nombre de AllowedHosts inv\xA0lido: \"caja lan\""},
      {"caja/lan", "", 64, "Nombre de AllowedHosts inv\xA0lido: \"caja/lan\""},
      {"", "https://pos.example.com/", 64,
       "Origen de AllowedOrigins inv\xA0lido: \"https://pos.example.com/\""},
      {"", "pos.example.com", 64, "Origen de AllowedOrigins inv\xA0lido: \"pos.example.com\""},
      {"", "*, https://a.b", 64, "Origen de AllowedOrigins inv\xA0lido: \"*\""},
      {"", "http://a:", 64, "Origen de AllowedOrigins inv\xA0lido: \"http://a:\""},
      {"", "", 0, "MaxConnections 0 no es v\xA0lido"},
      {"", "", 1001, "MaxConnections 1001 no es v\xA0lido"},
  };
  for (const auto& k : cases) {
    Zorbel::ConfigParams p;
    p.SerialPortName = "COM1";
    p.HTTPPort = 80;
    p.AllowedHosts = k.hosts;
    p.AllowedOrigins = k.origins;
    p.MaxConnections = k.cap;
    VXB::SerialPort::BaudRates rate;
    EXPECT_EQ(Zorbel::CheckConfiguration(p, rate), k.message == nullptr) << k.hosts << k.origins;
    if (k.message != nullptr) EXPECT_STREQ(VXB::Error::GetLastError()->Context, k.message);
  }
}

}  // namespace
