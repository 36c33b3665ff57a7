// The serial port over a terminal device. Port n is the device
// /dev/ttyS<n-1> (COM1 is /dev/ttyS0, the usual convention for the on-board
// ports); other names are device paths: /dev/ttyUSB0, /dev/ttyACM0,
// /dev/serial/by-id/usb-..., the slave path of a pseudo-terminal. A USB
// serial gadget is found and restarted through sysfs (gadget_tools.h). Line
// settings go through termios (serial_line.h). The descriptor is non-blocking;
// reads and writes wait with poll() on it and on an abort eventfd (see
// fd_wait.h), so a read returns the moment bytes arrive and Abort() from
// another thread ends a wait at once.
//
// Exclusive use is an flock() on the device: it keeps out every other
// SerialPort, root included, and the kernel drops it when the holder dies,
// however it dies. Real devices also get TIOCEXCL, which keeps out programs
// that do not take the lock. Pseudo-terminal slaves do not: their exclusive
// flag lives as long as the master side is open, so a client killed before
// it could lift the flag would lock every later client out until the master
// (an emulator) restarts.
//
// The line settings found at opening are put back at Close(), so that a
// terminal behind a wrong path is not left raw at another speed. The
// settings last applied are kept so that a reset (close and reopen after a
// failure) brings the line back as the caller left it.
#include "vxb/common/serial_port.h"
#include "vxb/common/serial_port_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstring>

#include "vxb/common/debug.h"
#include "vxb/common/error.h"
#include "vxb/posix/fd_wait.h"
#include "vxb/posix/gadget_tools.h"
#include "vxb/posix/serial_line.h"

namespace VXB {

struct SerialPortData {
  unsigned Port = 0;
  SimpleString ComName{""};
  int Fd = -1;
  Posix::AbortEvent AbortSignal;
  Debug::Debugger Debugger{Debug::IO, "Serial"};
  bool IsGadgetUSB = false;
  // Open was asked for and Close was not: a failed reset is retried by the
  // next read or write.
  bool WantOpen = false;
  bool HasApplied = false;
  SerialPort::SerialParams Applied;
  // The device's settings when Open() found it.
  Posix::SerialLine::Snapshot Found;
};

namespace {

using namespace SerialPortInternal;

// Unix 98 pseudo-terminal slaves (/dev/pts/N) have majors 136 to 143.
bool IsPseudoTerminalSlave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned m = major(st.st_rdev);
  return m >= 136 && m <= 143;
}

// Why an opening failed, for the error's context.
const char* Reason(int err, char* buf, std::size_t size) {
  switch (err) {
    case EWOULDBLOCK:
      return "in use by another program";
    case ENOTTY:
      return "not a terminal";
    default:
      break;
  }
  // GNU strerror_r may return a static text instead of filling buf.
  const char* text = strerror_r(err, buf, size);
  return text != nullptr ? text : "unknown error";
}

// Opens Path for exclusive use; -1 with Err set when it cannot be opened,
// is no terminal or is in use.
int OpenExclusive(const char* Path, int& Err) {
  int fd = open(Path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    Err = errno;
    return -1;
  }
  if (!Posix::SerialLine::Probe(fd, Err)) {
    close(fd);
    return -1;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    Err = errno;
    close(fd);
    return -1;
  }
  if (!IsPseudoTerminalSlave(fd)) ioctl(fd, TIOCEXCL);
  return fd;
}

void CloseExclusive(int fd) {
  // Lifts the exclusive mode for the next opener.
  ioctl(fd, TIOCNXCL);
  close(fd);
}

}  // namespace

SerialPort::SerialPort() : Driver::Generic("SerialPort"), data(new SerialPortData) {}

SerialPort::~SerialPort() { Close(); }

SimpleString SerialPort::DevicePathForPort(unsigned Port) {
  if (Port == 0) return SimpleString("");
  return SimpleString::FromFormat("/dev/ttyS%u", Port - 1);
}

bool SerialPort::Open(unsigned PortNumber) {
  Close();
  if (PortNumber == 0 || PortNumber > MAX_PORT_NUMBER) {
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", kNoPort);
  }
  data->Port = PortNumber;
  return Open(DevicePathForPort(PortNumber).c_str());
}

bool SerialPort::Open(const char* Device) {
  Close();
  if (Device == nullptr || *Device == '\0') {
    data->ComName = "";
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", kNoPort);
  }
  std::size_t len = std::strlen(Device);
  if (len > MAX_DEVICE_NAME) {
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't open %.64s...: name too long",
                                 Device);
  }
  unsigned n = 0;
  if (PortNumberFromName(Device, n)) {
    data->Port = n;
    data->ComName = DevicePathForPort(n);
  } else {
    // Opened by number (Open(unsigned)) or by a path that is not a port's.
    if (data->Port != 0 && DevicePathForPort(data->Port) != Device) data->Port = 0;
    data->ComName = Device;
  }
  data->IsGadgetUSB = GadgetTools::IsGadgetSerialDevice(data->ComName.c_str());
  data->Debugger.Print("IsGadgetUSB %s", data->IsGadgetUSB ? "true" : "false");
  if (!OpenComm()) return false;
  int err = 0;
  Posix::SerialLine::Save(data->Fd, data->Found, err);
  data->WantOpen = true;
  ApplyParams(DefaultParams(), true);
  if (!OK()) return false;  // the device refused even the defaults
  return true;
}

