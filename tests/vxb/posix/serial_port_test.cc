#include "vxb/common/io/serial_port.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/runtime/error.h"
#include "vxb/posix/serial_line.h"

namespace {

using VXB::PseudoTerminal;
using VXB::SerialPort;
using VXB::Constants::WAIT_FOREVER;
using Clock = std::chrono::steady_clock;

constexpr auto kGenerous = std::chrono::seconds(5);

unsigned LastErr() { return VXB::Error::GetLastError()->Error; }
std::string LastContext() { return VXB::Error::GetLastError()->Context; }

SerialPort::SerialParams Params(SerialPort::BaudRates b, SerialPort::WordLengths w,
                                SerialPort::ParityModes p, SerialPort::StopBitsValues s) {
  SerialPort::SerialParams r;
  r.BaudRate = b;
  r.WordLength = w;
  r.Parity = p;
  r.StopBits = s;
  return r;
}

void ExpectSameLine(const SerialPort::SerialParams& got, const SerialPort::SerialParams& want) {
  EXPECT_EQ(got.BaudRate, want.BaudRate);
  EXPECT_EQ(got.WordLength, want.WordLength);
  EXPECT_EQ(got.Parity, want.Parity);
  EXPECT_EQ(got.StopBits, want.StopBits);
}

// Pseudo-terminals keep 8-bit words without parity whatever is asked (the
// kernel forces it); speed and stop bits are what can be seen on them.
void ExpectSameOnPty(const SerialPort::SerialParams& got, const SerialPort::SerialParams& want) {
  EXPECT_EQ(got.BaudRate, want.BaudRate);
  EXPECT_EQ(got.StopBits,
            want.StopBits == SerialPort::STOP_1 ? SerialPort::STOP_1 : SerialPort::STOP_2);
}

// Calls Abort until the operation running in f has ended (one call is
// enough by the driver contract; more do no harm).
template <typename T>
T AbortUntilDone(VXB::Driver::Generic& d, std::future<T>& f) {
  const auto limit = Clock::now() + kGenerous;
  while (f.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    if (Clock::now() > limit) ADD_FAILURE() << "operation not ended by Abort";
    d.Abort();
  }
  return f.get();
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VXB::Error::Init();
    char pattern[] = "/tmp/zorbel_serial_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_TRUE(pty_.Open());
    ASSERT_TRUE(port_.Open(pty_.SlavePath())) << LastContext();
  }
  void TearDown() override {
    port_.Close();
    std::filesystem::remove_all(dir_);
  }

  // Line without flow control, so every byte value passes.
  void BinaryLine() {
    auto p = Params(SerialPort::BAUDRATE_9600, SerialPort::WORD_LENGTH_8,
                    SerialPort::PARITYMODE_NONE, SerialPort::STOP_1);
    ASSERT_TRUE(port_.SetSerialParams(p)) << LastContext();
  }

  // Waits, with a generous limit, until d has bytes to read.
  static bool WaitForBytes(VXB::Driver::Generic& d) {
    const auto limit = Clock::now() + kGenerous;
    while (d.Peek() == 0) {
      if (Clock::now() > limit) return false;
      std::this_thread::yield();
    }
    return true;
  }

  // Reads exactly n bytes from d with a generous limit.
  static std::string ReadN(VXB::Driver::Generic& d, unsigned n) {
    std::string out;
    while (out.size() < n) {
      VXB::Byte buf[256];
      unsigned want = n - static_cast<unsigned>(out.size());
      unsigned got = d.ReadBuffer(buf, want < sizeof(buf) ? want : sizeof(buf), 5000);
      if (got == 0) break;
      out.append(reinterpret_cast<char*>(buf), got);
    }
    return out;
  }

  std::string dir_;
  PseudoTerminal pty_;
  SerialPort port_;
};

TEST_F(SerialPortTest, OpensWithDefaultLine) {
  SerialPort::SerialParams got;
  ASSERT_TRUE(port_.GetSerialParams(&got));
  ExpectSameLine(got, Params(SerialPort::BAUDRATE_115200, SerialPort::WORD_LENGTH_8,
                             SerialPort::PARITYMODE_NONE, SerialPort::STOP_1));
  EXPECT_TRUE(got.FlowControl.IsEmpty());
  EXPECT_EQ(port_.GetPortNumber(), 0u);
  EXPECT_STREQ(port_.GetDeviceName(), pty_.SlavePath());
}

