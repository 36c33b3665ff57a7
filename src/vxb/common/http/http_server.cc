#include "vxb/common/http/http_server.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/format/generic_json.h"
#include "vxb/common/format/json_reader.h"
#include "vxb/common/format/json_writer.h"
#include "vxb/common/format/xml_generic.h"
#include "vxb/common/format/xml_reader.h"
#include "vxb/common/format/xml_writer.h"
#include "vxb/common/http/http_connections.h"
#include "vxb/common/http/httpd_protocol.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"

namespace VXB::HTTP {

namespace {

// Servers alive in the process.
std::atomic<unsigned> server_count{0};

// The server waits at most this long (ms) on its sockets before it looks at
// the stop flag again.
constexpr unsigned TURN_WAIT = 500;

}  // namespace

// Writes answer bytes through the server (headers first).
class Server::BinaryWriter : public Driver::Generic {
 public:
  explicit BinaryWriter(Server* Owner) : Generic("HTTP BinaryGeneric"), owner_(Owner) {}
  bool OK() const override { return true; }

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) override {
    return owner_->SendBinary(buf, size) ? size : 0;
  }
  unsigned ReadBufferImplementation(Byte*, unsigned, unsigned) override {
    Error::SetWithContext(Error::IO_WRITE_ONLY, "HTTP BinaryGeneric");
    return 0;
  }

 private:
  Server* owner_;
};

// Reads the request body through the server.
class Server::BodyReader : public Driver::Generic {
 public:
  explicit BodyReader(Server* Owner) : Generic("HTTP Reader"), owner_(Owner) {}
  bool OK() const override { return true; }

 protected:
  unsigned WriteBufferImplementation(const Byte*, unsigned, unsigned) override {
    Error::SetWithContext(Error::IO_READ_ONLY, "HTTP Reader");
    return 0;
  }
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned) override {
    unsigned n = size;
    return owner_->Read(reinterpret_cast<char*>(buf), n) ? n : 0;
  }

 private:
  Server* owner_;
};

struct Server::Documents {
  Documents(Driver::EncodedCharReader* xml_in, Driver::EncodedCharReader* json_in,
            Driver::EncodedStringWriter* out)
      : XMLReader(xml_in),
        JSONReader(json_in),
        XMLWriter(out),
        JSONWriter(out),
        XMLReaderGeneric(&XMLReader),
        JSONReaderGeneric(&JSONReader),
        XMLWriterGeneric(&XMLWriter),
        JSONWriterGeneric(&JSONWriter) {}

  XML::Reader XMLReader;
  JSON::Reader JSONReader;
  XML::Writer XMLWriter;
  JSON::Writer JSONWriter;
  GenericDataFormat::XML::Reader XMLReaderGeneric;
  GenericDataFormat::JSON::Reader JSONReaderGeneric;
  GenericDataFormat::XML::Writer XMLWriterGeneric;
  GenericDataFormat::JSON::Writer JSONWriterGeneric;
};

