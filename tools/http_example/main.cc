// zorbel-http-example PORT [FILES_DIR] [SECONDS]: serves the example pages on
// PORT for SECONDS (default 60) and stops.
#include <cstdio>
#include <cstdlib>

#include "http_example/example_server.h"
#include "vxb/common/runtime/system.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PORT [FILES_DIR] [SECONDS]\n", argv[0]);
    return 2;
  }
  const unsigned port = static_cast<unsigned>(std::atoi(argv[1]));
  const std::string files = argc > 2 ? argv[2] : "";
  const unsigned seconds = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 60;
  Zorbel::HttpExample::ExampleServer server(port, files);
  if (!server.IsOK() || !server.Run()) {
    std::fprintf(stderr, "cannot serve on port %u\n", port);
    return 1;
  }
  std::printf("serving on port %u for %u s\n", server.GetPort(), seconds);
  std::fflush(stdout);
  VXB::System::Sleep(seconds * 1000);
  server.Stop();
  server.WaitStopped();
  return 0;
}
