// The serial port on Win32 communications. Without a device: the port
// names, the speed table and the failures of an absent port. With the
// environment variable ZORBEL_TEST_COM naming a port whose far end echoes
// every byte (scripts/test-windows.sh maps one onto a pseudo-terminal
// through Wine's dosdevices, scripts/pty-echo.py): the line settings,
// transfers, time-outs, Abort, and a line unplugged and put back.
#include "vxb/common/io/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <string_view>
#include <thread>

#include "vxb/common/runtime/error.h"
#include "vxb/windows/gadget_tools.h"

namespace {

using VXB::SerialPort;
using VXB::Constants::WAIT_FOREVER;
using Clock = std::chrono::steady_clock;

unsigned LastErr() { return VXB::Error::GetLastError()->Error; }
std::string LastContext() { return VXB::Error::GetLastError()->Context; }

TEST(SerialPortNamesTest, PortNumberFormsNameTheWin32Device) {
  struct Row {
    const char* Name;
    const char* Device;
    unsigned Port;  // 0: not a port-number form
  };
  const Row rows[] = {
      {"COM5", "\\\\.\\COM5", 5},
      {"com12", "\\\\.\\COM12", 12},
      {"\\\\.\\COM3", "\\\\.\\COM3", 3},
      {"7", "\\\\.\\COM7", 7},
      {"COM0", "COM0", 0},
      {"LPT1", "LPT1", 0},
      {"\\\\.\\LPT1", "\\\\.\\LPT1", 0},
      {"COM5x", "COM5x", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    EXPECT_EQ(std::string(SerialPort::DevicePathForName(r.Name).c_str()), r.Device);
    unsigned port = 0;
    EXPECT_EQ(SerialPort::PortNumberFromName(r.Name, port), r.Port != 0);
    if (r.Port != 0) {
      EXPECT_EQ(port, r.Port);
    }
  }
}

TEST(SerialPortNamesTest, DescriptionsGiveTheirPort) {
  struct Row {
    const char* Description;
    unsigned Port;
  };
  const Row rows[] = {
      {"Gadget Serial (COM7)", 7},
      {"USB Serial Device (COM12)", 12},
      {"Gadget Serial", 0},
      {"Gadget (COMx)", 0},
      {"Gadget (COM7", 0},
      {"(PORT) (COM3)", 0},
      {"", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Description);
    EXPECT_EQ(VXB::GadgetTools::PortOfDescription(r.Description), r.Port);
  }
}

TEST(SerialPortAbsentTest, OpeningFailsWithTheReason) {
  SerialPort port;
  EXPECT_FALSE(port.Open(""));
  EXPECT_EQ(LastErr(), VXB::Error::IO_OPEN_ERROR);
  EXPECT_EQ(LastContext(), "No hay puerto especificado");

  EXPECT_FALSE(port.Open(4000u));
  EXPECT_EQ(LastErr(), VXB::Error::IO_OPEN_ERROR);
  EXPECT_EQ(LastContext().rfind("Can't open \\\\.\\COM4000: ", 0), 0u) << LastContext();
  EXPECT_FALSE(port.OK());
  EXPECT_EQ(port.GetPortNumber(), 0xFFFFFFFFu);
  EXPECT_FALSE(VXB::GadgetTools::IsGadgetSerialPort(4000));

  VXB::Byte b = 0;
  EXPECT_FALSE(port.ReadByte(b, 10));
  EXPECT_EQ(LastErr(), VXB::Error::IO_NOT_OPEN);
}

// The port named by ZORBEL_TEST_COM, whose far end echoes; the tests that
// need it are skipped without it.
class EchoPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("ZORBEL_TEST_COM");
    if (name == nullptr || *name == '\0') GTEST_SKIP() << "ZORBEL_TEST_COM not set";
    ASSERT_TRUE(port_.Open(name)) << LastContext();
  }

  static SerialPort::SerialParams Line(SerialPort::BaudRates b) {
    SerialPort::SerialParams p;
    p.BaudRate = b;
    p.WordLength = SerialPort::WORD_LENGTH_8;
    p.Parity = SerialPort::PARITYMODE_NONE;
    p.StopBits = SerialPort::STOP_1;
    return p;
  }

  // What the far end answers to Text: all that arrives until the line has
  // been quiet for a moment.
  std::string Ask(std::string_view Text) {
    if (port_.WriteBuffer(reinterpret_cast<const VXB::Byte*>(Text.data()),
                          static_cast<unsigned>(Text.size()), 1000) != Text.size()) {
      return "write failed: " + LastContext();
    }
    std::string answer;
    VXB::Byte b = 0;
    while (port_.ReadByte(b, answer.empty() ? 5000 : 200)) answer.push_back(static_cast<char>(b));
    return answer;
  }

  SerialPort port_;
};

// The far end's commands (scripts/pty-echo.py): ENQ asks for the line
// settings the terminal has, SYN unplugs the line and a new terminal comes
// in under the same name.
constexpr std::string_view SETTINGS = "\x05";
constexpr std::string_view UNPLUG = "\x16";

