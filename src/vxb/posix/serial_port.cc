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
#include "vxb/common/io/serial_port.h"
#include "vxb/common/io/serial_port_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/posix/fd_wait.h"
#include "vxb/posix/gadget_tools.h"
#include "vxb/posix/serial_line.h"

namespace VXB {

struct SerialPortData : SerialPortInternal::PortState {
  int Fd = -1;
  Posix::AbortEvent AbortSignal;
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

namespace SerialPortInternal::Host {

PortState& State(SerialPortData& Data) { return Data; }

bool IsOpen(const SerialPortData& Data) { return Data.Fd >= 0; }

bool IsGadget(const PortState& State) {
  return GadgetTools::IsGadgetSerialDevice(State.ComName.c_str());
}

void ResetGadget(const PortState& State) {
  GadgetTools::ResetGadgetSerialDevice(State.ComName.c_str());
}

bool OpenDevice(SerialPortData& Data, const char* Name, unsigned long& Err) {
  int err = 0;
  const int fd = OpenExclusive(Name, err);
  if (fd < 0) {
    Err = static_cast<unsigned long>(err);
    return false;
  }
  Data.Fd = fd;
  return true;
}

// OpenExclusive() has already checked that the device is a terminal.
bool FinishOpen(SerialPortData&, unsigned long&) { return true; }

void DescribeFailure(unsigned long Err, char* Text, unsigned Size) {
  char buffer[128];
  std::snprintf(Text, Size, "%s", Reason(static_cast<int>(Err), buffer, sizeof buffer));
}

LineResult ApplyLine(SerialPortData& Data, const SerialPort::SerialParams& S, unsigned long& Err) {
  int err = 0;
  if (Data.Fd < 0 || !Posix::SerialLine::Probe(Data.Fd, err)) return LineResult::kUnreadable;
  if (!Posix::SerialLine::Check(S)) return LineResult::kInvalid;
  if (!Posix::SerialLine::Apply(Data.Fd, S, err)) {
    Err = static_cast<unsigned long>(err);
    return LineResult::kRefused;
  }
  return LineResult::kDone;
}

bool ReadLine(SerialPortData& Data, SerialPort::SerialParams& S) {
  int err = 0;
  return Data.Fd >= 0 && Posix::SerialLine::Read(Data.Fd, S, err);
}

bool Read(SerialPortData& Data, Byte* Buffer, unsigned Size, unsigned Timeout, unsigned& Count,
          unsigned long& Err) {
  const Posix::IoResult r = Posix::ReadWithin(Data.Fd, Data.AbortSignal, Buffer, Size, Timeout);
  switch (r.Outcome) {
    case Posix::IoOutcome::DONE:
      Count = r.Count;
      return true;
    case Posix::IoOutcome::TIMED_OUT:
      Error::SetWithContext(Error::IO_TIMEOUT_ERROR, Timeout == 0
                                                         ? "Timeout reading from Serial Port"
                                                         : "Timeout ovl reading from Serial Port");
      return true;
    case Posix::IoOutcome::ABORTED:
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error reading: aborted");
      return true;
    default:
      Err = static_cast<unsigned long>(r.Errno);
      return false;
  }
}

bool Write(SerialPortData& Data, const Byte* Buffer, unsigned Size, unsigned& Count,
           unsigned long& Err) {
  const Posix::IoResult r = Posix::WriteAll(Data.Fd, Data.AbortSignal, Buffer, Size);
  Count = r.Count;
  switch (r.Outcome) {
    case Posix::IoOutcome::DONE:
      return true;
    case Posix::IoOutcome::ABORTED:
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error writing. ErrNo %d", ECANCELED);
      return true;
    default:
      Err = static_cast<unsigned long>(r.Errno);
      return false;
  }
}

void KeepFound(SerialPortData& Data) {
  int err = 0;
  Posix::SerialLine::Save(Data.Fd, Data.Found, err);
}

void CloseDevice(SerialPortData& Data) {
  if (Data.Fd >= 0) {
    CloseExclusive(Data.Fd);
    Data.Fd = -1;
  }
}

void RestoreAndClose(SerialPortData& Data) {
  if (Data.Fd >= 0) {
    int err = 0;
    (void)Posix::SerialLine::Restore(Data.Fd, Data.Found, err);
    CloseExclusive(Data.Fd);
    Data.Fd = -1;
  }
}

}  // namespace SerialPortInternal::Host

SerialPort::SerialPort() : Driver::Generic("SerialPort"), data(new SerialPortData) {}

SerialPort::~SerialPort() { Close(); }

SimpleString SerialPort::DevicePathForPort(unsigned Port) {
  if (Port == 0) return SimpleString("");
  return SimpleString::FromFormat("/dev/ttyS%u", Port - 1);
}

bool SerialPort::Abort() {
  data->AbortSignal.Signal();
  return true;
}

unsigned SerialPort::PeekImplementation() { return OK() ? Posix::BytesWaiting(data->Fd) : 0; }

}  // namespace VXB