Server::Server(unsigned HTTPPort, bool CanBeStopped)
    : Thread("HTTP::Server", NORMAL_PRIORITY),
      Debugger(Debug::HTTP, "HTTP::Server"),
      Stoppable(CanBeStopped) {
  GenericHTTPBinaryWriter = std::make_unique<BinaryWriter>(this);
  StringWriterHTTP = std::make_unique<Driver::EncodedStringWriterFromGeneric>(
      GenericHTTPBinaryWriter.get(), ASCII::CP437, ASCII::LATIN1, ASCII::NO_ENTITIES);
  BodyDriver = std::make_unique<BodyReader>(this);
  CharReader = std::make_unique<Driver::EncodedCharReaderFromGeneric>(
      BodyDriver.get(), ASCII::NO_CHARSET, ASCII::CP437, ASCII::NO_ENTITIES);
  CharReaderXML = std::make_unique<Driver::EncodedCharReaderFromGeneric>(
      BodyDriver.get(), ASCII::NO_CHARSET, ASCII::CP437, ASCII::NO_ENTITIES);
  CharReaderJSON = std::make_unique<Driver::EncodedCharReaderFromGeneric>(
      BodyDriver.get(), ASCII::NO_CHARSET, ASCII::CP437, ASCII::NO_ENTITIES);
  HTML.SetTarget(StringWriterHTTP.get());
  Docs = std::make_unique<Documents>(CharReaderXML.get(), CharReaderJSON.get(),
                                     StringWriterHTTP.get());
  XMLReaderGeneric = &Docs->XMLReaderGeneric;
  JSONReaderGeneric = &Docs->JSONReaderGeneric;
  XMLWriterGeneric = &Docs->XMLWriterGeneric;
  JSONWriterGeneric = &Docs->JSONWriterGeneric;
  if (CanBeStopped) Stopped = std::make_unique<Semaphore>("HTTP_Stopped", 0);

  if (server_count.fetch_add(1) >= MAX_HTTP_SERVERS) {
    server_count.fetch_sub(1);
    Debugger.Print("Server count exceeded");
    Error::SetWithContext(Error::SYSTEM_DRIVER_ERROR, "Server count exceeded");
    return;
  }
  Instance = httpdCreate(nullptr, HTTPPort);
  if (Instance == nullptr) {
    server_count.fetch_sub(1);
    Debugger.Print("Can't create server");
    return;
  }
  Instance->owner = this;
  Instance->stopFlag = &StopIt;
  httpdAddCContent(Instance, "/", "index.html", true, nullptr, IndexHandler);
}

Server::~Server() {
  StopIt.store(true);
  Join();
  if (Instance != nullptr) {
    httpdDestroy(Instance);
    Instance = nullptr;
    server_count.fetch_sub(1);
  }
}

unsigned Server::GetPort() const { return Instance != nullptr ? httpdGetPort(Instance) : 0; }

RefusalCounts Server::GetRefusals() const {
  if (Instance == nullptr) return {};
  const httpRefusals& r = Instance->refusals;
  return {r.foreignHost.load(), r.foreignOrigin.load(), r.deniedClient.load(),
          r.overCapacity.load()};
}

void Server::SetMaxConnections(unsigned Max) {
  MaxConnections = std::clamp(Max, 1u, MAX_CONNECTIONS_LIMIT);
}

void Server::SetTimeouts(unsigned Receive, unsigned Request, unsigned Linger) {
  if (Instance == nullptr) return;
  Instance->readTimeout = Receive;
  Instance->requestDeadline = Request;
  Instance->lingerTimeout = Linger;
}

Server* Server::GetServer(httpd* Instance) { return static_cast<Server*>(Instance->owner); }

bool Server::DoAddPage(const char* Page, PageFunctor* Functor, httpdPreload Check) {
  if (Instance == nullptr || Page == nullptr || Functor == nullptr) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "AddPage");
  }
  const std::size_t length = std::strlen(Page);
  if (length == 0 || length >= MAX_PAGE_NAME || std::strchr(Page, '/') != nullptr) {
    Debugger.Print("AddPage %s: invalid name", Page);
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "AddPage %s: invalid name", Page);
  }
  if (PageCount >= MAX_PAGES) {
    Debugger.Print("AddPage %s: no more pages (%u > %u)", Page, PageCount, MAX_PAGES);
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "AddPage %s: no more pages", Page);
  }
  if (httpdAddCContent(Instance, "/", Page, false, Check, PageHandler) != 0) return false;
  Pages[PageCount].Functor = Functor;
  std::memcpy(Pages[PageCount].Page, Page, length + 1);
  ++PageCount;
  return true;
}

bool Server::AddPage(const char* Page, PageFunctor* Functor, bool Protected) {
  return DoAddPage(Page, Functor, Protected ? Authenticate : nullptr);
}

bool Server::AddHTTPSOnlyPage(const char* Page, PageFunctor* Functor) {
  return DoAddPage(Page, Functor, HTTPSOnly);
}

