// The USB serial gadget through sysfs: the terminal's "device" link leads to
// the USB interface (or, for usb-serial drivers, the port below it); the USB
// device directory above it carries idVendor, idProduct, busnum, devnum and
// the "authorized" switch.
#include "vxb/posix/gadget_tools.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include "vxb/common/io/serial_port.h"

namespace VXB::GadgetTools {

namespace {

constexpr unsigned kMaxParentLevels = 3;
constexpr std::size_t kMaxAttribute = 64;

// The first line of a small sysfs attribute; false when it cannot be read.
bool ReadAttribute(const std::string& Path, std::string& Out) {
  int fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[kMaxAttribute];
  ssize_t n = read(fd, buf, sizeof(buf) - 1);
  close(fd);
  if (n < 0) return false;
  std::string_view text(buf, static_cast<std::size_t>(n));
  std::size_t end = text.find_first_of("\r\n");
  Out.assign(text.substr(0, end));
  return true;
}

bool ReadNumber(const std::string& Path, int Base, unsigned& Out) {
  std::string text;
  if (!ReadAttribute(Path, text) || text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  unsigned long v = strtoul(text.c_str(), &end, Base);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v > 0xFFFFFFFFul) return false;
  Out = static_cast<unsigned>(v);
  return true;
}

bool WriteAttribute(const std::string& Path, const char* Value) {
  int fd = open(Path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return false;
  std::size_t len = std::strlen(Value);
  bool ok = write(fd, Value, len) == static_cast<ssize_t>(len);
  return close(fd) == 0 && ok;
}

// The terminal's name: the last part of the device path once symbolic links
// (such as /dev/serial/by-id/...) are followed.
std::string TerminalName(const char* Device) {
  std::string path(Device);
  if (char* real = realpath(Device, nullptr); real != nullptr) {
    path = real;
    free(real);
  }
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SafeName(const std::string& Name) {
  return !Name.empty() && Name != "." && Name != ".." && Name.find('/') == std::string::npos;
}

bool ResetThroughUsbfs(const UsbDevice& U, const Roots& R) {
  if (U.Bus == 0 || U.Device == 0 || U.Bus > 999 || U.Device > 999) return false;
  char node[32];
  std::snprintf(node, sizeof(node), "/bus/usb/%03u/%03u", U.Bus, U.Device);
  std::string path = std::string(R.Dev) + node;
  int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ioctl(fd, USBDEVFS_RESET, 0) == 0;
  close(fd);
  return ok;
}

bool ResetThroughAuthorized(const UsbDevice& U) {
  std::string path = std::string(U.Directory.c_str()) + "/authorized";
  return WriteAttribute(path, "0") && WriteAttribute(path, "1");
}

}  // namespace

bool FindUsbDevice(const char* Device, UsbDevice& Out, const Roots& R) {
  if (Device == nullptr || *Device == '\0' || R.Sysfs == nullptr) return false;
  std::string name = TerminalName(Device);
  if (!SafeName(name)) return false;
  std::string dir = std::string(R.Sysfs) + "/class/tty/" + name + "/device";
  for (unsigned level = 0; level <= kMaxParentLevels; ++level, dir += "/..") {
    unsigned vendor = 0;
    unsigned product = 0;
    if (!ReadNumber(dir + "/idVendor", 16, vendor) ||
        !ReadNumber(dir + "/idProduct", 16, product)) {
      continue;
    }
    Out = UsbDevice();
    Out.Vendor = vendor;
    Out.Product = product;
    if (!ReadNumber(dir + "/busnum", 10, Out.Bus)) Out.Bus = 0;
    if (!ReadNumber(dir + "/devnum", 10, Out.Device)) Out.Device = 0;
    Out.Directory = dir.c_str();
    return true;
  }
  return false;
}

bool IsGadgetSerialDevice(const char* Device, const Roots& R) {
  UsbDevice u;
  return FindUsbDevice(Device, u, R) && u.Vendor == GADGET_VENDOR && u.Product == GADGET_PRODUCT;
}

bool ResetGadgetSerialDevice(const char* Device, const Roots& R) {
  UsbDevice u;
  if (!FindUsbDevice(Device, u, R) || u.Vendor != GADGET_VENDOR || u.Product != GADGET_PRODUCT) {
    return false;
  }
  if (!ResetThroughUsbfs(u, R) && !ResetThroughAuthorized(u)) return false;
  if (R.SettleMilliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(R.SettleMilliseconds));
  }
  return true;
}

bool IsGadgetSerialPort(unsigned nPort) {
  if (nPort == 0) return false;
  return IsGadgetSerialDevice(SerialPort::DevicePathForPort(nPort).c_str());
}

bool ResetGadgetSerialPort(unsigned nPort) {
  if (nPort == 0) return false;
  return ResetGadgetSerialDevice(SerialPort::DevicePathForPort(nPort).c_str());
}

}  // namespace VXB::GadgetTools
