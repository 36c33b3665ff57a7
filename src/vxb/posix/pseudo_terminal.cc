// A pseudo-terminal whose master side is the driver. The object keeps its
// own descriptor on the slave side open, so that the pseudo-terminal
// survives parties opening and closing the slave, and the master never sees
// a hang-up between them (its reads then simply wait).
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxb/posix/fd_wait.h"
#include "vxb/posix/serial_line.h"

namespace VXB {

struct PseudoTerminalData {
  int Master = -1;
  int Slave = -1;
  char SlavePath[128] = "";
  Posix::AbortEvent AbortSignal;
};

PseudoTerminal::PseudoTerminal()
    : Driver::Generic("PseudoTerminal"), data_(new PseudoTerminalData) {}

PseudoTerminal::~PseudoTerminal() { Close(); }

bool PseudoTerminal::Open() {
  Close();
  PseudoTerminalData& d = *data_;
  int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't open pseudo-terminal. ErrNo %d",
                                 errno);
  }
  int err = 0;
  if (grantpt(fd) != 0 || unlockpt(fd) != 0 ||
      ptsname_r(fd, d.SlavePath, sizeof(d.SlavePath)) != 0 ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
    err = errno;
    close(fd);
    d.SlavePath[0] = '\0';
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't open pseudo-terminal. ErrNo %d", err);
  }
  int slave = open(d.SlavePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0 || !Posix::SerialLine::MakeRaw(slave, err)) {
    if (slave < 0) err = errno;
    if (slave >= 0) close(slave);
    close(fd);
    return Error::SetWithContext(Error::IO_OPEN_ERROR, "Can't open %s. ErrNo %d", d.SlavePath, err);
  }
  d.Master = fd;
  d.Slave = slave;
  return true;
}

void PseudoTerminal::Close() {
  PseudoTerminalData& d = *data_;
  if (d.Slave >= 0) close(d.Slave);
  if (d.Master >= 0) close(d.Master);
  d.Slave = -1;
  d.Master = -1;
  d.SlavePath[0] = '\0';
}

bool PseudoTerminal::OK() const { return data_->Master >= 0; }

const char* PseudoTerminal::SlavePath() const { return data_->SlavePath; }

bool PseudoTerminal::GetPeerSerialParams(SerialParams* S) const {
  int err = 0;
  if (S == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "GetPeerSerialParams: no record");
  if (data_->Slave < 0)
    return Error::SetWithContext(Error::IO_NOT_OPEN, "Pseudo-terminal not open");
  if (!Posix::SerialLine::Read(data_->Slave, *S, err)) {
    return Error::SetWithContext(Error::IO_READ_ERROR, "Can't read line settings. ErrNo %d", err);
  }
  return true;
}

bool PseudoTerminal::Abort() {
  data_->AbortSignal.Signal();
  return true;
}

unsigned PseudoTerminal::ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) {
  if (size == 0) return 0;
  if (buf == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error reading: no buffer");
  if (!OK()) return Error::SetWithContext(Error::IO_NOT_OPEN, "Read: pseudo-terminal not open");
  Posix::IoResult r = Posix::ReadWithin(data_->Master, data_->AbortSignal, buf, size, Timeout);
  switch (r.Outcome) {
    case Posix::IoOutcome::DONE:
      return r.Count;
    case Posix::IoOutcome::TIMED_OUT:
      Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "Timeout reading from pseudo-terminal");
      return 0;
    case Posix::IoOutcome::ABORTED:
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error reading: aborted");
      return 0;
    default:
      Error::SetWithContext(Error::IO_READ_ERROR, "Error reading. ErrNo %d", r.Errno);
      return 0;
  }
}

unsigned PseudoTerminal::WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) {
  if (size == 0) return 0;
  if (buf == nullptr)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Error writing: no buffer");
  if (!OK()) return Error::SetWithContext(Error::IO_NOT_OPEN, "Write: pseudo-terminal not open");
  Posix::IoResult r = Posix::WriteAll(data_->Master, data_->AbortSignal, buf, size);
  switch (r.Outcome) {
    case Posix::IoOutcome::DONE:
      break;
    case Posix::IoOutcome::ABORTED:
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error writing. ErrNo %d", ECANCELED);
      break;
    default:
      Error::SetWithContext(Error::IO_WRITE_ERROR, "Error writing. ErrNo %d", r.Errno);
      break;
  }
  return r.Count;
}

unsigned PseudoTerminal::PeekImplementation() {
  return OK() ? Posix::BytesWaiting(data_->Master) : 0;
}

}  // namespace VXB
