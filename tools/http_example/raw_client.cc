#include "http_example/raw_client.h"

#include <cctype>

#include "vxb/common/runtime/error.h"

namespace Zorbel::HttpExample {

Response ParseResponse(const std::string& Raw) {
  Response r;
  const std::size_t end = Raw.find("\r\n\r\n");
  if (end == std::string::npos) {
    r.body = Raw;
    return r;
  }
  r.complete = true;
  r.head = Raw.substr(0, end + 4);
  r.body = Raw.substr(end + 4);
  std::size_t pos = Raw.find("\r\n");
  r.statusLine = Raw.substr(0, pos);
  if (r.statusLine.size() > 9) r.status = std::atoi(r.statusLine.c_str() + 9);
  pos += 2;
  while (pos < end) {
    const std::size_t eol = Raw.find("\r\n", pos);
    const std::string line = Raw.substr(pos, eol - pos);
    pos = eol + 2;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t v = colon + 1;
    while (v < line.size() && line[v] == ' ') ++v;
    r.headers[name] = line.substr(v);
  }
  return r;
}

bool RawClient::Connect(VXB::Network::PORT Port, unsigned TimeoutMs) {
  return socket_.Connect(VXB::Network::LOOPBACK, Port, TimeoutMs);
}

bool RawClient::Send(std::string_view Bytes, unsigned TimeoutMs) {
  if (Bytes.empty()) return true;
  return socket_.WriteBuffer(reinterpret_cast<const VXB::Byte*>(Bytes.data()),
                             static_cast<unsigned>(Bytes.size()), TimeoutMs) == Bytes.size();
}

bool RawClient::ShutdownSend() { return socket_.ShutdownSend(); }

bool RawClient::ReadAll(std::string& Out, unsigned TimeoutMs) {
  VXB::Byte buffer[16384];
  for (;;) {
    const unsigned n = socket_.ReadBuffer(buffer, sizeof(buffer), TimeoutMs);
    if (n == 0) {
      return VXB::Error::GetCurrent().Error == VXB::Error::SOCK_CONNECTION_CLOSED;
    }
    Out.append(reinterpret_cast<const char*>(buffer), n);
  }
}

void RawClient::Close() { socket_.Close(); }

Response Exchange(VXB::Network::PORT Port, std::string_view Request, bool HalfClose,
                  unsigned TimeoutMs) {
  RawClient client;
  if (!client.Connect(Port)) return {};
  client.Send(Request);
  if (HalfClose) client.ShutdownSend();
  std::string raw;
  client.ReadAll(raw, TimeoutMs);
  return ParseResponse(raw);
}

}  // namespace Zorbel::HttpExample
