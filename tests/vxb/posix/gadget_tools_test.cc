#include "vxb/posix/gadget_tools.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
namespace GT = VXB::GadgetTools;

void WriteFile(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << text;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A made-up device tree: a gadget behind ttyACM0 (tty -> interface -> USB
// device), another maker's adapter behind ttyUSB0 (tty -> port ->
// interface -> USB device), an on-board ttyS0 and a broken ttyACM5.
class GadgetToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zorbel_gadget_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    sys_ = root_ / "sys";
    dev_ = root_ / "dev";

    fs::path gadget = sys_ / "devices/pci0000:00/usb1/1-1";
    WriteFile(gadget / "idVendor", "0525\n");
    WriteFile(gadget / "idProduct", "a4a7\n");
    WriteFile(gadget / "busnum", "1\n");
    WriteFile(gadget / "devnum", "5\n");
    WriteFile(gadget / "authorized", "x\n");
    Link(gadget / "1-1:1.0", "ttyACM0");

    fs::path adapter = sys_ / "devices/pci0000:00/usb2/2-1";
    WriteFile(adapter / "idVendor", "0403\n");
    WriteFile(adapter / "idProduct", "6001\n");
    WriteFile(adapter / "authorized", "x\n");
    Link(adapter / "2-1:1.0/ttyUSB0", "ttyUSB0");

    Link(sys_ / "devices/platform/serial8250", "ttyS0");

    fs::path broken = sys_ / "devices/pci0000:00/usb3/3-1";
    WriteFile(broken / "idVendor", "zz25\n");
    WriteFile(broken / "idProduct", "a4a7\n");
    Link(broken / "3-1:1.0", "ttyACM5");

    WriteFile(dev_ / "ttyACM0", "");
    fs::create_directories(dev_ / "serial/by-id");
    fs::create_symlink(dev_ / "ttyACM0", dev_ / "serial/by-id/usb-Gadget_Serial-if00");

    roots_.Sysfs = sys_.c_str();
    roots_.Dev = dev_.c_str();
    roots_.SettleMilliseconds = 0;
  }
  void TearDown() override { fs::remove_all(root_); }

  void Link(const fs::path& DeviceDir, const char* Tty) {
    fs::create_directories(DeviceDir);
    fs::create_directories(sys_ / "class/tty" / Tty);
    fs::create_directory_symlink(DeviceDir, sys_ / "class/tty" / Tty / "device");
  }

  fs::path root_, sys_, dev_;
  GT::Roots roots_;
};

TEST_F(GadgetToolsTest, RecognisesTheGadgetOnly) {
  struct Case {
    std::string Device;
    bool Gadget;
  } cases[] = {
      {"/dev/ttyACM0", true},
      {"ttyACM0", true},
      {(dev_ / "serial/by-id/usb-Gadget_Serial-if00").string(), true},
      {"/dev/ttyUSB0", false},
      {"/dev/ttyS0", false},
      {"/dev/ttyACM5", false},
      {"/dev/ttyACM9", false},
      {"", false},
      {"/dev/..", false},
      {"/dev/", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GT::IsGadgetSerialDevice(c.Device.c_str(), roots_), c.Gadget) << c.Device;
  }
  EXPECT_FALSE(GT::IsGadgetSerialDevice(nullptr, roots_));
}

TEST_F(GadgetToolsTest, FindsTheUsbDeviceAboveTheTerminal) {
  GT::UsbDevice u;
  ASSERT_TRUE(GT::FindUsbDevice("/dev/ttyACM0", u, roots_));
  EXPECT_EQ(u.Vendor, 0x0525u);
  EXPECT_EQ(u.Product, 0xA4A7u);
  EXPECT_EQ(u.Bus, 1u);
  EXPECT_EQ(u.Device, 5u);
  EXPECT_EQ(fs::canonical(u.Directory.c_str()),
            fs::canonical(sys_ / "devices/pci0000:00/usb1/1-1"));

  ASSERT_TRUE(GT::FindUsbDevice("/dev/ttyUSB0", u, roots_));
  EXPECT_EQ(u.Vendor, 0x0403u);
  EXPECT_EQ(u.Product, 0x6001u);
  EXPECT_EQ(u.Bus, 0u);

  EXPECT_FALSE(GT::FindUsbDevice("/dev/ttyS0", u, roots_));
}

TEST_F(GadgetToolsTest, ResetFallsBackToTheAuthorizedSwitch) {
  // No USB device file under the fake /dev: the switch is used.
  EXPECT_TRUE(GT::ResetGadgetSerialDevice("/dev/ttyACM0", roots_));
  EXPECT_EQ(ReadFile(sys_ / "devices/pci0000:00/usb1/1-1/authorized"), "1");
}

TEST_F(GadgetToolsTest, ResetLeavesOtherDevicesAlone) {
  EXPECT_FALSE(GT::ResetGadgetSerialDevice("/dev/ttyUSB0", roots_));
  EXPECT_EQ(ReadFile(sys_ / "devices/pci0000:00/usb2/2-1/authorized"), "x\n");
  EXPECT_FALSE(GT::ResetGadgetSerialDevice("/dev/ttyACM9", roots_));
}

TEST_F(GadgetToolsTest, ResetFailsWhenNoWayWorks) {
  fs::remove(sys_ / "devices/pci0000:00/usb1/1-1/authorized");
  EXPECT_FALSE(GT::ResetGadgetSerialDevice("/dev/ttyACM0", roots_));
}

TEST(GadgetToolsPorts, PortZeroIsNoGadget) {
  EXPECT_FALSE(GT::IsGadgetSerialPort(0));
  EXPECT_FALSE(GT::ResetGadgetSerialPort(0));
}

}  // namespace
