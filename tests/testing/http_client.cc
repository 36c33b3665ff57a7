#include "testing/http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace Testing {

HttpAnswer HttpRequest(unsigned Port, const std::string& Method, const std::string& Path,
                       const std::string& ContentType, const std::string& Body, unsigned TimeoutMs,
                       const std::string& Extra) {
  HttpAnswer a;
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return a;
  timeval tv{};
  tv.tv_sec = TimeoutMs / 1000;
  tv.tv_usec = (TimeoutMs % 1000) * 1000;
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(Port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    close(fd);
    return a;
  }
  std::string request = Method + " " + Path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n";
  if (!ContentType.empty()) request += "Content-Type: " + ContentType + "\r\n";
  request += Extra;
  if (Method == "POST") request += "Content-Length: " + std::to_string(Body.size()) + "\r\n";
  request += "\r\n" + Body;
  std::size_t sent = 0;
  while (sent < request.size()) {
    ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  std::string raw;
  char buf[4096];
  for (;;) {
    ssize_t n = recv(fd, buf, sizeof(buf), 0);
    if (n <= 0) break;
    raw.append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  std::size_t end = raw.find("\r\n\r\n");
  if (raw.compare(0, 5, "HTTP/") != 0 || end == std::string::npos) return a;
  std::size_t space = raw.find(' ');
  a.Status = std::atoi(raw.c_str() + space + 1);
  std::string head = raw.substr(0, end);
  a.Head = head;
  std::string lower = head;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::size_t ct = lower.find("\r\ncontent-type:");
  if (ct != std::string::npos) {
    std::size_t from = ct + 15;
    while (from < head.size() && head[from] == ' ') ++from;
    a.ContentType = head.substr(from, head.find("\r\n", from) - from);
  }
  a.Body = raw.substr(end + 4);
  return a;
}

}  // namespace Testing