TEST_F(SerialPortTest, LineSettingsAppliedAndReadBack) {
  const SerialPort::SerialParams cases[] = {
      Params(SerialPort::BAUDRATE_9600, SerialPort::WORD_LENGTH_7, SerialPort::PARITYMODE_EVEN,
             SerialPort::STOP_1),
      Params(SerialPort::BAUDRATE_19200, SerialPort::WORD_LENGTH_8, SerialPort::PARITYMODE_ODD,
             SerialPort::STOP_2),
      Params(SerialPort::BAUDRATE_2400, SerialPort::WORD_LENGTH_5, SerialPort::PARITYMODE_NONE,
             SerialPort::STOP_1_5),
      Params(SerialPort::BAUDRATE_57600, SerialPort::WORD_LENGTH_6, SerialPort::PARITYMODE_MARK,
             SerialPort::STOP_1),
      Params(SerialPort::BAUDRATE_300, SerialPort::WORD_LENGTH_8, SerialPort::PARITYMODE_SPACE,
             SerialPort::STOP_2),
  };
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << "rate " << c.BaudRate << " word " << c.WordLength
                                    << " parity " << c.Parity << " stop " << c.StopBits);
    c.FlowControl.Set(SerialPort::FLOW_RTSCTS_TX);
    ASSERT_TRUE(port_.SetSerialParams(c)) << LastContext();
    SerialPort::SerialParams got, peer;
    ASSERT_TRUE(port_.GetSerialParams(&got));
    ASSERT_TRUE(pty_.GetPeerSerialParams(&peer));
    ExpectSameOnPty(got, c);
    ExpectSameOnPty(peer, c);
    EXPECT_TRUE(got.FlowControl.IsEmpty());
  }
}

struct SpeedRow {
  SerialPort::BaudRates Rate;
  double Bps;
};

constexpr SpeedRow kSupported[] = {
    {SerialPort::BAUDRATE_110, 110},       {SerialPort::BAUDRATE_300, 300},
    {SerialPort::BAUDRATE_600, 600},       {SerialPort::BAUDRATE_1200, 1200},
    {SerialPort::BAUDRATE_2400, 2400},     {SerialPort::BAUDRATE_4800, 4800},
    {SerialPort::BAUDRATE_9600, 9600},     {SerialPort::BAUDRATE_14400, 14400},
    {SerialPort::BAUDRATE_19200, 19200},   {SerialPort::BAUDRATE_38400, 38400},
    {SerialPort::BAUDRATE_57600, 57600},   {SerialPort::BAUDRATE_115200, 115200},
    {SerialPort::BAUDRATE_230400, 230400},
};

TEST_F(SerialPortTest, EverySupportedSpeedIsSetAndReadBack) {
  for (const SpeedRow& row : kSupported) {
    SCOPED_TRACE(row.Bps);
    SerialPort::BaudRates b = SerialPort::BAUDRATE_INVALID;
    EXPECT_TRUE(SerialPort::GetBaudRate(row.Bps, b));
    EXPECT_EQ(b, row.Rate);
    double v = 0;
    EXPECT_TRUE(SerialPort::GetBaudRate(row.Rate, v));
    EXPECT_EQ(v, row.Bps);

    auto p = Params(row.Rate, SerialPort::WORD_LENGTH_8, SerialPort::PARITYMODE_NONE,
                    SerialPort::STOP_1);
    ASSERT_TRUE(port_.SetSerialParams(p)) << LastContext();
    SerialPort::SerialParams got, peer;
    ASSERT_TRUE(port_.GetSerialParams(&got));
    ASSERT_TRUE(pty_.GetPeerSerialParams(&peer));
    EXPECT_EQ(got.BaudRate, row.Rate);
    EXPECT_EQ(peer.BaudRate, row.Rate);
  }
}

