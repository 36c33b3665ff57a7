// SerialPort's portable part: port names and numbers, the speed table, the
// members that only forward to the platform's, and opening, closing and
// resetting a port over the platform's device primitives.
#include <cstring>
#include <string_view>

#include "vxb/common/io/serial_port.h"
#include "vxb/common/io/serial_port_internal.h"
#include "vxb/common/runtime/error.h"

namespace VXB {

namespace SerialPortInternal {

namespace {

using SP = SerialPort;

struct SpeedRow {
  SP::BaudRates Rate;
  unsigned Bps;
};

constexpr SpeedRow kSpeeds[] = {
    {SP::BAUDRATE_110, 110},       {SP::BAUDRATE_300, 300},     {SP::BAUDRATE_600, 600},
    {SP::BAUDRATE_1200, 1200},     {SP::BAUDRATE_2400, 2400},   {SP::BAUDRATE_4800, 4800},
    {SP::BAUDRATE_9600, 9600},     {SP::BAUDRATE_14400, 14400}, {SP::BAUDRATE_19200, 19200},
    {SP::BAUDRATE_38400, 38400},   {SP::BAUDRATE_57600, 57600}, {SP::BAUDRATE_115200, 115200},
    {SP::BAUDRATE_230400, 230400},
};

}  // namespace

SP::SerialParams DefaultParams() {
  SP::SerialParams p;
  p.BaudRate = SP::BAUDRATE_115200;
  p.StopBits = SP::STOP_1;
  p.Parity = SP::PARITYMODE_NONE;
  p.WordLength = SP::WORD_LENGTH_8;
  p.FlowControl.Set(SP::FLOW_XONXOFF_RX);
  p.FlowControl.Set(SP::FLOW_XONXOFF_TX);
  return p;
}

unsigned SpeedOf(SP::BaudRates b) {
  for (const SpeedRow& r : kSpeeds) {
    if (r.Rate == b) return r.Bps;
  }
  return 0;
}

SP::BaudRates RateOf(unsigned Bps) {
  for (const SpeedRow& r : kSpeeds) {
    if (r.Bps == Bps) return r.Rate;
  }
  return SP::BAUDRATE_INVALID;
}

}  // namespace SerialPortInternal

bool SerialPort::PortNumberFromName(const char* Name, unsigned& Port) {
  if (Name == nullptr) return false;
  std::string_view s(Name);
  if (s.substr(0, 4) == "\\\\.\\") s.remove_prefix(4);
  if (s.size() >= 3 && (s[0] == 'C' || s[0] == 'c') && (s[1] == 'O' || s[1] == 'o') &&
      (s[2] == 'M' || s[2] == 'm')) {
    s.remove_prefix(3);
  } else if (s.size() != std::strlen(Name)) {
    return false;  // "\\.\" only before COM
  }
  if (s.empty() || s.size() > 4) return false;
  unsigned n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (n < 1 || n > MAX_PORT_NUMBER) return false;
  Port = n;
  return true;
}

SimpleString SerialPort::DevicePathForName(const char* Name) {
  unsigned n = 0;
  if (PortNumberFromName(Name, n)) return DevicePathForPort(n);
  return SimpleString(Name != nullptr ? Name : "");
}

bool SerialPort::SetSerialParams(SerialParams& S) { return ApplyParams(S, true); }

bool SerialPort::GetBaudRate(double Value, BaudRates& b) {
  b = BAUDRATE_INVALID;
  if (!(Value >= 1.0 && Value <= 4294967295.0)) return false;
  const unsigned bps = static_cast<unsigned>(Value);
  if (static_cast<double>(bps) != Value) return false;
  b = SerialPortInternal::RateOf(bps);
  return b != BAUDRATE_INVALID;
}

bool SerialPort::GetBaudRate(BaudRates b, double& Value) {
  const unsigned bps = SerialPortInternal::SpeedOf(b);
  Value = static_cast<double>(bps);
  return bps != 0;
}

bool SerialPort::CreateVirtualPort(unsigned, const char*) { return false; }

bool SerialPort::CreateFromUSBPort(unsigned) { return false; }

bool SerialPort::ReadByteImplementation(Byte& b, unsigned Timeout) {
  return ReadBufferImplementation(&b, 1, Timeout) == 1;
}

bool SerialPort::WriteByteImplementation(Byte b, unsigned Timeout) {
  return WriteBufferImplementation(&b, 1, Timeout) == 1;
}

// ---------------------------------------------------------------------------
// Opening, closing and resetting, over the platform's device primitives.

using namespace SerialPortInternal;

bool SerialPort::Open(unsigned PortNumber) {
  Close();
  if (PortNumber == 0 || PortNumber > MAX_PORT_NUMBER) {
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", kNoPort);
  }
  Host::State(*data).Port = PortNumber;
  return Open(DevicePathForPort(PortNumber).c_str());
}

bool SerialPort::Open(const char* Device) {
  Close();
  PortState& s = Host::State(*data);
  if (Device == nullptr || *Device == '\0') {
    s.ComName = "";
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", kNoPort);
  }
  if (std::strlen(Device) > MAX_DEVICE_NAME) {
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't open %.64s...: name too long",
                                 Device);
  }
  unsigned n = 0;
  if (PortNumberFromName(Device, n)) {
    s.Port = n;
    s.ComName = DevicePathForPort(n);
  } else {
    // Opened by number (Open(unsigned)) or by a path that is not a port's.
    if (s.Port != 0 && DevicePathForPort(s.Port) != Device) s.Port = 0;
    s.ComName = Device;
  }
  s.IsGadgetUSB = Host::IsGadget(s);
  s.Debugger.Print("IsGadgetUSB %s", s.IsGadgetUSB ? "true" : "false");
  if (!OpenComm()) return false;
  Host::KeepFound(*data);
  s.WantOpen = true;
  ApplyParams(DefaultParams(), true);
  if (!OK()) return false;  // the device refused even the defaults
  return true;
}

