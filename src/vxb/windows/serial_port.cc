// The serial port over Win32 communications. Port n is the device \\.\COMn
// (the form that also reaches COM10 and above); other names are opened as
// given. Reads and writes are overlapped, and each waits for its own event
// or the abort event, so Abort() from another thread ends a wait at once.
// A read takes what the device holds; when it holds nothing, the read
// waits for the device's receive event (EV_RXCHAR), the abort event or the
// time-out, and then takes what came. So a read ends at the first bytes on
// every driver, also where the time-outs that should end a read there are
// not kept (Wine's driver waits for a full buffer or the time-out).
//
// The device is opened without sharing, so a second opener is refused while
// the port is open. The line settings found at opening are put back at
// Close(); the settings last applied are kept so that a reset (close and
// reopen after a failure, such as a USB adapter pulled out) brings the line
// back as the caller left it. A USB serial gadget is found and restarted
// through the device installer (gadget_tools.h).
#include "vxb/common/io/serial_port.h"
#include "vxb/common/io/serial_port_internal.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/windows/gadget_tools.h"
#include "vxb/windows/win_wait.h"

namespace VXB {

namespace {

// An event handle owned for the object's lifetime.
class Event {
 public:
  Event() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (handle_ == nullptr) Error::Abort("Error creating serial port event");
  }
  ~Event() { CloseHandle(handle_); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

struct SerialPortData : SerialPortInternal::PortState {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  // Made once: Abort() may signal at any time from any thread, also while
  // the port is being reset.
  Event ReadEvent;
  Event WriteEvent;
  Event AbortEvent;
  // The device's settings when Open() found it.
  DCB Found{};
  bool HasFound = false;
};

namespace {

using SP = SerialPort;
using namespace SerialPortInternal;

// Windows parity codes by ParityModes value (none, even, odd, mark, space).
constexpr BYTE kParity[] = {NOPARITY, EVENPARITY, ODDPARITY, MARKPARITY, SPACEPARITY};
// Windows stop-bit codes by StopBitsValues value - 1.
constexpr BYTE kStopBits[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};

bool Check(const SP::SerialParams& S) {
  if (SpeedOf(S.BaudRate) == 0) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid BaudRate (%d)",
                                 static_cast<int>(S.BaudRate));
  }
  if (S.WordLength < SP::WORD_LENGTH_5 || S.WordLength > SP::WORD_LENGTH_8) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid WordLength (%d)",
                                 static_cast<int>(S.WordLength));
  }
  if (S.Parity < SP::PARITYMODE_NONE || S.Parity > SP::PARITYMODE_SPACE) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid Parity (%d)",
                                 static_cast<int>(S.Parity));
  }
  if (S.StopBits < SP::STOP_1 || S.StopBits > SP::STOP_2) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Invalid StopBits (%d)",
                                 static_cast<int>(S.StopBits));
  }
  return true;
}

// Writes S (which passed Check) into the device record; the XON/XOFF
// characters and limits and the special characters stay as they were.
void Encode(const SP::SerialParams& S, DCB& d) {
  d.BaudRate = SpeedOf(S.BaudRate);
  d.fBinary = TRUE;
  d.fParity = S.Parity != SP::PARITYMODE_NONE;
  d.fErrorChar = FALSE;
  d.fNull = FALSE;
  d.fAbortOnError = FALSE;
  d.ByteSize = static_cast<BYTE>(S.WordLength);
  d.Parity = kParity[S.Parity];
  d.StopBits = kStopBits[S.StopBits - 1];
  const auto& f = S.FlowControl;
  d.fOutxCtsFlow = f.Has(SP::FLOW_RTSCTS_TX) && !f.IsEmpty();
  d.fOutxDsrFlow = f.Has(SP::FLOW_DSRDTR_TX) && !f.IsEmpty();
  d.fDsrSensitivity = !f.IsEmpty() && (f.Has(SP::FLOW_DSRDTR_TX) || f.Has(SP::FLOW_DSRDTR_RX));
  // The control lines are raised when not used for handshaking: many
  // devices and adapters send nothing to a party that holds them low.
  d.fDtrControl =
      (!f.IsEmpty() && f.Has(SP::FLOW_DSRDTR_RX)) ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
  d.fRtsControl =
      (!f.IsEmpty() && f.Has(SP::FLOW_RTSCTS_RX)) ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  const bool xon_tx = !f.IsEmpty() && f.Has(SP::FLOW_XONXOFF_TX);
  const bool xon_rx = !f.IsEmpty() && f.Has(SP::FLOW_XONXOFF_RX);
  d.fTXContinueOnXoff = !xon_tx;
  d.fOutX = xon_tx;
  d.fInX = xon_rx;
}