TEST_F(SerialPortTest, UnsupportedSpeedsAreRefusedAndChangeNothing) {
  auto before = Params(SerialPort::BAUDRATE_4800, SerialPort::WORD_LENGTH_8,
                       SerialPort::PARITYMODE_NONE, SerialPort::STOP_2);
  ASSERT_TRUE(port_.SetSerialParams(before));
  const SerialPort::BaudRates unsupported[] = {
      SerialPort::BAUDRATE_50,
      SerialPort::BAUDRATE_75,
      SerialPort::BAUDRATE_134_5,
      SerialPort::BAUDRATE_150,
      SerialPort::BAUDRATE_200,
      SerialPort::BAUDRATE_1800,
      SerialPort::BAUDRATE_3600,
      SerialPort::BAUDRATE_7200,
      SerialPort::BAUDRATE_460800,
      SerialPort::BAUDRATE_INVALID,
      static_cast<SerialPort::BaudRates>(0),
  };
  for (auto rate : unsupported) {
    SCOPED_TRACE(rate);
    double v = 1;
    EXPECT_FALSE(SerialPort::GetBaudRate(rate, v));
    EXPECT_EQ(v, 0.0);
    auto p =
        Params(rate, SerialPort::WORD_LENGTH_8, SerialPort::PARITYMODE_NONE, SerialPort::STOP_1);
    EXPECT_FALSE(port_.SetSerialParams(p));
    EXPECT_EQ(LastErr(), VXB::Error::IO_PARAM_ERROR);
    EXPECT_EQ(LastContext(), "Invalid BaudRate (" + std::to_string(rate) + ")");
  }
  for (double bps : {9601.0, 460800.0, 134.5, 0.0, -9600.0, 1e12}) {
    SerialPort::BaudRates b = SerialPort::BAUDRATE_9600;
    EXPECT_FALSE(SerialPort::GetBaudRate(bps, b)) << bps;
    EXPECT_EQ(b, SerialPort::BAUDRATE_INVALID);
  }
  SerialPort::SerialParams got;
  ASSERT_TRUE(port_.GetSerialParams(&got));
  ExpectSameOnPty(got, before);
  EXPECT_TRUE(port_.OK());
}

TEST_F(SerialPortTest, BadWordParityAndStopBitsAreRefused) {
  struct Case {
    SerialPort::SerialParams P;
    const char* Context;
  } cases[] = {
      {Params(SerialPort::BAUDRATE_9600, static_cast<SerialPort::WordLengths>(9),
              SerialPort::PARITYMODE_NONE, SerialPort::STOP_1),
       "Invalid WordLength (9)"},
      {Params(SerialPort::BAUDRATE_9600, SerialPort::INVALID_WORD_LENGTH,
              SerialPort::PARITYMODE_NONE, SerialPort::STOP_1),
       "Invalid WordLength (0)"},
      {Params(SerialPort::BAUDRATE_9600, SerialPort::WORD_LENGTH_8,
              static_cast<SerialPort::ParityModes>(5), SerialPort::STOP_1),
       "Invalid Parity (5)"},
      {Params(SerialPort::BAUDRATE_9600, SerialPort::WORD_LENGTH_8, SerialPort::PARITYMODE_NONE,
              static_cast<SerialPort::StopBitsValues>(0)),
       "Invalid StopBits (0)"},
  };
  for (auto& c : cases) {
    EXPECT_FALSE(port_.SetSerialParams(c.P));
    EXPECT_EQ(LastErr(), VXB::Error::IO_PARAM_ERROR);
    EXPECT_EQ(LastContext(), c.Context);
    SerialPort::SerialParams got;
    ASSERT_TRUE(port_.GetSerialParams(&got));
    EXPECT_EQ(got.BaudRate, SerialPort::BAUDRATE_115200);
    EXPECT_EQ(got.WordLength, SerialPort::WORD_LENGTH_8);
  }
}

