// What the platform layers' serial_port.cc share: the line settings a port
// opens with, the context of "no port" errors and the speeds a port knows.
#ifndef VXB_COMMON_SERIAL_PORT_INTERNAL_H_
#define VXB_COMMON_SERIAL_PORT_INTERNAL_H_

#include "vxb/common/serial_port.h"

namespace VXB::SerialPortInternal {

inline constexpr const char* kNoPort = "No hay puerto especificado";

// 115200 bits per second, 8 data bits, no parity, 1 stop bit, XON/XOFF
// both ways.
SerialPort::SerialParams DefaultParams();

// Bits per second of a speed, 0 for one the ports do not support.
unsigned SpeedOf(SerialPort::BaudRates b);
// The speed of a number of bits per second, BAUDRATE_INVALID when none.
SerialPort::BaudRates RateOf(unsigned Bps);

}  // namespace VXB::SerialPortInternal

#endif  // VXB_COMMON_SERIAL_PORT_INTERNAL_H_