void Decode(const DCB& d, SP::SerialParams& S) {
  S.BaudRate = RateOf(d.BaudRate);
  if (d.ByteSize >= 5 && d.ByteSize <= 8) S.WordLength = static_cast<SP::WordLengths>(d.ByteSize);
  for (unsigned i = 0; i < sizeof kParity; ++i) {
    if (kParity[i] == d.Parity) S.Parity = static_cast<SP::ParityModes>(i);
  }
  for (unsigned i = 0; i < sizeof kStopBits; ++i) {
    if (kStopBits[i] == d.StopBits) S.StopBits = static_cast<SP::StopBitsValues>(i + 1);
  }
  S.FlowControl.Clear();
}

bool GetState(HANDLE h, DCB& d) {
  std::memset(&d, 0, sizeof d);
  d.DCBlength = sizeof d;
  return GetCommState(h, &d) != FALSE;
}

// The read time-outs the port keeps: a read returns at once with what the
// device holds, none included. Reads never ask for more than is there, and
// waits for the first byte are the device's receive event, so that a read
// ends as soon as bytes come on every driver, also those that do not keep
// the "return at the first byte" time-outs (Wine's among them).
bool SetImmediateReads(HANDLE h) {
  COMMTIMEOUTS c{};
  c.ReadIntervalTimeout = MAXDWORD;
  c.ReadTotalTimeoutMultiplier = 0;
  c.ReadTotalTimeoutConstant = 0;
  c.WriteTotalTimeoutMultiplier = 0;
  c.WriteTotalTimeoutConstant = 0;
  return SetCommTimeouts(h, &c) != FALSE;
}

}  // namespace

namespace SerialPortInternal::Host {

PortState& State(SerialPortData& Data) { return Data; }

bool IsOpen(const SerialPortData& Data) { return Data.Handle != INVALID_HANDLE_VALUE; }

bool IsGadget(const PortState& State) {
  return State.Port != 0 && GadgetTools::IsGadgetSerialPort(State.Port);
}

void ResetGadget(const PortState& State) { GadgetTools::ResetGadgetSerialPort(State.Port); }

bool OpenDevice(SerialPortData& Data, const char* Name, unsigned long& Err) {
  const HANDLE h = CreateFileA(Name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Err = GetLastError();
    return false;
  }
  Data.Handle = h;
  return true;
}

// A device that does not give its line settings, or does not take the
// read time-outs and the receive event, is no serial port.
bool FinishOpen(SerialPortData& Data, unsigned long& Err) {
  DCB probe;
  if (!GetState(Data.Handle, probe) || !SetImmediateReads(Data.Handle) ||
      !SetCommMask(Data.Handle, EV_RXCHAR)) {
    Err = GetLastError();
    CloseHandle(Data.Handle);
    Data.Handle = INVALID_HANDLE_VALUE;
    return false;
  }
  ResetEvent(Data.ReadEvent.Get());
  ResetEvent(Data.WriteEvent.Get());
  return true;
}

void DescribeFailure(unsigned long Err, char* Text, unsigned Size) {
  const char* why = "unknown error";
  switch (Err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      why = "no such device";
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      why = "in use by another program";
      break;
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_SUPPORTED:
      why = "not a serial port";
      break;
    default:
      break;
  }
  std::snprintf(Text, Size, "%s (%lu)", why, Err);
}

LineResult ApplyLine(SerialPortData& Data, const SerialPort::SerialParams& S, unsigned long& Err) {
  DCB d;
  if (Data.Handle == INVALID_HANDLE_VALUE || !GetState(Data.Handle, d)) {
    return LineResult::kUnreadable;
  }
  if (!Check(S)) return LineResult::kInvalid;
  Encode(S, d);
  if (!SetCommState(Data.Handle, &d)) {
    Err = GetLastError();
    return LineResult::kRefused;
  }
  return LineResult::kDone;
}

bool ReadLine(SerialPortData& Data, SerialPort::SerialParams& S) {
  DCB d;
  if (Data.Handle == INVALID_HANDLE_VALUE || !GetState(Data.Handle, d)) return false;
  Decode(d, S);
  return true;
}

void KeepFound(SerialPortData& Data) { Data.HasFound = GetState(Data.Handle, Data.Found); }

void CloseDevice(SerialPortData& Data) {
  if (Data.Handle != INVALID_HANDLE_VALUE) {
    CloseHandle(Data.Handle);
    Data.Handle = INVALID_HANDLE_VALUE;
  }
}

void RestoreAndClose(SerialPortData& Data) {
  if (Data.Handle != INVALID_HANDLE_VALUE) {
    if (Data.HasFound) SetCommState(Data.Handle, &Data.Found);
    CloseHandle(Data.Handle);
    Data.Handle = INVALID_HANDLE_VALUE;
  }
}

}  // namespace SerialPortInternal::Host

