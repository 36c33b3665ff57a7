// What the platform layers' serial_port.cc share: the line settings a port
// opens with, the context of "no port" errors, the speeds a port knows, the
// state every port keeps besides its device, and the primitives over the
// device that the shared opening, closing and reset (serial_port_common.cc)
// are built on.
#ifndef VXB_COMMON_SERIAL_PORT_INTERNAL_H_
#define VXB_COMMON_SERIAL_PORT_INTERNAL_H_

#include "vxb/common/base/simple_string.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/debug.h"

namespace VXB::SerialPortInternal {

inline constexpr const char* kNoPort = "No hay puerto especificado";

// 115200 bits per second, 8 data bits, no parity, 1 stop bit, XON/XOFF
// both ways.
SerialPort::SerialParams DefaultParams();

// Bits per second of a speed, 0 for one the ports do not support.
unsigned SpeedOf(SerialPort::BaudRates b);
// The speed of a number of bits per second, BAUDRATE_INVALID when none.
SerialPort::BaudRates RateOf(unsigned Bps);

// What a port keeps besides its device; each layer's SerialPortData
// derives from it.
struct PortState {
  // The port number, 0 when opened by a path that is no port's.
  unsigned Port = 0;
  SimpleString ComName{""};
  Debug::Debugger Debugger{Debug::IO, "Serial"};
  bool IsGadgetUSB = false;
  // Open was asked for and Close was not: a failed reset is retried by the
  // next read or write.
  bool WantOpen = false;
  bool HasApplied = false;
  SerialPort::SerialParams Applied;
};

// Primitives each platform layer provides over its own SerialPortData.
namespace Host {

PortState& State(SerialPortData& Data);
bool IsOpen(const SerialPortData& Data);

// Whether the port State names is a USB serial gadget, and its restart.
bool IsGadget(const PortState& State);
void ResetGadget(const PortState& State);

// Opens the device Name for use by this port alone and keeps its handle in
// Data; false with the system's error number in Err when it cannot.
bool OpenDevice(SerialPortData& Data, const char* Name, unsigned long& Err);
// What a device needs once opened (after a restart of a gadget, if one was
// needed); false with Err set, and the device closed, when it is unfit.
bool FinishOpen(SerialPortData& Data, unsigned long& Err);
// The reason of an opening's failure, for the error's context.
void DescribeFailure(unsigned long Err, char* Text, unsigned Size);

// Applies S to the device's line, keeping what S does not name (the XON
// and XOFF characters...) as the device has it; says how that ended.
enum class LineResult {
  kUnreadable,  // the port is closed or its settings cannot be read
  kInvalid,     // the settings are not supported (error recorded)
  kRefused,     // the device refused them; Err tells why
  kDone
};
LineResult ApplyLine(SerialPortData& Data, const SerialPort::SerialParams& S, unsigned long& Err);
// Reads the line settings into S; false when the port is closed or they
// cannot be read.
bool ReadLine(SerialPortData& Data, SerialPort::SerialParams& S);
// Reads into Buffer (Size > 0 bytes) within Timeout; Count is the number
// of bytes read. A time-out or an abort records its error and gives true
// with what came; false, with the system's error number in Err, when the
// device failed and needs a reset.
bool Read(SerialPortData& Data, Byte* Buffer, unsigned Size, unsigned Timeout, unsigned& Count,
          unsigned long& Err);
// Writes all of Buffer (Size > 0 bytes); Count is the number of bytes
// written. An abort records its error and gives true; false, with Err,
// when the device failed and needs a reset.
bool Write(SerialPortData& Data, const Byte* Buffer, unsigned Size, unsigned& Count,
           unsigned long& Err);
// Keeps the line settings the device has at opening, for Close().
void KeepFound(SerialPortData& Data);
// Closes the device, when open, as it is (before a reset).
void CloseDevice(SerialPortData& Data);
// Puts back the settings kept by KeepFound() and closes the device, when
// open.
void RestoreAndClose(SerialPortData& Data);

}  // namespace Host

}  // namespace VXB::SerialPortInternal

#endif  // VXB_COMMON_SERIAL_PORT_INTERNAL_H_