unsigned SerialPort::GetPortNumber() const { return OK() ? data->Port : 0xFFFFFFFFu; }

const char* SerialPort::GetDeviceName() const { return data->ComName.c_str(); }

bool SerialPort::OK() const { return data->Fd >= 0; }

void SerialPort::Close() {
  data->WantOpen = false;
  if (data->Fd >= 0) {
    int err = 0;
    // Best effort: a device that went away has nothing to restore.
    (void)Posix::SerialLine::Restore(data->Fd, data->Found, err);
    CloseExclusive(data->Fd);
    data->Fd = -1;
  }
}

bool SerialPort::OpenComm() {
  const char* name = data->ComName.c_str();
  if (*name == '\0') return Error::SetWithContext(Error::IO_OPEN_ERROR, "%s", kNoPort);
  int err = 0;
  int fd = OpenExclusive(name, err);
  if (fd < 0 && data->IsGadgetUSB) {
    data->Debugger.Print("Resteando USB Gadget");
    GadgetTools::ResetGadgetSerialDevice(name);
    data->Debugger.Print("Intentando reapertura");
    fd = OpenExclusive(name, err);
  }
  if (fd < 0) {
    char text[128];
    const char* why = Reason(err, text, sizeof text);
    data->Debugger.Print("Error opening %s", name);
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't open %s: %s", name, why);
  }
  data->Fd = fd;
  return true;
}

bool SerialPort::ResetComm() {
  if (data->Fd >= 0) {
    CloseExclusive(data->Fd);
    data->Fd = -1;
  }
  if (data->IsGadgetUSB) GadgetTools::ResetGadgetSerialDevice(data->ComName.c_str());
  if (!OpenComm()) return false;
  // A reopened device may come back with its driver's defaults.
  if (data->HasApplied) return ApplyParams(data->Applied, false);
  return true;
}

bool SerialPort::EnsureOpen(const char* Operation) {
  if (data->Fd >= 0) return true;
  if (!data->WantOpen) {
    return Error::SetWithContext(Error::IO_NOT_OPEN, "%s: serial port not open", Operation);
  }
  // A reset after an earlier failure could not reopen the device: try again.
  return ResetComm();
}

bool SerialPort::ApplyParams(const SerialParams& S, bool Remember) {
  int err = 0;
  if (data->Fd < 0 || !Posix::SerialLine::Probe(data->Fd, err)) {
    Close();
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't GetCommState");
  }
  if (!Posix::SerialLine::Check(S)) return false;
  if (!Posix::SerialLine::Apply(data->Fd, S, err)) {
    Close();
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error setting serial params, ErrNo %d",
                                 err);
  }
  if (Remember) {
    data->Applied = S;
    data->HasApplied = true;
  }
  return true;
}

bool SerialPort::GetSerialParams(SerialParams* S) {
  int err = 0;
  if (S == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "GetSerialParams: no record");
  if (data->Fd < 0 || !Posix::SerialLine::Read(data->Fd, *S, err)) {
    Close();
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't GetCommState");
  }
  return true;
}

bool SerialPort::Abort() {
  data->AbortSignal.Signal();
  return true;
}

unsigned SerialPort::ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) {
  if (size == 0) return 0;
  if (buf == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error reading: no buffer");
  if (!EnsureOpen("Read")) return 0;
  Posix::IoResult r = Posix::ReadWithin(data->Fd, data->AbortSignal, buf, size, Timeout);
  switch (r.Outcome) {
    case Posix::IoOutcome::DONE:
      return r.Count;
    case Posix::IoOutcome::TIMED_OUT:
      Error::SetWithContext(Error::IO_TIMEOUT_ERROR, Timeout == 0
                                                         ? "Timeout reading from Serial Port"
                                                         : "Timeout ovl reading from Serial Port");
      return 0;
    case Posix::IoOutcome::ABORTED:
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error reading: aborted");
      return 0;
    default:
      data->Debugger.Print("Error reading %s, ErrNo %d: reset", data->ComName.c_str(), r.Errno);
      ResetComm();
      Error::SetWithContext(Error::IO_READ_ERROR, "Error reading. ErrNo %d", r.Errno);
      return 0;
  }
}

unsigned SerialPort::WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) {
  if (size == 0) return 0;
  if (buf == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error writing: no buffer");
  if (!EnsureOpen("Write")) return 0;
  Posix::IoResult r = Posix::WriteAll(data->Fd, data->AbortSignal, buf, size);
  switch (r.Outcome) {
    case Posix::IoOutcome::DONE:
      return r.Count;
    case Posix::IoOutcome::ABORTED:
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error writing. ErrNo %d", ECANCELED);
      return r.Count;
    default:
      data->Debugger.Print("Error writing %s, ErrNo %d: reset", data->ComName.c_str(), r.Errno);
      ResetComm();
      Error::SetWithContext(Error::IO_WRITE_ERROR, "Error writing. ErrNo %d", r.Errno);
      return r.Count;
  }
}

unsigned SerialPort::PeekImplementation() { return OK() ? Posix::BytesWaiting(data->Fd) : 0; }

}  // namespace VXB