SerialPort::SerialPort() : Driver::Generic("SerialPort"), data(new SerialPortData) {}

SerialPort::~SerialPort() { Close(); }

SimpleString SerialPort::DevicePathForPort(unsigned Port) {
  if (Port == 0) return SimpleString("");
  return SimpleString::FromFormat("\\\\.\\COM%u", Port);
}

bool SerialPort::Abort() {
  SetEvent(data->AbortEvent.Get());
  return true;
}

namespace {

enum class Outcome { DONE, ABORTED, FAILED };

// Runs one overlapped transfer that ReadFile or WriteFile started with
// Started (its result) on Ov: waits for it or for the abort event, at most
// Limit milliseconds (INFINITE: no limit). An abort cancels the transfer
// and is consumed; a transfer still pending at the limit is cancelled and
// counts as done with what it moved. An abort that ends a transfer which
// had moved bytes leaves the abort for the next wait: what came is
// delivered first.
Outcome Finish(HANDLE h, BOOL Started, OVERLAPPED& Ov, HANDLE Abort, DWORD Limit, DWORD& Count,
               DWORD& Err) {
  Count = 0;
  Err = 0;
  if (!Started) {
    Err = GetLastError();
    if (Err != ERROR_IO_PENDING) return Outcome::FAILED;
    const HANDLE waits[2] = {Abort, Ov.hEvent};
    const DWORD which = WaitForMultipleObjects(2, waits, FALSE, Limit);
    if (which == WAIT_TIMEOUT) {
      // A transfer the driver holds beyond the limit ends here.
      CancelIo(h);
      GetOverlappedResult(h, &Ov, &Count, TRUE);
      Err = 0;
      return Outcome::DONE;
    }
    if (which == WAIT_OBJECT_0) {
      CancelIo(h);
      GetOverlappedResult(h, &Ov, &Count, TRUE);
      if (Count > 0) {
        // The transfer moved bytes before the abort ended it (the wait
        // names the abort first when both are signalled): those bytes are
        // the result, and the abort stays set for the next wait.
        Err = 0;
        return Outcome::DONE;
      }
      ResetEvent(Abort);
      Err = ERROR_OPERATION_ABORTED;
      return Outcome::ABORTED;
    }
    if (which != WAIT_OBJECT_0 + 1) {
      Err = GetLastError();
      CancelIo(h);
      GetOverlappedResult(h, &Ov, &Count, TRUE);
      return Outcome::FAILED;
    }
  }
  if (!GetOverlappedResult(h, &Ov, &Count, FALSE)) {
    Err = GetLastError();
    return Outcome::FAILED;
  }
  return Outcome::DONE;
}

// The bytes the device holds for reading; false, with the system's error
// number in Err, when it cannot tell (the device is gone).
bool Queued(HANDLE h, DWORD& Count, unsigned long& Err) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(h, &errors, &status)) {
    Err = GetLastError();
    return false;
  }
  Count = status.cbInQue;
  return true;
}

// A read of bytes the device already holds ends at once; this bounds one
// that a driver keeps.
constexpr DWORD QUEUED_READ_LIMIT = 1000;

enum class Wake { BYTES, TIMEOUT, ABORTED, FAILED };

