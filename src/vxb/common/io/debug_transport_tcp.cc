// The TCP transport for debug lines: a listener thread that serves one
// remote client at a time and executes the client's command records.
//
// Only the listener thread accepts into, reads from and closes the client
// socket; Send writes to it from the printing threads. Replacing or closing
// the client happens under client_lock_, which Send holds while it writes,
// so a send never meets a socket that is being closed. A send that fails
// part-way would leave the client out of step with the packet framing, so
// the client is dropped instead (the listener closes it at its next pass).
#include <cstdio>
#include <cstring>

#include "vxb/common/io/debug_transport_tcp.h"
#include "vxb/common/io/network.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"

namespace VXB::Debug {

namespace {

constexpr unsigned kPacketSize = 48;

void PutLittleEndian32(Byte* p, std::uint32_t v) {
  p[0] = static_cast<Byte>(v & 0xFFu);
  p[1] = static_cast<Byte>((v >> 8) & 0xFFu);
  p[2] = static_cast<Byte>((v >> 16) & 0xFFu);
  p[3] = static_cast<Byte>((v >> 24) & 0xFFu);
}

// The packet as it goes on the wire, whatever the host's byte order.
void Serialize(const Packet& d, std::uint32_t TextSize, Byte (&Out)[kPacketSize]) {
  Out[0] = d.Module;
  std::memcpy(Out + 1, d.ID, MAX_ID + 1);
  PutLittleEndian32(Out + 32, d.Date);
  PutLittleEndian32(Out + 36, d.Time);
  PutLittleEndian32(Out + 40, d.ThreadID);
  PutLittleEndian32(Out + 44, TextSize);
}

}  // namespace

TransportTCP::TransportTCP(unsigned DebuggerStartupDelay, std::uint16_t Port)
    : Thread("DebugTCP", NORMAL_PRIORITY),
      requested_port_(Port),
      accept_ready_("AcceptReady", 0),
      stop_signal_("DebugTCPStop", 0),
      client_lock_("DebugTCPClient"),
      current_(new StreamSocket),
      parent_(new StreamSocket) {
  // The body signals AcceptReady also when the listener cannot be opened,
  // so this never waits for a thread that will not listen.
  if (!Run()) return;
  accept_ready_.Wait(Constants::WAIT_FOREVER);
  if (DebuggerStartupDelay > 0) System::Sleep(DebuggerStartupDelay);
}

TransportTCP::~TransportTCP() {
  End(true);
  delete current_;
  delete parent_;
}

bool TransportTCP::Enabled() { return client_connected_.load(); }

int TransportTCP::GetDescriptor() {
  Locker<Mutex> lock(client_lock_);
  return client_connected_.load() ? current_->GetDescriptor() : -1;
}

void TransportTCP::End(bool Wait) {
  stop_client_.store(true);
  stop_signal_.Signal();
  {
    // After this no send reaches the client.
    Locker<Mutex> lock(client_lock_);
    client_connected_.store(false);
  }
  // The listener thread closes both sockets itself on its way out.
  if (Wait) Join();
}

void TransportTCP::CloseClient() {
  Locker<Mutex> lock(client_lock_);
  client_connected_.store(false);
  client_failed_.store(false);
  current_->Close();
}

bool TransportTCP::SendAll(const void* Data, unsigned Size) {
  const Byte* p = static_cast<const Byte*>(Data);
  unsigned done = 0;
  unsigned stalled = 0;
  while (done < Size) {
    if (stop_client_.load()) return false;
    const unsigned n = current_->WriteBuffer(p + done, Size - done, SEND_PIECE_TIMEOUT);
    done += n;
    if (done >= Size) break;
    if (Error::GetCurrent().Error != Error::IO_TIMEOUT_ERROR) return false;
    stalled = n > 0 ? 0 : stalled + SEND_PIECE_TIMEOUT;
    // A client that takes nothing for this long would hold every printing
    // thread behind the transport lock.
    if (stalled >= MAX_STALL_MS) return false;
  }
  return true;
}

void TransportTCP::Send(const Packet& d, const char* Line) {
  if (!client_connected_.load()) return;
  Locker<Mutex> lock(client_lock_);
  if (!client_connected_.load() || client_failed_.load()) return;
  // Never more text than the line holds up to its terminator.
  std::uint32_t size = 0;
  if (Line != nullptr) {
    const void* end = std::memchr(Line, '\0', d.BufferSize);
    size = end != nullptr ? static_cast<std::uint32_t>(static_cast<const char*>(end) - Line)
                          : d.BufferSize;
  }
  Byte header[kPacketSize];
  Serialize(d, size, header);

  Error::Push();
  const bool sent = SendAll(header, kPacketSize) && SendAll(Line, size);
  Error::Pop();
  if (!sent) {
    client_failed_.store(true);
    client_connected_.store(false);
  }
}

void TransportTCP::ThreadBody() {
  if (!parent_->Open(requested_port_) || !parent_->Listen()) {
    parent_->Close();
    accept_ready_.Signal();
    return;
  }
  port_.store(parent_->GetLocalPort());

  bool announced = false;
  while (!stop_client_.load()) {
    if (!client_connected_.load()) {
      if (!announced) {
        accept_ready_.Signal();
        announced = true;
      }
      if (!parent_->IsOpen()) break;
      if (current_->IsOpen()) CloseClient();  // one dropped by a failed send
      Network::INADDR address = 0;
      Network::PORT port = 0;
      ChangeCurrentThreadPriority(HIGH_PRIORITY);
      // A bounded wait, so that a stop request is seen without a client.
      const bool accepted = parent_->Accept(address, port, ACCEPT_TIMEOUT, *current_);
      ChangeCurrentThreadPriority(NORMAL_PRIORITY);
      if (!accepted) {
        if (stop_client_.load()) break;
        if (Error::GetCurrent().Error != Error::IO_TIMEOUT_ERROR) stop_signal_.Wait(RETRY_DELAY);
        continue;
      }
      announced = false;
      {
        Locker<Mutex> lock(client_lock_);
        client_failed_.store(false);
        client_connected_.store(true);
      }
      Console::Print("Debugger conectado desde %s\n", Network::ToString(address));
    }
    if (stop_client_.load() || !current_->IsOpen()) {
      CloseClient();
      break;
    }

    Byte record[2];
    unsigned have = 0;
    bool lost = false;
    while (have < sizeof(record) && !stop_client_.load() && !client_failed_.load()) {
      const unsigned n = current_->ReadBuffer(record + have, sizeof(record) - have, READ_TIMEOUT);
      if (n > 0) {
        have += n;
        continue;
      }
      const Error::ErrInfo& e = Error::GetCurrent();
      if (e.Error == Error::IO_TIMEOUT_ERROR) continue;
      Console::Print("Debugger desconectado: %s (%s)\n", e.Description, e.Context);
      lost = true;
      break;
    }
    if (stop_client_.load()) break;
    if (lost || client_failed_.load()) {
      CloseClient();
      continue;
    }
    Control::Command command;
    command.Command = record[0];
    command.Value = record[1];
    Control::ProcessCommand(command);
  }
  CloseClient();
  parent_->Close();
}

}  // namespace VXB::Debug