bool Server::AddFile(const char* Filename, const char* FileSource) {
  if (Instance == nullptr || Filename == nullptr) return false;
  return httpdAddFileContent(Instance, "/", Filename, false, nullptr,
                             FileSource != nullptr ? FileSource : Filename) == 0;
}

bool Server::AddDirectory(const char* Dir, const char* Source) {
  if (Instance == nullptr || Dir == nullptr || Source == nullptr) return false;
  return httpdAddWildcardContent(Instance, Dir, nullptr, Source) == 0;
}

bool Server::AddStaticPage(const char* Name, const char* Data) {
  if (Instance == nullptr || Name == nullptr || Data == nullptr) return false;
  return httpdAddStaticContent(Instance, "/", Name, false, nullptr, Data) == 0;
}

bool Server::AddCodedFile(const char* Filename) {
  if (Instance == nullptr || Filename == nullptr) return false;
  return httpdAddCContent(Instance, "/", Filename, false, nullptr, CodedFileHandler) == 0;
}

bool Server::AddHTTPS(unsigned, const char*, const char*, const char*) {
  Debugger.Print("Error adding SSL to HTTP server");
  return Error::SetWithContext(Error::CRYPTOGRAPHY_NOT_SUPPORTED_ALGORITHM, "HTTPS");
}

void Server::ThreadBody() {
  Debugger.Print("HTTP running");
  ConnectionSet connections(Instance, MaxConnections);
  while (!StopIt.load()) {
    if (!connections.Turn(TURN_WAIT) && !StopIt.load()) Idle();
    while (!StopIt.load() && connections.AttachNext()) {
      ServeAttached();
      connections.Detach();
    }
  }
  connections.CloseAll();
  Debugger.Print("Stopped");
  if (Stoppable) {
    Debugger.Print("Server stopped");
    Stopped->Signal();
  }
}

void Server::ServeAttached() {
  const std::uint64_t first = System::MonotonicMilliseconds();
  if (httpdReadRequest(Instance) < 0) return;
  const std::uint64_t second = System::MonotonicMilliseconds();
  BeginProcess();
  StringWriterHTTP->SetCharsetTo(ASCII::LATIN1);
  CharReader->Reset();
  CharReaderXML->Reset();
  CharReaderJSON->Reset();
  XMLReaderGeneric->Reset();
  JSONReaderGeneric->Reset();
  XMLWriterGeneric->Reset();
  JSONWriterGeneric->Reset();
  httpdProcessRequest(Instance);
  FlushText();
  const std::uint64_t processed = System::MonotonicMilliseconds() - second;
  if (Debugger.IsEnabled()) {
    const std::uint64_t total = System::MonotonicMilliseconds() - first;
    Debugger.Print("Served; process time: %s; total request time: %s",
                   ASCII::Milliseconds(processed).ToString(),
                   ASCII::Milliseconds(total).ToString());
  }
  EndProcess();
}

void Server::Stop() { StopIt.store(true); }

void Server::WaitStopped() {
  // Joining also covers a server whose thread never ran (nothing would
  // ever signal "HTTP_Stopped" then).
  if (Stoppable) Join();
}

void Server::PageHandler(httpd* Instance) {
  Server* self = GetServer(Instance);
  char printable[256];
  self->Debugger.Print("Serving page %s",
                       httpdPrintable(Instance->request.path, printable, sizeof(printable)));
  self->Page(Instance->request.path);
}

void Server::Page(const char* Path) {
  const char* name = Path[0] == '/' ? Path + 1 : Path;
  for (unsigned i = 0; i < PageCount; ++i) {
    if (std::strcmp(Pages[i].Page, name) == 0) {
      Pages[i].Functor->PageHandler(Pages[i].Page);
      return;
    }
  }
  Debugger.Print("No se encontr\xA2 p\xA0gina %s", name);
}

