// Serial ports and pseudo-terminals as byte-stream drivers. Implemented per
// platform (src/vxb/<platform>/serial_port.cc, pseudo_terminal.cc).
//
// SerialPort is the driver of a serial line to a device (the fiscal
// controller). It is opened by port number or by name:
//   - "COM3", "com3", "\\.\COM3" and "3" all name port 3, the platform's
//     third serial port (DevicePathForPort tells which device that is);
//     GetPortNumber() then gives 3.
//   - Any other name is the platform's name of a device and is opened as
//     given. GetPortNumber() then gives 0. Names are not limited in length
//     beyond MAX_DEVICE_NAME.
// The port is opened exclusively: a second opener, in this process or
// another, is refused while it is open; a holder that dies, however it dies,
// leaves the device free for the next opener.
//
// On opening, the line is set to 115200 bits per second, 8 data bits, no
// parity, one stop bit and XON/XOFF flow control in both directions;
// callers set their own parameters with SetSerialParams afterwards.
// Close() puts back the settings the device had when Open() found it.
//
// Reads, writes and Abort() keep the driver contract of driver.h, with
// SYSTEM_ABORTED_PROCESS for an abort. A read or write that fails on the
// device (the device went away, an I/O error, the far end hung up) resets
// the port: it is closed, a USB serial gadget is restarted, the device is
// opened again and the line settings last applied are applied again; the
// failing call still reports IO_READ_ERROR or IO_WRITE_ERROR. Writes wait as
// long as it takes (their time-out is not used).
//
// A USB serial gadget (USB vendor 0x0525, product 0xA4A7) is recognised when
// the port is opened; when it cannot be opened, the USB device is restarted
// once and the opening tried again.
//
// Thread safety: one thread at a time reads, writes, opens, closes and sets
// parameters; Abort() may be called from any thread at any time.
//
// PseudoTerminal is the other end of such a line for emulators and tests: it
// creates a new pseudo-terminal and is a driver over its master side, with
// the same read, write, time-out and abort rules as SerialPort. A SerialPort
// opened with SlavePath() talks to it. Same thread-safety rules.
#ifndef VXB_COMMON_SERIAL_PORT_H_
#define VXB_COMMON_SERIAL_PORT_H_

#include <memory>

#include "vxb/common/base/simple_string.h"
#include "vxb/common/base/types.h"
#include "vxb/common/io/driver.h"

namespace VXB {

struct SerialPortData;
struct PseudoTerminalData;

class SerialPort : public Driver::Generic {
 public:
  enum BaudRates {
    BAUDRATE_50 = 1,
    BAUDRATE_75 = 2,
    BAUDRATE_110 = 3,
    BAUDRATE_134_5 = 4,
    BAUDRATE_150 = 5,
    BAUDRATE_200 = 6,
    BAUDRATE_300 = 7,
    BAUDRATE_600 = 8,
    BAUDRATE_1200 = 9,
    BAUDRATE_1800 = 10,
    BAUDRATE_2400 = 11,
    BAUDRATE_3600 = 12,
    BAUDRATE_4800 = 13,
    BAUDRATE_7200 = 14,
    BAUDRATE_9600 = 15,
    BAUDRATE_14400 = 16,
    BAUDRATE_19200 = 17,
    BAUDRATE_38400 = 18,
    BAUDRATE_57600 = 19,
    BAUDRATE_115200 = 20,
    BAUDRATE_230400 = 21,
    BAUDRATE_460800 = 22,
    BAUDRATE_INVALID = 23,
  };

  // A platform may not tell one and a half stop bits from two; reading back
  // then gives STOP_1_5 for 5-bit words and STOP_2 otherwise.
  enum StopBitsValues { STOP_1 = 1, STOP_1_5 = 2, STOP_2 = 3 };

  enum ParityModes {
    PARITYMODE_NONE = 0,
    PARITYMODE_EVEN = 1,
    PARITYMODE_ODD = 2,
    PARITYMODE_MARK = 3,
    PARITYMODE_SPACE = 4,
  };

  enum WordLengths {
    INVALID_WORD_LENGTH = 0,
    WORD_LENGTH_5 = 5,
    WORD_LENGTH_6 = 6,
    WORD_LENGTH_7 = 7,
    WORD_LENGTH_8 = 8,
  };

  // A platform that has no separate switch for a flag applies the nearest
  // one it has, or ignores the flag (the platform layer says which).
  enum FlowControlFlags {
    FLOW_NONE = 0,
    FLOW_XONXOFF_RX = 1,
    FLOW_XONXOFF_TX = 2,
    FLOW_RTSCTS_RX = 3,
    FLOW_RTSCTS_TX = 4,
    FLOW_DSRDTR_RX = 5,
    FLOW_DSRDTR_TX = 6,
  };

  // A set of FlowControlFlags: flag f (1 to 6) is bit f-1. FLOW_NONE is the
  // empty set and is present in every set.
  class FlowControlSet {
   public:
    FlowControlSet() = default;
    void Clear() { bits_ = 0; }
    void Set(FlowControlFlags f) {
      if (f != FLOW_NONE) bits_ |= Bit(f);
    }
    void Reset(FlowControlFlags f) { bits_ &= ~Bit(f); }
    bool Has(FlowControlFlags f) const { return f == FLOW_NONE || (bits_ & Bit(f)) != 0; }
    bool IsEmpty() const { return bits_ == 0; }
    Types::uint32 Bits() const { return bits_; }
    void SetBits(Types::uint32 b) { bits_ = b & 0x3Fu; }
    bool operator==(const FlowControlSet& o) const { return bits_ == o.bits_; }