TEST_F(EchoPortTest, OpensWithTheDefaultLineAndTakesEverySpeedOfTheTable) {
  SerialPort::SerialParams got;
  ASSERT_TRUE(port_.GetSerialParams(&got));
  EXPECT_EQ(got.BaudRate, SerialPort::BAUDRATE_115200);
  EXPECT_EQ(got.WordLength, SerialPort::WORD_LENGTH_8);
  EXPECT_EQ(got.Parity, SerialPort::PARITYMODE_NONE);
  EXPECT_EQ(got.StopBits, SerialPort::STOP_1);
  for (SerialPort::BaudRates b : {SerialPort::BAUDRATE_9600, SerialPort::BAUDRATE_19200,
                                  SerialPort::BAUDRATE_57600, SerialPort::BAUDRATE_230400}) {
    SerialPort::SerialParams line = Line(b);
    ASSERT_TRUE(port_.SetSerialParams(line)) << LastContext();
    ASSERT_TRUE(port_.GetSerialParams(&got));
    EXPECT_EQ(got.BaudRate, b);
  }
  SerialPort::SerialParams bad = Line(SerialPort::BAUDRATE_9600);
  bad.WordLength = static_cast<SerialPort::WordLengths>(9);
  EXPECT_FALSE(port_.SetSerialParams(bad));
  EXPECT_EQ(LastErr(), VXB::Error::IO_PARAM_ERROR);
  EXPECT_EQ(LastContext(), "Invalid WordLength (9)");
  EXPECT_TRUE(port_.OK());
}

TEST_F(EchoPortTest, BytesWrittenComeBack) {
  SerialPort::SerialParams line = Line(SerialPort::BAUDRATE_9600);
  ASSERT_TRUE(port_.SetSerialParams(line));
  const VXB::Byte packet[] = {0x02, 0x81, 0x2A, 0x1C, 0x30, 0x03, 0x30, 0x31, 0x41, 0x46};
  ASSERT_EQ(port_.WriteBuffer(packet, sizeof packet, 1000), sizeof packet);
  VXB::Byte back[sizeof packet] = {};
  unsigned got = 0;
  while (got < sizeof packet) {
    const unsigned n = port_.ReadBuffer(back + got, sizeof packet - got, 5000);
    ASSERT_GT(n, 0u) << LastContext();
    got += n;
  }
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), got),
            std::string(reinterpret_cast<const char*>(packet), sizeof packet));
}

TEST_F(EchoPortTest, AQuietLineTimesOut) {
  VXB::Byte b = 0;
  EXPECT_FALSE(port_.ReadByte(b, 0));
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(LastContext(), "Timeout reading from Serial Port");
  EXPECT_FALSE(port_.ReadByte(b, 200));
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(LastContext(), "Timeout ovl reading from Serial Port");
  EXPECT_TRUE(port_.OK());
}

TEST_F(EchoPortTest, AbortEndsAReadWithoutLimit) {
  auto read = std::async(std::launch::async, [this] {
    VXB::Byte b = 0;
    const bool got = port_.ReadByte(b, WAIT_FOREVER);
    return std::make_pair(got, LastErr());
  });
  // Abort is kept until a read consumes it, so one call is enough whether
  // the read has started waiting yet or not.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(port_.Abort());
  ASSERT_EQ(read.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  const auto [got, error] = read.get();
  EXPECT_FALSE(got);
  EXPECT_EQ(error, VXB::Error::SYSTEM_ABORTED_PROCESS);
  // The abort was consumed: the next read runs normally.
  VXB::Byte b = 0;
  EXPECT_FALSE(port_.ReadByte(b, 100));
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
}

// A USB adapter pulled out and put back: the read that finds the line gone
// fails as a read error, the port opens the name again, and the line comes
// back with the settings last applied rather than the driver's defaults.
TEST_F(EchoPortTest, AnUnpluggedLineIsReopenedWithTheSettingsLastApplied) {
  // A pseudo-terminal keeps eight bits without parity whatever it is asked;
  // its speed and stop bits show what was applied.
  SerialPort::SerialParams line = Line(SerialPort::BAUDRATE_19200);
  line.StopBits = SerialPort::STOP_2;
  ASSERT_TRUE(port_.SetSerialParams(line)) << LastContext();
  ASSERT_EQ(Ask(SETTINGS), "19200 8N2\n");

  ASSERT_EQ(port_.WriteBuffer(reinterpret_cast<const VXB::Byte*>(UNPLUG.data()), 1, 1000), 1u);
  VXB::Byte b = 0;
  EXPECT_FALSE(port_.ReadByte(b, 5000));
  EXPECT_EQ(LastErr(), VXB::Error::IO_READ_ERROR) << LastContext();

  EXPECT_EQ(Ask(SETTINGS), "19200 8N2\n");
  EXPECT_EQ(Ask("eco"), "eco");
  SerialPort::SerialParams got;
  ASSERT_TRUE(port_.GetSerialParams(&got));
  EXPECT_EQ(got.BaudRate, SerialPort::BAUDRATE_19200);
  EXPECT_EQ(got.StopBits, SerialPort::STOP_2);
}

}  // namespace
