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
  AddPage("doc", &document_);
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

void ExampleServer::Document::PageHandler(const char*) {
  VXB::MIME::Types type;
  VXB::ASCII::Charsets charset;
  owner_->GetContent(type, charset);
  if (type != VXB::MIME::JSON && type != VXB::MIME::XML) {
    owner_->SetContent(VXB::MIME::ASCII, VXB::ASCII::NO_CHARSET);
    owner_->PrintF("unsupported content type %s", VXB::MIME::ToString(type));
    return;
  }
  const bool json = type == VXB::MIME::JSON;
  VXB::GenericDataFormat::Reader& reader = json ? owner_->GetJSONReader() : owner_->GetXMLReader();
  VXB::GenericDataFormat::Writer& writer = json ? owner_->GetJSONWriter() : owner_->GetXMLWriter();
  if (charset != VXB::ASCII::NO_CHARSET) reader.SetEncoding(charset);
  const VXB::ASCII::Charsets out = json ? VXB::ASCII::UTF8 : reader.GetEncoding();
  writer.SetEncoding(out);
  owner_->SetContent(type, out);
  VXB::GenericDataFormat::Token t;
  while (reader.GetToken(t)) {
    switch (t.Type) {
      case VXB::GenericDataFormat::Token::OPEN_OBJECT:
        writer.OpenObject(t.Name);
        break;
      case VXB::GenericDataFormat::Token::CLOSE_OBJECT:
        writer.CloseObject();
        break;
      case VXB::GenericDataFormat::Token::OPEN_ARRAY:
        writer.OpenArray(t.Name);
        break;
      case VXB::GenericDataFormat::Token::CLOSE_ARRAY:
        writer.CloseArray();
        break;
      case VXB::GenericDataFormat::Token::NAME_VALUE:
        writer.NameValue(t.Name, t.Value);
        break;
      case VXB::GenericDataFormat::Token::ARRAY_ELEMENT:
        writer.ArrayElement(t.Value);
        break;
    }
  }
}

}  // namespace Zorbel::HttpExample