// Waits, at most Limit milliseconds (INFINITE: no limit), for the device's
// receive event or the abort event. BYTES when the device's wait ended,
// for a byte received or for a reason of the driver's own: the caller looks
// at the queue again. The abort is left set for the caller.
Wake WaitForBytes(SerialPortData& Data, DWORD Limit, unsigned long& Err) {
  const HANDLE h = Data.Handle;
  OVERLAPPED ov{};
  ov.hEvent = Data.ReadEvent.Get();
  ResetEvent(ov.hEvent);
  DWORD events = 0;
  DWORD count = 0;
  if (WaitCommEvent(h, &events, &ov)) return Wake::BYTES;
  if (GetLastError() != ERROR_IO_PENDING) {
    Err = GetLastError();
    return Wake::FAILED;
  }
  const HANDLE waits[2] = {Data.AbortEvent.Get(), ov.hEvent};
  const DWORD which = WaitForMultipleObjects(2, waits, FALSE, Limit);
  if (which == WAIT_OBJECT_0 + 1) {
    GetOverlappedResult(h, &ov, &count, FALSE);
    return Wake::BYTES;
  }
  const DWORD why = GetLastError();
  // The device's wait still writes into ov and events: it ends here.
  CancelIo(h);
  GetOverlappedResult(h, &ov, &count, TRUE);
  if (which == WAIT_TIMEOUT) return Wake::TIMEOUT;
  if (which == WAIT_OBJECT_0) return Wake::ABORTED;
  Err = why;
  return Wake::FAILED;
}

}  // namespace

namespace SerialPortInternal::Host {

bool Read(SerialPortData& Data, Byte* Buffer, unsigned Size, unsigned Timeout, unsigned& Count,
          unsigned long& Err) {
  Count = 0;
  const Windows::TickDeadline deadline(Timeout);
  bool expired = Timeout == 0;
  unsigned wakes = 0;
  for (;;) {
    DWORD queued = 0;
    if (!Queued(Data.Handle, queued, Err)) return false;
    if (queued > 0) {
      // What is there, and no more, so that the read ends at once whatever
      // the driver makes of its time-outs.
      DWORD count = 0;
      DWORD err = 0;
      OVERLAPPED ov{};
      ov.hEvent = Data.ReadEvent.Get();
      ResetEvent(ov.hEvent);
      const BOOL started =
          ReadFile(Data.Handle, Buffer, queued < Size ? queued : Size, nullptr, &ov);
      switch (
          Finish(Data.Handle, started, ov, Data.AbortEvent.Get(), QUEUED_READ_LIMIT, count, err)) {
        case Outcome::DONE:
          if (count > 0) {
            Count = count;
            return true;
          }
          break;  // taken by someone else meanwhile: wait on
        case Outcome::ABORTED:
          Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error reading: aborted");
          return true;
        case Outcome::FAILED:
          Err = err;
          return false;
      }
    }
    if (expired) {
      Error::SetWithContext(Error::IO_TIMEOUT_ERROR, Timeout == 0
                                                         ? "Timeout reading from Serial Port"
                                                         : "Timeout ovl reading from Serial Port");
      return true;
    }
    switch (WaitForBytes(Data, deadline.Left(), Err)) {
      case Wake::BYTES:
        // Every wake but the first found the queue empty: a driver whose
        // wait keeps ending with nothing received is not let to spin.
        if (wakes++ > 0) WaitForSingleObject(Data.AbortEvent.Get(), 1);
        break;
      case Wake::TIMEOUT:
        // Once more to the queue: bytes that came with the time-out are
        // delivered.
        expired = true;
        break;
      case Wake::ABORTED:
        // Bytes that came with the abort are delivered first; the abort,
        // left set, then ends the next wait.
        if (!Queued(Data.Handle, queued, Err)) return false;
        if (queued > 0) break;
        ResetEvent(Data.AbortEvent.Get());
        Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error reading: aborted");
        return true;
      case Wake::FAILED:
        return false;
    }
  }
}

bool Write(SerialPortData& Data, const Byte* Buffer, unsigned Size, unsigned& Count,
           unsigned long& Err) {
  unsigned written = 0;
  while (written < Size) {
    OVERLAPPED ov{};
    ov.hEvent = Data.WriteEvent.Get();
    ResetEvent(ov.hEvent);
    DWORD count = 0;
    DWORD err = 0;
    const BOOL started = WriteFile(Data.Handle, Buffer + written, Size - written, nullptr, &ov);
    const Outcome outcome =
        Finish(Data.Handle, started, ov, Data.AbortEvent.Get(), INFINITE, count, err);
    written += count;
    Count = written;
    if (outcome == Outcome::ABORTED) {
      Error::SetWithContext(Error::SYSTEM_ABORTED_PROCESS, "Error writing. ErrNo %lu", err);
      return true;
    }
    if (outcome == Outcome::FAILED || count == 0) {
      Err = outcome == Outcome::FAILED ? err : ERROR_WRITE_FAULT;
      return false;
    }
  }
  return true;
}

}  // namespace SerialPortInternal::Host

unsigned SerialPort::PeekImplementation() {
  if (!OK()) return 0;
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(data->Handle, &errors, &status)) return 0;
  return status.cbInQue;
}

}  // namespace VXB
