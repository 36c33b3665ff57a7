// A small server on the embedded HTTP engine: the page "hello.html" (a fixed
// small page with its length), the page "echo" (the request's method, path,
// variables and body as plain text), every file of a directory under
// "/files/", and an index page. Used by the tests, the benchmark and the
// zorbel-http-example program.
#ifndef TOOLS_HTTP_EXAMPLE_EXAMPLE_SERVER_H_
#define TOOLS_HTTP_EXAMPLE_EXAMPLE_SERVER_H_

#include <string>

#include "vxb/common/http/http_server.h"

namespace Zorbel::HttpExample {

// The bytes of "hello.html".
extern const char HELLO_PAGE[];

class ExampleServer : public VXB::HTTP::Server {
 public:
  // Port 0 takes a free port (GetPort()). FilesDir may be empty: no files.
  ExampleServer(unsigned Port, const std::string& FilesDir);
  ~ExampleServer() override;

 protected:
  void Index() override;

 private:
  class Echo : public VXB::HTTP::PageFunctor {
   public:
    explicit Echo(ExampleServer* Owner) : owner_(Owner) {}
    void PageHandler(const char* Page) override;

   private:
    ExampleServer* owner_;
  };

  // "doc": a JSON or XML document (chosen by the request's content type)
  // read as tokens and written back in the same format.
  class Document : public VXB::HTTP::PageFunctor {
   public:
    explicit Document(ExampleServer* Owner) : owner_(Owner) {}
    void PageHandler(const char* Page) override;

   private:
    ExampleServer* owner_;
  };

  Echo echo_{this};
  Document document_{this};
};

}  // namespace Zorbel::HttpExample

#endif  // TOOLS_HTTP_EXAMPLE_EXAMPLE_SERVER_H_
