// Recognising and restarting a USB serial gadget: a device that presents
// itself with USB vendor 0x0525 and product 0xA4A7 and appears as a serial
// port (typically /dev/ttyACM<n>). Such a device sometimes stops answering
// and cannot be opened until the USB device is restarted.
//
// A serial device is traced through the system's device tree (sysfs): the
// terminal <name> (the last part of the device path, after following
// symbolic links) has <sysfs>/class/tty/<name>/device, and the USB device
// that holds it is that directory or one of its first three parents that has
// idVendor and idProduct. A restart first asks the USB device file
// <dev>/bus/usb/BBB/DDD (bus and device numbers from busnum and devnum) for a
// USB port reset, and, when that fails, writes 0 and then 1 to the USB
// device's "authorized" attribute; then waits for the device to settle.
//
// Every function takes the roots of the trees, so that tests can use a made
// up tree. All functions are safe to call from any thread. Private to the
// platform layer.
#ifndef VXB_POSIX_GADGET_TOOLS_H_
#define VXB_POSIX_GADGET_TOOLS_H_

#include "vxb/common/base/simple_string.h"

namespace VXB::GadgetTools {

inline constexpr unsigned GADGET_VENDOR = 0x0525;
inline constexpr unsigned GADGET_PRODUCT = 0xA4A7;

struct Roots {
  const char* Sysfs = "/sys";
  const char* Dev = "/dev";
  // Wait after a successful restart, for the device to come back.
  unsigned SettleMilliseconds = 500;
};

// What the device tree says about the USB device behind a serial device.
struct UsbDevice {
  SimpleString Directory;  // the USB device's directory in the tree
  unsigned Vendor = 0;
  unsigned Product = 0;
  unsigned Bus = 0;     // 0 when unknown
  unsigned Device = 0;  // 0 when unknown
};

// Finds the USB device behind the serial device Device (a path or a bare
// terminal name such as "ttyACM0"); false when it is not a USB device or is
// unknown to the tree.
bool FindUsbDevice(const char* Device, UsbDevice& Out, const Roots& R = Roots());

// The serial device Device is a USB serial gadget.
bool IsGadgetSerialDevice(const char* Device, const Roots& R = Roots());
// Restarts the USB serial gadget behind Device; false when Device is no
// gadget or neither way of restarting worked.
bool ResetGadgetSerialDevice(const char* Device, const Roots& R = Roots());

// The same for serial port number nPort (the device of SerialPort::Open(n)).
bool IsGadgetSerialPort(unsigned nPort);
bool ResetGadgetSerialPort(unsigned nPort);

}  // namespace VXB::GadgetTools

#endif  // VXB_POSIX_GADGET_TOOLS_H_