   private:
    static Types::uint32 Bit(FlowControlFlags f) {
      return (f >= FLOW_XONXOFF_RX && f <= FLOW_DSRDTR_TX) ? (1u << (f - 1)) : 0u;
    }
    Types::uint32 bits_ = 0;
  };

  // Line parameters. The constructor empties FlowControl; the other four
  // fields are for the caller to set.
  struct SerialParams {
    SerialParams() = default;
    BaudRates BaudRate = BAUDRATE_INVALID;
    StopBitsValues StopBits = STOP_1;
    ParityModes Parity = PARITYMODE_NONE;
    WordLengths WordLength = INVALID_WORD_LENGTH;
    FlowControlSet FlowControl;
  };

  // Longest device name accepted by Open(const char*).
  static constexpr unsigned MAX_DEVICE_NAME = 4095;

  SerialPort();
  ~SerialPort() override;

  // Opens port PortNumber (1 and up): the device DevicePathForPort names.
  [[nodiscard]] bool Open(unsigned PortNumber);
  // Opens a port by name (see the top of this file). An empty name gives
  // IO_OPEN_ERROR "No hay puerto especificado"; a device that cannot be
  // opened, or is open elsewhere, IO_OPEN_ERROR "Can't open %s: reason"
  // (the system's reason: no such device, in use, no permission, not a
  // terminal...). An open port is closed first.
  [[nodiscard]] bool Open(const char* Device);
  // The port number while open (0 when opened by device path), else
  // 0xFFFFFFFF.
  unsigned GetPortNumber() const;
  // The device path in use (or last used); "" before the first Open.
  const char* GetDeviceName() const;
  bool OK() const override;
  // Puts back the line settings found at Open() and closes the device;
  // nothing happens when already closed. Reads and writes on a closed port
  // fail with IO_NOT_OPEN.
  void Close();

  // Applies S to the line. An unsupported speed, word length, parity or
  // stop-bits value gives IO_PARAM_ERROR and changes nothing; a device that
  // refuses the settings is closed. The settings applied are remembered and
  // applied again whenever the port is reset.
  [[nodiscard]] bool SetSerialParams(SerialParams& S);
  // Reads the line's settings back. FlowControl is always reported empty;
  // a speed without a row in the table gives BAUDRATE_INVALID.
  [[nodiscard]] bool GetSerialParams(SerialParams* S);

  // The speed table, both ways. Supported: 110, 300, 600, 1200, 2400, 4800,
  // 9600, 14400, 19200, 38400, 57600, 115200, 230400 bits per second.
  static bool GetBaudRate(double Value, BaudRates& b);
  static bool GetBaudRate(BaudRates b, double& Value);

  // Not supported: always false.
  bool CreateVirtualPort(unsigned PortNumber, const char* Name);
  bool CreateFromUSBPort(unsigned PortNumber);

  // Ends the read or write that is waiting now, or else the next one that
  // has to wait (from any thread; see driver.h).
  bool Abort() override;

  // Name forms: true with Port set when Name is "COMn", "comn", "\\.\COMn"
  // or "n" with n from 1 to MAX_PORT_NUMBER.
  static constexpr unsigned MAX_PORT_NUMBER = 4096;
  static bool PortNumberFromName(const char* Name, unsigned& Port);
  // The device path that Open(const char*) uses for Name: the platform's
  // device of port n for the port-number forms, else Name itself.
  static SimpleString DevicePathForName(const char* Name);
  static SimpleString DevicePathForPort(unsigned Port);

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;
  bool WriteByteImplementation(Byte b, unsigned Timeout) override;
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;
  bool ReadByteImplementation(Byte& b, unsigned Timeout) override;
  // Bytes waiting in the device's input queue; 0 when closed.
  unsigned PeekImplementation() override;

 private:
  bool OpenComm();
  bool ResetComm();
  bool ApplyParams(const SerialParams& S, bool Remember);
  bool EnsureOpen(const char* Operation);

  std::unique_ptr<SerialPortData> data;
};

using SerialParams = SerialPort::SerialParams;

// A new pseudo-terminal: the driver reads and writes its master side; the
// slave side (SlavePath()) is the "serial port" the other party opens. The
// slave side is set to raw mode (no echo, no line editing, no character
// translation) and stays usable while parties open and close it.
class PseudoTerminal : public Driver::Generic {
 public:
  PseudoTerminal();
  ~PseudoTerminal() override;

  // Creates a new pseudo-terminal (an open one is closed first). Failure:
  // IO_OPEN_ERROR.
  [[nodiscard]] bool Open();
  // Closes the master side: a party that has the slave open sees the line
  // hang up. Nothing happens when already closed.
  void Close();
  bool OK() const override;
  // The device path of the slave side, "" while closed.
  const char* SlavePath() const;
  // The line settings the slave side has now (as a party set them with
  // SerialPort::SetSerialParams); same rules as SerialPort::GetSerialParams.
  [[nodiscard]] bool GetPeerSerialParams(SerialParams* S) const;
  // Ends the read or write that is waiting now (from any thread).
  bool Abort() override;

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned PeekImplementation() override;

 private:
  std::unique_ptr<PseudoTerminalData> data_;
};

}  // namespace VXB

#endif  // VXB_COMMON_SERIAL_PORT_H_