TEST_F(SerialPortTest, EveryByteValuePassesBothWays) {
  BinaryLine();
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  const auto* bytes = reinterpret_cast<const VXB::Byte*>(all.data());
  ASSERT_EQ(port_.WriteBuffer(bytes, 256, WAIT_FOREVER), 256u);
  EXPECT_EQ(ReadN(pty_, 256), all);
  ASSERT_EQ(pty_.WriteBuffer(bytes, 256, WAIT_FOREVER), 256u);
  EXPECT_EQ(ReadN(port_, 256), all);
}

TEST_F(SerialPortTest, ReadReturnsWhatIsThereWithoutWaitingForMore) {
  ASSERT_TRUE(pty_.WriteString("abc", WAIT_FOREVER));
  VXB::Byte buf[10];
  unsigned got = port_.ReadBuffer(buf, sizeof(buf), WAIT_FOREVER);
  ASSERT_GE(got, 1u);
  ASSERT_LE(got, 3u);
  std::string text(reinterpret_cast<char*>(buf), got);
  text += ReadN(port_, 3 - got);
  EXPECT_EQ(text, "abc");
}

TEST_F(SerialPortTest, SilentLineTimesOut) {
  VXB::Byte b = 0;
  auto start = Clock::now();
  EXPECT_EQ(port_.ReadBuffer(&b, 1, 200), 0u);
  EXPECT_LT(Clock::now() - start, kGenerous);
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(LastContext(), "Timeout ovl reading from Serial Port");
  EXPECT_FALSE(port_.ReadByte(b, 150));
  EXPECT_EQ(LastErr(), 258u);
  // A quiet line is no failure: the port stays as it was.
  EXPECT_TRUE(port_.OK());
  ASSERT_TRUE(pty_.WriteString("z", WAIT_FOREVER));
  ASSERT_TRUE(port_.ReadByte(b, 5000));
  EXPECT_EQ(b, 'z');
}

TEST_F(SerialPortTest, ZeroTimeOutTakesOnlyWhatIsWaiting) {
  VXB::Byte b = 0;
  EXPECT_EQ(port_.ReadBuffer(&b, 1, 0), 0u);
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(LastContext(), "Timeout reading from Serial Port");
  EXPECT_TRUE(port_.OK());
  ASSERT_TRUE(pty_.WriteString("q", WAIT_FOREVER));
  ASSERT_TRUE(port_.ReadByte(b, 5000));  // wait for the byte to arrive ...
  ASSERT_TRUE(pty_.WriteString("rs", WAIT_FOREVER));
  ASSERT_TRUE(port_.ReadByte(b, 5000));
  EXPECT_EQ(b, 'r');
  EXPECT_EQ(port_.Peek(), 1u);
  ASSERT_TRUE(port_.ReadByte(b, 0));  // ... then a zero time-out takes it
  EXPECT_EQ(b, 's');
  EXPECT_EQ(port_.Peek(), 0u);
}

TEST_F(SerialPortTest, AbortEndsBlockedRead) {
  auto f = std::async(std::launch::async, [this] {
    VXB::Byte b;
    bool ok = port_.ReadByte(b, WAIT_FOREVER);
    return std::make_pair(ok, LastErr());
  });
  auto [ok, err] = AbortUntilDone(port_, f);
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, VXB::Error::SYSTEM_ABORTED_PROCESS);
  EXPECT_TRUE(port_.OK());
}

TEST_F(SerialPortTest, AbortEndsBlockedWrite) {
  BinaryLine();
  // Nobody reads the other end: the write fills every buffer and waits.
  std::vector<VXB::Byte> big(4 << 20, 'x');
  auto f = std::async(std::launch::async, [this, &big] {
    unsigned n = port_.WriteBuffer(big.data(), static_cast<unsigned>(big.size()), WAIT_FOREVER);
    return std::make_pair(n, LastErr());
  });
  auto [n, err] = AbortUntilDone(port_, f);
  EXPECT_LT(n, big.size());
  EXPECT_EQ(err, VXB::Error::SYSTEM_ABORTED_PROCESS);
}