void Server::IndexHandler(httpd* Instance) {
  Server* self = GetServer(Instance);
  self->Debugger.Print("Serving HTTP%s index page", Instance->viaHTTPS ? "S" : "");
  if (Instance->viaHTTPS) {
    self->IndexHTTPS();
  } else {
    self->Index();
  }
}

void Server::CodedFileHandler(httpd* Instance) {
  // This program compiles no files in.
  char printable[256];
  GetServer(Instance)->Debugger.Print(
      "Codedfile [%s] not found!",
      httpdPrintable(Instance->request.path, printable, sizeof(printable)));
  httpdSend404(Instance);
}

int Server::Authenticate(httpd* Instance) {
  Server* self = GetServer(Instance);
  if (!httpdAuthenticate(Instance, self->Realm)) return -1;
  if (!self->CheckUsernameAndPassword(Instance->request.path, Instance->request.authUser,
                                      Instance->request.authPassword)) {
    httpdForceAuthenticate(Instance, self->Realm);
    return -1;
  }
  return 0;
}

int Server::HTTPSOnly(httpd* Instance) {
  if (Instance->viaHTTPS) return 0;
  char printable[256];
  GetServer(Instance)->Debugger.Print(
      "P\xA0gina %s es s\xA2lo visible por HTTPS",
      httpdPrintable(Instance->request.path, printable, sizeof(printable)));
  httpdSend403(Instance);
  return -1;
}

bool Server::CheckUsernameAndPassword(const char*, const char*, const char*) { return false; }

bool Server::FlushText() {
  return StringWriterHTTP->Buffered() == 0 || StringWriterHTTP->Flush(Constants::WAIT_FOREVER);
}

bool Server::Print(const char* Buf) {
  return FlushText() && httpdPrint(Instance, Buf != nullptr ? Buf : "");
}

bool Server::PrintF(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  std::vsnprintf(PrintBuffer, sizeof(PrintBuffer), Format, args);
  va_end(args);
  return Print(PrintBuffer);
}

bool Server::SendBinary(const Byte* Buffer, unsigned Size) {
  if (!Instance->response.headersSent && !httpdSendHeaders(Instance)) return false;
  for (unsigned done = 0; done < Size;) {
    const unsigned piece = std::min(Size - done, HTTP_MAX_LEN);
    if (!_httpd_sendBinary(Instance, Buffer + done, piece)) return false;
    done += piece;
  }
  return true;
}

bool Server::SendFileFirst(MIME::Types Type, const Byte* Buffer, unsigned Size) {
  SetContent(Type, ASCII::NO_CHARSET);
  return SendBinary(Buffer, Size);
}

bool Server::SendFileNext(const Byte* Buffer, unsigned Size) { return SendBinary(Buffer, Size); }

bool Server::Read(char* Buf, unsigned& Size) { return httpdRead(Instance, Buf, Size); }

bool Server::ReadBody(std::string& Body, std::size_t Max) {
  Body.clear();
  const httpReq& r = Instance->request;
  if (r.hasContentLength && r.contentLength > Max)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "Cuerpo de %u bytes (m\xA0ximo %zu)",
                                 static_cast<unsigned>(r.contentLength), Max);
  char chunk[HTTP_READ_BUF_LEN];
  for (;;) {
    unsigned n = sizeof(chunk);
    if (!Read(chunk, n) || n == 0) return true;
    if (n > Max - Body.size()) {
      Body.clear();
      return Error::SetWithContext(Error::IO_PARAM_ERROR, "Cuerpo de m\xA0s de %zu bytes", Max);
    }
    Body.append(chunk, n);
  }
}

namespace {

// The reason phrase of the statuses an answer may carry.
const char* Reason(unsigned Status) {
  switch (Status) {
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 409:
      return "Conflict";
    case 413:
      return "Payload Too Large";
    case 422:
      return "Unprocessable Content";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Error";
  }
}

}  // namespace

