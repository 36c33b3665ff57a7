// Protocol base and its event-reporting transport wrapper.
#include "vxp/protocol.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"
#include "vxp/vxp_debug_modules.h"
#include "vxp/vxp_errno.h"

namespace VXP {

namespace {

constexpr const char* RULE = "--------------";

using VXB::Error::LastErrNo;

}  // namespace

// ---------------------------------------------------------------------------
// DriverWithEvents

CommunicationsProtocol::DriverWithEvents::DriverWithEvents(CommunicationsProtocol& parent,
                                                           VXB::Driver::Generic& target)
    : Generic(target.ToString()), parent_(parent), target_(target) {}

bool CommunicationsProtocol::DriverWithEvents::Abort() {
  abortion_in_progress_.store(true);
  return true;
}

unsigned CommunicationsProtocol::DriverWithEvents::WriteBufferImplementation(const VXB::Byte* buf,
                                                                             unsigned size,
                                                                             unsigned) {
  VXB::Debug::Debugger& dbg = *parent_.Debugger;
  unsigned done = 0;
  while (done < size) {
    const unsigned remaining = size - done;
    if (dbg.IsEnabled()) {
      if (parent_.TextProtocol) {
        std::string text(reinterpret_cast<const char*>(buf + done), remaining);
        dbg.Print("%s", RULE);
        dbg.PrintMultipleLines(text.c_str());
        dbg.Print("%s", RULE);
      } else {
        dbg.EscPrint("Write:", buf + done, remaining);
      }
    }
    unsigned written = target_.WriteBuffer(buf + done, remaining, VXB::Constants::WAIT_FOREVER);
    if (written == 0) {
      dbg.Print("Write: Fail");
      return 0;
    }
    written = std::min(written, remaining);
    if (dbg.IsEnabled())
      dbg.Print(parent_.TextProtocol ? "(%u chars written)" : "(%u bytes written)", written);
    parent_.FireEvent(IDLE);
    done += written;
  }
  return size;
}

unsigned CommunicationsProtocol::DriverWithEvents::ReadBufferImplementation(VXB::Byte* buf,
                                                                            unsigned size,
                                                                            unsigned Timeout) {
  VXB::Debug::Debugger& dbg = *parent_.Debugger;
  const bool forever = Timeout == VXB::Constants::WAIT_FOREVER;
  const std::uint64_t start = VXB::System::MonotonicMilliseconds();
  unsigned remaining = Timeout;
  unsigned got = 0;
  for (;;) {
    if (abortion_in_progress_.load()) break;
    const unsigned slice = forever ? TIME_SLICE : std::min(TIME_SLICE, remaining);
    VXB::Error::SetWithContext(VXB::Error::NO_CURRENT_ERROR, nullptr);
    got = target_.ReadBuffer(buf, size, slice);
    if (got > 0 || abortion_in_progress_.load()) break;
    const VXB::Error::ErrNo e = LastErrNo();
    if (e == VXB::Error::NO_CURRENT_ERROR) {
      // A target that returns nothing without saying why had nothing to give.
      VXB::Error::SetWithContext(VXB::Error::IO_TIMEOUT_ERROR, "Lectura de %u bytes", size);
    } else if (e != VXB::Error::IO_TIMEOUT_ERROR) {
      return 0;
    }
    const std::uint64_t elapsed = VXB::System::MonotonicMilliseconds() - start;
    if (!forever && elapsed >= Timeout) {
      dbg.Print("Tiempo de espera agotado (%s)", VXB::ASCII::Milliseconds(Timeout).ToString());
      return 0;
    }
    parent_.FireEvent(IDLE);
    if (!forever) remaining = Timeout - static_cast<unsigned>(elapsed);
  }
  if (abortion_in_progress_.load()) {
    dbg.Print("Cancelaci\xA2n en progreso");
    VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "Lectura de %u bytes", size);
    return 0;
  }
  got = std::min(got, size);
  if (got > 1 && dbg.IsEnabled()) {
    if (parent_.TextProtocol) {
      std::string text(reinterpret_cast<const char*>(buf), got);
      dbg.Print("%u chars read: ", got);
      dbg.Print("%s", RULE);
      dbg.PrintMultipleLines(text.c_str());
      dbg.Print("%s", RULE);
    } else {
      dbg.EscPrint("Read:", buf, got);
    }
  }
  return got;
}

// ---------------------------------------------------------------------------
// CommunicationsProtocol

CommunicationsProtocol::CommunicationsProtocol(const char* ProtocolName)
    : Debugger(std::make_unique<VXB::Debug::Debugger>(VXP::Debug::PROTOCOL,
                                                      ProtocolName ? ProtocolName : "")),
      BufferIn(std::make_unique<VXB::Byte[]>(MAX_BUFFER)),
      BufferOut(std::make_unique<VXB::Byte[]>(MAX_BUFFER)),
      Retries(1),
      Timeout(400) {}

CommunicationsProtocol::~CommunicationsProtocol() = default;

bool CommunicationsProtocol::SetDriver(VXB::Driver::Generic* d) {
  driver_.reset();
  if (d != nullptr) driver_ = std::make_unique<DriverWithEvents>(*this, *d);
  return true;
}

void CommunicationsProtocol::Abort() {
  Debugger->Print("A cancelar...");
  if (DriverWithEvents* d = driver_.get()) d->Abort();
}

void CommunicationsProtocol::FireEvent(Events e) {
  if (EventHandlerCallback h = event_handler_.load()) h(e);
}

void CommunicationsProtocol::Configure(unsigned r, unsigned t) {
  Retries = std::max(r, GetMinRetries());
  Timeout = std::max(t, GetMinTimeout());
}

unsigned CommunicationsProtocol::Read(VXB::Byte* Buffer, unsigned Size, unsigned Time) {
  if (!driver_) {
    VXB::Error::SetWithContext(Error::PROTOCOL_NO_TRANSPORT, "Read");
    return 0;
  }
  return driver_->ReadBuffer(Buffer, Size, Time);
}

char CommunicationsProtocol::ReadChar(unsigned Time) {
  VXB::Byte c = 0;
  return Read(&c, 1, Time) == 1 ? static_cast<char>(c) : '\0';
}

bool CommunicationsProtocol::Write(const VXB::Byte* Buffer, unsigned Size) {
  if (!driver_) return VXB::Error::SetWithContext(Error::PROTOCOL_NO_TRANSPORT, "Write");
  return driver_->WriteBuffer(Buffer, Size, VXB::Constants::WAIT_FOREVER) == Size;
}

bool CommunicationsProtocol::Write(VXB::ASCII::Chars c) {
  const VXB::Byte b = static_cast<VXB::Byte>(c);
  return Write(&b, 1);
}

bool CommunicationsProtocol::BytesAhead() {
  if (!driver_) return VXB::Error::SetWithContext(Error::PROTOCOL_NO_TRANSPORT, "Write");
  return driver_->Peek() > 0;
}

void CommunicationsProtocol::Flush() {
  if (!driver_) return;
  unsigned discarded = 0;
  VXB::Byte c;
  while (driver_->ReadBuffer(&c, 1, 0) == 1) ++discarded;
  if (discarded > 0) Debugger->Print("%u bytes descartados", discarded);
}

bool CommunicationsProtocol::NewTransaction() {
  if (!driver_) return VXB::Error::SetWithContext(Error::PROTOCOL_NO_TRANSPORT, "NewTransaction");
  driver_->Reset();
  return true;
}

}  // namespace VXP