TEST_F(SerialPortTest, AbortWhileIdleEndsOnlyTheNextWait) {
  BinaryLine();
  EXPECT_TRUE(port_.Abort());
  EXPECT_TRUE(port_.Abort());
  // Bytes that are there and writes that find room do not wait: the abort
  // stays for the first operation that does.
  ASSERT_TRUE(pty_.WriteString("k", WAIT_FOREVER));
  ASSERT_TRUE(WaitForBytes(port_));
  VXB::Byte b = 0;
  ASSERT_TRUE(port_.ReadByte(b, 5000)) << LastContext();
  EXPECT_EQ(b, 'k');
  EXPECT_TRUE(port_.WriteByte('m', WAIT_FOREVER));
  EXPECT_EQ(ReadN(pty_, 1), "m");
  EXPECT_FALSE(port_.ReadByte(b, WAIT_FOREVER));
  EXPECT_EQ(LastErr(), VXB::Error::SYSTEM_ABORTED_PROCESS);
  EXPECT_FALSE(port_.ReadByte(b, 50));
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
}

TEST_F(SerialPortTest, CloseRestoresTheLineFoundAtOpen) {
  port_.Close();
  SerialPort::SerialParams before;
  ASSERT_TRUE(pty_.GetPeerSerialParams(&before));
  ASSERT_TRUE(port_.Open(pty_.SlavePath())) << LastContext();
  auto changed =
      Params(before.BaudRate == SerialPort::BAUDRATE_1200 ? SerialPort::BAUDRATE_2400
                                                          : SerialPort::BAUDRATE_1200,
             SerialPort::WORD_LENGTH_8, SerialPort::PARITYMODE_NONE,
             before.StopBits == SerialPort::STOP_1 ? SerialPort::STOP_2 : SerialPort::STOP_1);
  ASSERT_TRUE(port_.SetSerialParams(changed));
  SerialPort::SerialParams during;
  ASSERT_TRUE(pty_.GetPeerSerialParams(&during));
  ExpectSameOnPty(during, changed);
  port_.Close();
  SerialPort::SerialParams after;
  ASSERT_TRUE(pty_.GetPeerSerialParams(&after));
  ExpectSameLine(after, before);
}