bool Server::SendAnswer(unsigned Status, MIME::Types Type, ASCII::Charsets Charset,
                        std::string_view Body) {
  if (Instance->response.headersSent || Body.size() > 0xFFFFFFFFu)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "SendAnswer");
  if (Status != 200) {
    char line[64];
    std::snprintf(line, sizeof(line), "%u %s", Status, Reason(Status));
    if (!httpdSetResponse(Instance, line)) return false;
  }
  SetContent(Type, Charset);
  const std::string length = "Content-Length: " + std::to_string(Body.size());
  if (!httpdAddHeader(Instance, length.c_str())) return false;
  return SendBinary(reinterpret_cast<const Byte*>(Body.data()), static_cast<unsigned>(Body.size()));
}

const char* Server::GetVariable(const char* Name) {
  const httpVar* v = httpdGetVariableByName(Instance, ASCII::ToIdentifier(Name));
  return v != nullptr ? v->value.c_str() : nullptr;
}

bool Server::TestVariable(const char* Name, const char* Value) {
  const char* current = GetVariable(Name);
  if (current == nullptr || Value == nullptr) return current != nullptr;
  const std::string a = ASCII::ToIdentifier(current);
  return a == ASCII::ToIdentifier(Value);
}

void Server::SetVariable(const char* Name, const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  vSetVariable(Name, Format, args);
  va_end(args);
}

void Server::vSetVariable(const char* Name, const char* Format, va_list Args) {
  char value[2048];
  std::vsnprintf(value, sizeof(value), Format, Args);
  const std::string name = ASCII::ToIdentifier(Name);
  httpdAddVariable(Instance, name.c_str(), value);
}

void Server::SetDownloadFilename(const char* Filename) {
  std::string name;
  for (const char* p = Filename != nullptr ? Filename : ""; *p != 0 && name.size() < 511; ++p) {
    // A quote or a line break would end the header value early.
    if (*p == '"' || *p == '\\' || *p == '\r' || *p == '\n') continue;
    name += *p;
  }
  const std::string value = "attachment; filename=\"" + name + "\"";
  httpdSetContentDisposition(Instance, value.c_str());
}

void Server::SetContent(MIME::Types Type, ASCII::Charsets Charset) {
  httpdSetContentType(Instance, MIME::ToString(Type));
  switch (Charset) {
    case ASCII::NO_CHARSET:
      httpdSetCharset(Instance, "");
      break;
    case ASCII::CP437:
      httpdSetCharset(Instance, "cp437");
      break;
    case ASCII::UTF8:
      httpdSetCharset(Instance, "UTF-8");
      break;
    case ASCII::LATIN1:
      httpdSetCharset(Instance, "ISO-8859-1");
      break;
    default:
      httpdSetCharset(Instance, ASCII::ToString(Charset));
      break;
  }
}

bool Server::GetContent(MIME::Types& Type, ASCII::Charsets& Charset) {
  Type = MIME::FromString(Instance->request.contentType);
  const char* c = Instance->request.charset;
  if (c[0] == 0) {
    Charset = ASCII::NO_CHARSET;
    return true;
  }
  return ASCII::FromString(c, Charset);
}

const char* Server::GetRequestCharset() const { return Instance->request.charset; }

const char* Server::GetIdempotencyKey(bool& TooLong) const {
  TooLong = Instance->request.idempotencyKeyTooLong;
  return Instance->request.hasIdempotencyKey ? Instance->request.idempotencyKey : nullptr;
}

bool Server::AddHeader(const char* Line) {
  if (Instance->response.headersSent)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "AddHeader");
  return httpdAddHeader(Instance, Line);
}

const Byte* Server::GetUpload() const { return Instance->request.fileUpload; }
unsigned Server::GetUploadLength() const { return Instance->request.fileUploadLength; }
MIME::Types Server::GetUploadContent() const {
  return MIME::FromString(Instance->request.fileUploadContentType);
}
const char* Server::GetClientAddress() const { return Instance->clientAddr; }

}  // namespace VXB::HTTP
