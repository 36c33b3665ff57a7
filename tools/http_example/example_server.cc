#include "http_example/example_server.h"

#include <string>

namespace Zorbel::HttpExample {

const char HELLO_PAGE[] =
    "<!DOCTYPE html><html><head><title>Hello</title></head>"
    "<body><p>Hello from the bridge.</p></body></html>\n";

ExampleServer::ExampleServer(unsigned Port, const std::string& FilesDir)
    : VXB::HTTP::Server(Port, true) {
  if (!IsOK()) return;
  AddStaticPage("hello.html", HELLO_PAGE);
  AddPage("echo", &echo_);
  if (!FilesDir.empty()) AddDirectory("/files", FilesDir.c_str());
}

ExampleServer::~ExampleServer() {
  // The serving loop uses the page functors: end it before they go.
  Stop();
  Join();
}

void ExampleServer::Index() {
  VXB::HTML::Writer& html = GetHTML();
  html.Begin("Zorbel HTTP example");
  html.Paragraph("Pages: hello.html, echo, files/");
  html.End();
}

void ExampleServer::Echo::PageHandler(const char* Page) {
  VXB::HTTP::httpd* engine = owner_->Engine();
  owner_->SetContent(VXB::MIME::ASCII, VXB::ASCII::NO_CHARSET);
  std::string out = std::string("method ") + VXB::HTTP::httpdRequestMethodName(engine) + "\npage " +
                    Page + "\ncontent-type " + engine->request.contentType + "\ncharset " +
                    engine->request.charset + "\n";
  for (auto* v = engine->variables; v != nullptr; v = v->nextVariable) {
    for (auto* value = v; value != nullptr; value = value->nextValue) {
      out += "var " + v->name + "=" + value->value + "\n";
    }
  }
  if (engine->request.fileUploadLength > 0) {
    out += "upload " + std::to_string(engine->request.fileUploadLength) + " " +
           engine->request.fileUploadContentType + "\n";
  }
  out += "body ";
  owner_->SendBinary(reinterpret_cast<const VXB::Byte*>(out.data()),
                     static_cast<unsigned>(out.size()));
  char buffer[4096];
  for (;;) {
    unsigned n = sizeof(buffer);
    if (!owner_->Read(buffer, n)) break;
    owner_->SendBinary(reinterpret_cast<const VXB::Byte*>(buffer), n);
  }
}

}  // namespace Zorbel::HttpExample
