// Pseudo-terminals do not exist on Windows: the emulator side of a serial
// line runs on a POSIX host (or behind a null-modem pair of COM ports).
// The driver is there so that code written against it links; it never
// opens.
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"

namespace VXB {

struct PseudoTerminalData {};

PseudoTerminal::PseudoTerminal() : Driver::Generic("PseudoTerminal") {}

PseudoTerminal::~PseudoTerminal() = default;

bool PseudoTerminal::Open() {
  return Error::SetWithContext(Error::IO_NOT_IMPLEMENTED, "Pseudo-terminals need a POSIX host");
}

void PseudoTerminal::Close() {}

bool PseudoTerminal::OK() const { return false; }

const char* PseudoTerminal::SlavePath() const { return ""; }

bool PseudoTerminal::GetPeerSerialParams(SerialParams*) const {
  return Error::SetWithContext(Error::IO_NOT_OPEN, "Pseudo-terminal not open");
}

bool PseudoTerminal::Abort() { return true; }

unsigned PseudoTerminal::WriteBufferImplementation(const Byte*, unsigned, unsigned) {
  return Error::SetWithContext(Error::IO_NOT_OPEN, "Write: pseudo-terminal not open");
}

unsigned PseudoTerminal::ReadBufferImplementation(Byte*, unsigned, unsigned) {
  return Error::SetWithContext(Error::IO_NOT_OPEN, "Read: pseudo-terminal not open");
}

unsigned PseudoTerminal::PeekImplementation() { return 0; }

}  // namespace VXB
