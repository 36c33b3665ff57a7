// Line settings of a terminal device (speed, word, parity, stop bits, flow
// control) in terms of SerialPort's parameters. Private to the platform
// layer. Speeds go through the termios2 interface, which takes any speed in
// bits per second (14400 has no classic constant).
//
// Termios has one switch for RTS/CTS: either RTSCTS flag turns on hardware
// flow control in both directions. DSR/DTR flow control is not available
// and is ignored. One and a half stop bits exist on the line only with
// 5-bit words (CSTOPB); with longer words the device sends two.
#ifndef VXB_POSIX_SERIAL_LINE_H_
#define VXB_POSIX_SERIAL_LINE_H_

#include "vxb/common/io/serial_port.h"

namespace VXB::Posix::SerialLine {

// The speed table: bits per second of b, 0 when b has no row.
unsigned SpeedOf(SerialPort::BaudRates b);
// The row of Bps, BAUDRATE_INVALID when none.
SerialPort::BaudRates RateOf(unsigned Bps);

// Checks every field of S against the tables; on the first bad one records
// IO_PARAM_ERROR ("Invalid BaudRate (%d)", "Invalid WordLength (%d)",
// "Invalid Parity (%d)", "Invalid StopBits (%d)") and returns false.
bool Check(const SerialPort::SerialParams& S);

// The settings' part of a device's flag words (Linux termios2 layout),
// shown here so that their mapping can be checked without a device.
struct Flags {
  unsigned Input = 0;    // c_iflag
  unsigned Control = 0;  // c_cflag
  unsigned Speed = 0;    // c_ospeed = c_ispeed
};
// Replaces the bits S governs (S passed Check); other bits stay.
void Encode(const SerialPort::SerialParams& S, Flags& F);
// As Read does, from F.
void Decode(const Flags& F, SerialPort::SerialParams& S);

// Reads the device's settings (false with Errno when it is no terminal).
bool Probe(int Fd, int& Errno);
// Raw binary line with S (which passed Check) applied; false with Errno.
bool Apply(int Fd, const SerialPort::SerialParams& S, int& Errno);
// The device's settings; fields without a row in their table are left as
// they were in S, except BaudRate (BAUDRATE_INVALID). FlowControl: empty.
bool Read(int Fd, SerialPort::SerialParams& S, int& Errno);
// Raw binary line, the speed and word left as they are.
bool MakeRaw(int Fd, int& Errno);

// Every setting of a device as it was at one moment, so that it can be put
// back when the port is closed (the kernel's record, kept opaque here).
struct Snapshot {
  alignas(8) unsigned char Record[64];
  bool Valid = false;
};
// Takes S from the device (S.Valid false when it is no terminal).
bool Save(int Fd, Snapshot& S, int& Errno);
// Puts S back; nothing happens when S is not valid.
bool Restore(int Fd, const Snapshot& S, int& Errno);

}  // namespace VXB::Posix::SerialLine

#endif  // VXB_POSIX_SERIAL_LINE_H_
