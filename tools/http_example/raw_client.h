// A loopback HTTP client that sends raw bytes and reads the whole answer,
// for tests and benchmarks of the embedded server. It checks nothing itself:
// callers look at the parsed status line, headers and body.
//
// Thread safety: one thread per client object.
#ifndef TOOLS_HTTP_EXAMPLE_RAW_CLIENT_H_
#define TOOLS_HTTP_EXAMPLE_RAW_CLIENT_H_

#include <map>
#include <string>
#include <string_view>

#include "vxb/common/io/network.h"

namespace Zorbel::HttpExample {

struct Response {
  bool complete = false;   // a status line and the end of the headers came
  std::string statusLine;  // "HTTP/1.0 200 Output Follows"
  int status = 0;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string head;                            // the raw head, for line-end checks
  std::string body;
};

// Splits a raw answer into status line, headers and body.
Response ParseResponse(const std::string& Raw);

class RawClient {
 public:
  bool Connect(VXB::Network::PORT Port, unsigned TimeoutMs = 2000);
  bool Send(std::string_view Bytes, unsigned TimeoutMs = 2000);
  // Ends the sending direction: the server reads the end of the stream.
  bool ShutdownSend();
  // Reads until the server closes the connection or TimeoutMs passes
  // without a byte; false on a time-out or a reset.
  bool ReadAll(std::string& Out, unsigned TimeoutMs = 5000);
  void Close();
  VXB::StreamSocket& Socket() { return socket_; }

 private:
  VXB::StreamSocket socket_;
};

// Connects, sends Request, half-closes when asked, and reads the answer.
Response Exchange(VXB::Network::PORT Port, std::string_view Request, bool HalfClose = false,
                  unsigned TimeoutMs = 5000);

}  // namespace Zorbel::HttpExample

#endif  // TOOLS_HTTP_EXAMPLE_RAW_CLIENT_H_