TEST_F(SerialPortTest, KilledHolderDoesNotLockThePseudoTerminal) {
  port_.Close();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Holds the port and dies without closing it, as when killed.
    SerialPort* held = new SerialPort;
    _exit(held->Open(pty_.SlavePath()) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(port_.Open(pty_.SlavePath())) << LastContext();
}

TEST_F(SerialPortTest, SecondOpenerIsRefused) {
  SerialPort other;
  EXPECT_FALSE(other.Open(pty_.SlavePath()));
  EXPECT_EQ(LastErr(), VXB::Error::IO_OPEN_ERROR);
  EXPECT_EQ(LastContext(),
            std::string("Can't open ") + pty_.SlavePath() + ": in use by another program");
  EXPECT_FALSE(other.OK());
  EXPECT_EQ(other.GetPortNumber(), 0xFFFFFFFFu);
  port_.Close();
  EXPECT_TRUE(other.Open(pty_.SlavePath())) << LastContext();
  EXPECT_FALSE(port_.Open(pty_.SlavePath()));
}

TEST_F(SerialPortTest, ResetAfterFarEndClosesKeepsLineSettings) {
  // The port is opened through a link, as with /dev/serial/by-id names; the
  // device behind it goes away and comes back as another terminal.
  std::string link = dir_ + "/controller";
  std::filesystem::create_symlink(pty_.SlavePath(), link);
  ASSERT_TRUE(port_.Open(link.c_str())) << LastContext();
  auto wanted = Params(SerialPort::BAUDRATE_14400, SerialPort::WORD_LENGTH_7,
                       SerialPort::PARITYMODE_EVEN, SerialPort::STOP_2);
  ASSERT_TRUE(port_.SetSerialParams(wanted));

  PseudoTerminal next;
  ASSERT_TRUE(next.Open());
  std::filesystem::remove(link);
  std::filesystem::create_symlink(dir_ + "/missing", link);
  pty_.Close();

  VXB::Byte b = 0;
  EXPECT_FALSE(port_.ReadByte(b, 5000));
  EXPECT_EQ(LastErr(), VXB::Error::IO_READ_ERROR);
  EXPECT_FALSE(port_.OK());  // the reopening found nothing
  EXPECT_FALSE(port_.ReadByte(b, 0));
  EXPECT_EQ(LastErr(), VXB::Error::IO_OPEN_ERROR);

  std::filesystem::remove(link);
  std::filesystem::create_symlink(next.SlavePath(), link);
  ASSERT_TRUE(next.WriteString("v", WAIT_FOREVER));
  ASSERT_TRUE(port_.ReadByte(b, 5000)) << LastContext();
  EXPECT_EQ(b, 'v');
  SerialPort::SerialParams peer;
  ASSERT_TRUE(next.GetPeerSerialParams(&peer));
  ExpectSameOnPty(peer, wanted);
}

TEST_F(SerialPortTest, LongDeviceNamesAreKept) {
  std::string link = dir_ + "/" + std::string(120, 'n');
  std::filesystem::create_symlink(pty_.SlavePath(), link);
  port_.Close();
  ASSERT_TRUE(port_.Open(link.c_str())) << LastContext();
  EXPECT_EQ(port_.GetDeviceName(), link);
}

TEST_F(SerialPortTest, MissingOrEmptyNamesFail) {
  SerialPort p;
  EXPECT_FALSE(p.Open(""));
  EXPECT_EQ(LastErr(), VXB::Error::IO_OPEN_ERROR);
  EXPECT_EQ(LastContext(), "No hay puerto especificado");
  EXPECT_FALSE(p.Open(static_cast<const char*>(nullptr)));
  EXPECT_EQ(LastContext(), "No hay puerto especificado");
  EXPECT_FALSE(p.Open(0u));
  EXPECT_EQ(LastContext(), "No hay puerto especificado");
  EXPECT_FALSE(p.Open((dir_ + "/none").c_str()));
  // The reason tells a missing device from one that is no terminal.
  EXPECT_EQ(LastContext(), "Can't open " + dir_ + "/none: No such file or directory");
  std::string regular = dir_ + "/plain";
  std::filesystem::create_directory(regular);
  EXPECT_FALSE(p.Open(regular.c_str()));
  EXPECT_EQ(LastErr(), VXB::Error::IO_OPEN_ERROR);
  EXPECT_EQ(LastContext(), "Can't open " + regular + ": Is a directory");
  EXPECT_FALSE(p.Open("/dev/null"));
  EXPECT_EQ(LastContext(), "Can't open /dev/null: not a terminal");
  VXB::Byte b;
  EXPECT_FALSE(p.ReadByte(b, 0));
  EXPECT_EQ(LastErr(), VXB::Error::IO_NOT_OPEN);
  EXPECT_EQ(p.Peek(), 0u);
}

// Every combination of word, parity and stop bits survives the way to the
// device's flag words and back, and no two combinations share flag words.
TEST(SerialLineFlags, WordParityAndStopBitsRoundTrip) {
  namespace Line = VXB::Posix::SerialLine;
  std::vector<Line::Flags> seen;
  for (int w = 5; w <= 8; ++w) {
    for (int p = 0; p <= 4; ++p) {
      for (int st = 1; st <= 3; ++st) {
        auto want = Params(SerialPort::BAUDRATE_14400, static_cast<SerialPort::WordLengths>(w),
                           static_cast<SerialPort::ParityModes>(p),
                           static_cast<SerialPort::StopBitsValues>(st));
        SCOPED_TRACE(testing::Message() << w << " " << p << " " << st);
        ASSERT_TRUE(Line::Check(want));
        Line::Flags f{0xFFFFFFFFu, 0xFFFFFFFFu, 0};
        Line::Encode(want, f);
        SerialPort::SerialParams got;
        Line::Decode(f, got);
        EXPECT_EQ(got.BaudRate, want.BaudRate);
        EXPECT_EQ(got.WordLength, want.WordLength);
        EXPECT_EQ(got.Parity, want.Parity);
        // One and a half stop bits exist only with 5-bit words.
        auto stop = want.StopBits;
        if (stop != SerialPort::STOP_1) {
          stop = w == 5 ? SerialPort::STOP_1_5 : SerialPort::STOP_2;
        }
        EXPECT_EQ(got.StopBits, stop);
        if (!((st == 2 && w != 5) || (st == 3 && w == 5))) {
          for (const auto& o : seen) {
            EXPECT_FALSE(o.Control == f.Control && o.Input == f.Input);
          }
          seen.push_back(f);
        }
      }
    }
  }
  // Flow control switches only its own input flags.
  SerialPort::SerialParams p = Params(SerialPort::BAUDRATE_9600, SerialPort::WORD_LENGTH_8,
                                      SerialPort::PARITYMODE_NONE, SerialPort::STOP_1);
  Line::Flags none{};
  Line::Encode(p, none);
  p.FlowControl.Set(SerialPort::FLOW_XONXOFF_RX);
  Line::Flags rx{};
  Line::Encode(p, rx);
  p.FlowControl.Set(SerialPort::FLOW_XONXOFF_TX);
  Line::Flags both{};
  Line::Encode(p, both);
  EXPECT_NE(none.Input, rx.Input);
  EXPECT_NE(rx.Input, both.Input);
  EXPECT_EQ(none.Control, both.Control);
}

TEST(SerialPortNames, NameFormsMapToDevices) {
  struct Case {
    const char* Name;
    unsigned Port;  // 0: not a port name
    const char* Path;
  } cases[] = {
      {"COM3", 3, "/dev/ttyS2"},
      {"com3", 3, "/dev/ttyS2"},
      {"Com12", 12, "/dev/ttyS11"},
      {"3", 3, "/dev/ttyS2"},
      {"1", 1, "/dev/ttyS0"},
      {"\\\\.\\COM7", 7, "/dev/ttyS6"},
      {"4096", 4096, "/dev/ttyS4095"},
      {"COM0", 0, "COM0"},
      {"0", 0, "0"},
      {"4097", 0, "4097"},
      {"COM", 0, "COM"},
      {"COM3a", 0, "COM3a"},
      {"COM-3", 0, "COM-3"},
      {" 3", 0, " 3"},
      {"\\\\.\\7", 0, "\\\\.\\7"},
      {"99999999999", 0, "99999999999"},
      {"/dev/ttyUSB0", 0, "/dev/ttyUSB0"},
      {"/dev/serial/by-id/usb-x-if00", 0, "/dev/serial/by-id/usb-x-if00"},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    unsigned port = 0;
    EXPECT_EQ(SerialPort::PortNumberFromName(c.Name, port), c.Port != 0);
    if (c.Port != 0) {
      EXPECT_EQ(port, c.Port);
    }
    EXPECT_STREQ(SerialPort::DevicePathForName(c.Name).c_str(), c.Path);
  }
  unsigned port = 0;
  EXPECT_FALSE(SerialPort::PortNumberFromName(nullptr, port));
}

TEST(SerialPortNames, NotSupportedOperations) {
  SerialPort p;
  EXPECT_FALSE(p.CreateVirtualPort(3, "x"));
  EXPECT_FALSE(p.CreateFromUSBPort(3));
  EXPECT_STREQ(p.ToString(), "SerialPort");
  EXPECT_EQ(p.GetPortNumber(), 0xFFFFFFFFu);
}

TEST(SerialParamsTest, FlowControlSet) {
  SerialPort::SerialParams p;
  EXPECT_TRUE(p.FlowControl.IsEmpty());
  EXPECT_TRUE(p.FlowControl.Has(SerialPort::FLOW_NONE));
  p.FlowControl.Set(SerialPort::FLOW_XONXOFF_RX);
  p.FlowControl.Set(SerialPort::FLOW_DSRDTR_TX);
  EXPECT_EQ(p.FlowControl.Bits(), 0x21u);
  EXPECT_TRUE(p.FlowControl.Has(SerialPort::FLOW_NONE));
  EXPECT_FALSE(p.FlowControl.Has(SerialPort::FLOW_XONXOFF_TX));
  p.FlowControl.Set(static_cast<SerialPort::FlowControlFlags>(7));
  EXPECT_EQ(p.FlowControl.Bits(), 0x21u);
}

}  // namespace
