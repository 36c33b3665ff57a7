// Uses the kernel's termios2 record directly (TCGETS2/TCSETS2): it carries
// the speed in bits per second, so every speed of the table can be set, and
// <asm/termbits.h> cannot be mixed with <termios.h>, which this file avoids.
#include "vxb/posix/serial_line.h"

#include <asm/termbits.h>
#include <errno.h>
#include <sys/ioctl.h>

#include <cstring>

#include "vxb/common/runtime/error.h"

namespace VXB::Posix::SerialLine {

namespace {

using SP = SerialPort;

struct SpeedRow {
  SP::BaudRates Rate;
  unsigned Bps;
  tcflag_t Constant;  // classic speed constant, BOTHER when there is none
};

constexpr SpeedRow kSpeeds[] = {
    {SP::BAUDRATE_110, 110, B110},          {SP::BAUDRATE_300, 300, B300},
    {SP::BAUDRATE_600, 600, B600},          {SP::BAUDRATE_1200, 1200, B1200},
    {SP::BAUDRATE_2400, 2400, B2400},       {SP::BAUDRATE_4800, 4800, B4800},
    {SP::BAUDRATE_9600, 9600, B9600},       {SP::BAUDRATE_14400, 14400, BOTHER},
    {SP::BAUDRATE_19200, 19200, B19200},    {SP::BAUDRATE_38400, 38400, B38400},
    {SP::BAUDRATE_57600, 57600, B57600},    {SP::BAUDRATE_115200, 115200, B115200},
    {SP::BAUDRATE_230400, 230400, B230400},
};

const SpeedRow* RowOf(SP::BaudRates b) {
  for (const SpeedRow& r : kSpeeds) {
    if (r.Rate == b) return &r;
  }
  return nullptr;
}

bool ValidWord(SP::WordLengths w) { return w >= SP::WORD_LENGTH_5 && w <= SP::WORD_LENGTH_8; }
bool ValidParity(SP::ParityModes p) {
  return p >= SP::PARITYMODE_NONE && p <= SP::PARITYMODE_SPACE;
}
bool ValidStop(SP::StopBitsValues s) { return s >= SP::STOP_1 && s <= SP::STOP_2; }

tcflag_t WordFlag(SP::WordLengths w) {
  switch (w) {
    case SP::WORD_LENGTH_5:
      return CS5;
    case SP::WORD_LENGTH_6:
      return CS6;
    case SP::WORD_LENGTH_7:
      return CS7;
    default:
      return CS8;
  }
}

bool Get(int Fd, termios2& t, int& Errno) {
  if (ioctl(Fd, TCGETS2, &t) != 0) {
    Errno = errno;
    return false;
  }
  return true;
}

bool Put(int Fd, const termios2& t, int& Errno) {
  if (ioctl(Fd, TCSETS2, &t) != 0) {
    Errno = errno;
    return false;
  }
  return true;
}

void Raw(termios2& t) {
  t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                 INPCK | IGNPAR | IUCLC | IMAXBEL);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN | ECHOE | ECHOK | ECHOCTL | ECHOKE);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
}

}  // namespace

unsigned SpeedOf(SP::BaudRates b) {
  const SpeedRow* r = RowOf(b);
  return r != nullptr ? r->Bps : 0;
}

SP::BaudRates RateOf(unsigned Bps) {
  for (const SpeedRow& r : kSpeeds) {
    if (r.Bps == Bps) return r.Rate;
  }
  return SP::BAUDRATE_INVALID;
}

bool Check(const SP::SerialParams& S) {
  if (RowOf(S.BaudRate) == nullptr) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid BaudRate (%d)",
                                 static_cast<int>(S.BaudRate));
  }
  if (!ValidWord(S.WordLength)) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid WordLength (%d)",
                                 static_cast<int>(S.WordLength));
  }
  if (!ValidParity(S.Parity)) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid Parity (%d)",
                                 static_cast<int>(S.Parity));
  }
  if (!ValidStop(S.StopBits)) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid StopBits (%d)",
                                 static_cast<int>(S.StopBits));
  }
  return true;
}

bool Probe(int Fd, int& Errno) {
  termios2 t;
  return Get(Fd, t, Errno);
}

