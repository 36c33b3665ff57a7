// A minimal blocking HTTP/1.0 client for tests that talk to a server on the
// loopback interface: one request per connection, the whole answer read
// until the server closes.
#ifndef TESTS_TESTING_HTTP_CLIENT_H_
#define TESTS_TESTING_HTTP_CLIENT_H_

#include <string>

namespace Testing {

struct HttpAnswer {
  int Status = 0;           // 0 when no answer could be read
  std::string ContentType;  // the Content-Type header's value
  std::string Body;
  std::string Head;  // the status line and headers as received
};

// Sends Method Path to 127.0.0.1:Port with Body under ContentType (no
// Content-Type header when empty) and the header lines Extra (each ended
// by CR LF). Gives up after TimeoutMs.
HttpAnswer HttpRequest(unsigned Port, const std::string& Method, const std::string& Path,
                       const std::string& ContentType, const std::string& Body,
                       unsigned TimeoutMs = 10000, const std::string& Extra = "");

}  // namespace Testing

#endif  // TESTS_TESTING_HTTP_CLIENT_H_