unsigned SerialPort::GetPortNumber() const { return OK() ? Host::State(*data).Port : 0xFFFFFFFFu; }

const char* SerialPort::GetDeviceName() const { return Host::State(*data).ComName.c_str(); }

bool SerialPort::OK() const { return Host::IsOpen(*data); }

void SerialPort::Close() {
  Host::State(*data).WantOpen = false;
  // Best effort: a device that went away has nothing to restore.
  Host::RestoreAndClose(*data);
}

bool SerialPort::OpenComm() {
  PortState& s = Host::State(*data);
  const char* name = s.ComName.c_str();
  if (*name == '\0') return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", kNoPort);
  unsigned long err = 0;
  bool opened = Host::OpenDevice(*data, name, err);
  if (!opened && s.IsGadgetUSB) {
    s.Debugger.Print("Resteando USB Gadget");
    Host::ResetGadget(s);
    s.Debugger.Print("Intentando reapertura");
    opened = Host::OpenDevice(*data, name, err);
  }
  if (opened) opened = Host::FinishOpen(*data, err);
  if (!opened) {
    char why[128];
    Host::DescribeFailure(err, why, sizeof why);
    s.Debugger.Print("Error opening %s", name);
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't open %s: %s", name, why);
  }
  return true;
}

bool SerialPort::ResetComm() {
  Host::CloseDevice(*data);
  PortState& s = Host::State(*data);
  if (s.IsGadgetUSB) Host::ResetGadget(s);
  if (!OpenComm()) return false;
  // A reopened device may come back with its driver's defaults.
  if (s.HasApplied) return ApplyParams(s.Applied, false);
  return true;
}

bool SerialPort::EnsureOpen(const char* Operation) {
  if (Host::IsOpen(*data)) return true;
  if (!Host::State(*data).WantOpen) {
    return Error::SetWithContext(Error::IO_NOT_OPEN, "%s: serial port not open", Operation);
  }
  // A reset after an earlier failure could not reopen the device: try again.
  return ResetComm();
}

bool SerialPort::ApplyParams(const SerialParams& S, bool Remember) {
  unsigned long err = 0;
  switch (Host::ApplyLine(*data, S, err)) {
    case Host::LineResult::kUnreadable:
      Close();
      return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't GetCommState");
    case Host::LineResult::kInvalid:
      return false;
    case Host::LineResult::kRefused:
      Close();
      return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error setting serial params, ErrNo %lu",
                                   err);
    case Host::LineResult::kDone:
      break;
  }
  if (Remember) {
    PortState& s = Host::State(*data);
    s.Applied = S;
    s.HasApplied = true;
  }
  return true;
}

bool SerialPort::GetSerialParams(SerialParams* S) {
  if (S == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "GetSerialParams: no record");
  if (!Host::ReadLine(*data, *S)) {
    Close();
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't GetCommState");
  }
  return true;
}

unsigned SerialPort::ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) {
  if (size == 0) return 0;
  if (buf == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error reading: no buffer");
  if (!EnsureOpen("Read")) return 0;
  unsigned count = 0;
  unsigned long err = 0;
  if (Host::Read(*data, buf, size, Timeout, count, err)) return count;
  // A device that fails (a USB adapter pulled out...) is reopened at once,
  // so that the next read may find it back.
  PortState& s = Host::State(*data);
  s.Debugger.Print("Error reading %s, ErrNo %lu: reset", s.ComName.c_str(), err);
  ResetComm();
  Error::SetWithContext(Error::IO_READ_ERROR, "Error reading. ErrNo %lu", err);
  return 0;
}

unsigned SerialPort::WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) {
  if (size == 0) return 0;
  if (buf == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error writing: no buffer");
  if (!EnsureOpen("Write")) return 0;
  unsigned count = 0;
  unsigned long err = 0;
  if (Host::Write(*data, buf, size, count, err)) return count;
  PortState& s = Host::State(*data);
  s.Debugger.Print("Error writing %s, ErrNo %lu: reset", s.ComName.c_str(), err);
  ResetComm();
  Error::SetWithContext(Error::IO_WRITE_ERROR, "Error writing. ErrNo %lu", err);
  return count;
}

}  // namespace VXB