void Encode(const SP::SerialParams& S, Flags& F) {
  const SpeedRow* speed = RowOf(S.BaudRate);
  tcflag_t c = F.Control;
  tcflag_t i = F.Input;
  c &= ~(CBAUD | CIBAUD | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  i &= ~(IXON | IXOFF | INPCK);
  c |= (speed != nullptr ? speed->Constant : BOTHER) | WordFlag(S.WordLength);
  F.Speed = speed != nullptr ? speed->Bps : 0;
  switch (S.Parity) {
    case SP::PARITYMODE_EVEN:
      c |= PARENB;
      break;
    case SP::PARITYMODE_ODD:
      c |= PARENB | PARODD;
      break;
    case SP::PARITYMODE_MARK:
      c |= PARENB | PARODD | CMSPAR;
      break;
    case SP::PARITYMODE_SPACE:
      c |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  // Parity errors are checked whenever the line carries parity.
  if (S.Parity != SP::PARITYMODE_NONE) i |= INPCK;
  if (S.StopBits != SP::STOP_1) c |= CSTOPB;
  const auto& f = S.FlowControl;
  if (f.Has(SP::FLOW_XONXOFF_TX)) i |= IXON;
  if (f.Has(SP::FLOW_XONXOFF_RX)) i |= IXOFF;
  if (f.Has(SP::FLOW_RTSCTS_RX) || f.Has(SP::FLOW_RTSCTS_TX)) c |= CRTSCTS;
  F.Control = c;
  F.Input = i;
}

void Decode(const Flags& F, SP::SerialParams& S) {
  const tcflag_t c = F.Control;
  S.BaudRate = RateOf(F.Speed);
  switch (c & CSIZE) {
    case CS5:
      S.WordLength = SP::WORD_LENGTH_5;
      break;
    case CS6:
      S.WordLength = SP::WORD_LENGTH_6;
      break;
    case CS7:
      S.WordLength = SP::WORD_LENGTH_7;
      break;
    default:
      S.WordLength = SP::WORD_LENGTH_8;
      break;
  }
  if ((c & PARENB) == 0) {
    S.Parity = SP::PARITYMODE_NONE;
  } else if ((c & CMSPAR) != 0) {
    S.Parity = (c & PARODD) != 0 ? SP::PARITYMODE_MARK : SP::PARITYMODE_SPACE;
  } else {
    S.Parity = (c & PARODD) != 0 ? SP::PARITYMODE_ODD : SP::PARITYMODE_EVEN;
  }
  if ((c & CSTOPB) == 0) {
    S.StopBits = SP::STOP_1;
  } else {
    S.StopBits = S.WordLength == SP::WORD_LENGTH_5 ? SP::STOP_1_5 : SP::STOP_2;
  }
  S.FlowControl.Clear();
}

bool Apply(int Fd, const SP::SerialParams& S, int& Errno) {
  if (RowOf(S.BaudRate) == nullptr) {
    Errno = EINVAL;
    return false;
  }
  termios2 t;
  if (!Get(Fd, t, Errno)) return false;
  Raw(t);
  Flags f{t.c_iflag, t.c_cflag, t.c_ospeed};
  Encode(S, f);
  t.c_iflag = f.Input;
  t.c_cflag = f.Control;
  t.c_ispeed = f.Speed;
  t.c_ospeed = f.Speed;
  return Put(Fd, t, Errno);
}

bool Read(int Fd, SP::SerialParams& S, int& Errno) {
  termios2 t;
  if (!Get(Fd, t, Errno)) return false;
  Decode(Flags{t.c_iflag, t.c_cflag, t.c_ospeed}, S);
  return true;
}

bool MakeRaw(int Fd, int& Errno) {
  termios2 t;
  if (!Get(Fd, t, Errno)) return false;
  Raw(t);
  return Put(Fd, t, Errno);
}

static_assert(sizeof(termios2) <= sizeof(Snapshot::Record), "the snapshot holds a termios2");

bool Save(int Fd, Snapshot& S, int& Errno) {
  termios2 t;
  S.Valid = Get(Fd, t, Errno);
  if (S.Valid) std::memcpy(S.Record, &t, sizeof t);
  return S.Valid;
}

bool Restore(int Fd, const Snapshot& S, int& Errno) {
  if (!S.Valid) return true;
  termios2 t;
  std::memcpy(&t, S.Record, sizeof t);
  return Put(Fd, t, Errno);
}

}  // namespace VXB::Posix::SerialLine
