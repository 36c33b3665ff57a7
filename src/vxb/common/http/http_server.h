// The HTTP server object: the HTTP engine on a thread of its own ("HTTP::Server")
// with a table of named pages.
//
// An application derives from Server, implements Index(), adds its pages
// (each with a PageFunctor) and calls Run(). The server thread reads every
// open connection together as its bytes come (http_connections.h), and
// serves the requests strictly one after another, in the order they became
// complete; no client waits for another that is slow to send or to read.
// While a functor runs, the server
// is its view of the request (content type, charset, body, variables,
// upload) and of the answer (content type, text and binary output, the
// HTML writer and the text writer and body reader that structured-document
// writers and readers wrap). The first output sends the headers.
//
// Stop() may be called from any thread: the serving loop ends after the
// current request, or within half a second when idle; clients
// still sending their requests are dropped then. The
// stop flag is set only by Stop() and cleared only by the constructor, so a
// stop asked before the thread runs is kept. The destructor stops the loop,
// waits for it and releases the port.
//
// Thread safety: Stop(), WaitStopped() and IsOK() from any thread; every
// other operation only on the server thread (inside functors and Index),
// or before Run().
#ifndef VXB_COMMON_HTTP_SERVER_H_
#define VXB_COMMON_HTTP_SERVER_H_

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/format/html.h"
#include "vxb/common/format/mime.h"
#include "vxb/common/http/httpd_api.h"
#include "vxb/common/io/encoded_char_reader.h"
#include "vxb/common/io/encoded_string_writer.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/thread.h"
#include "vxb/common/text/charset.h"

namespace VXB::HTTP {

inline constexpr unsigned MAX_HTTP_SERVERS = 10;
inline constexpr unsigned MAX_PAGES = 100;
inline constexpr unsigned MAX_PAGE_NAME = 50;  // names up to 49 characters

class PageFunctor {
 public:
  virtual ~PageFunctor() = default;
  // Called on the server thread with the page name (the path without its
  // leading "/").
  virtual void PageHandler(const char* Page) = 0;
};

struct PageFunction {
  PageFunctor* Functor = nullptr;  // not owned
  char Page[MAX_PAGE_NAME] = {};
};

// What the engine turned away at its door since the server was made (see
// httpRefusals).
struct RefusalCounts {
  std::uint64_t ForeignHost = 0;
  std::uint64_t ForeignOrigin = 0;
  std::uint64_t DeniedClient = 0;
  std::uint64_t OverCapacity = 0;
};

class Server : public Thread {
 public:
  // Opens HTTPPort (0: a free port, see GetPort) and builds everything; the
  // thread starts with Run(). IsOK() is false when the port could not be
  // opened or MAX_HTTP_SERVERS servers exist; no thread may then be run.
  Server(unsigned HTTPPort, bool CanBeStopped);
  ~Server() override;

  bool IsOK() const { return Instance != nullptr; }
  unsigned GetPort() const;

  // Registers a page in the root directory; false when the server is not
  // OK, the name is empty, has a "/" or is longer than 49 characters, or
  // MAX_PAGES pages exist. Protected pages need Basic credentials accepted
  // by CheckUsernameAndPassword.
  bool AddPage(const char* Page, PageFunctor* Functor, bool Protected = false);
  // A page served only over HTTPS; over plain HTTP it is answered 403.
  bool AddHTTPSOnlyPage(const char* Page, PageFunctor* Functor);
  // Serves the disk file FileSource (Filename when null) as Filename.
  bool AddFile(const char* Filename, const char* FileSource = nullptr);
  // Serves every regular file of the directory Source under Dir.
  bool AddDirectory(const char* Dir, const char* Source);
  // Serves the text Data (not copied: it must outlive the server) as Name,
  // with its length.
  bool AddStaticPage(const char* Name, const char* Data);
  // Serves a file compiled into the program (none in this program: 404).
  bool AddCodedFile(const char* Filename);
  // HTTPS needs a TLS library that this program does not carry: false.
  bool AddHTTPS(unsigned Port, const char* Key, const char* Certificate, const char* Chain);

  // Request deadlines (ms): per receive, per head or body, and the drain at
  // the end of a connection. Before Run() only.
  void SetTimeouts(unsigned Receive, unsigned Request, unsigned Linger);
  // Open connections at most (1..1000, 64 by default); one more is
  // answered 503 and closed. Before Run() only.
  void SetMaxConnections(unsigned Max);

  // Output.
  bool Print(const char* Buf);
  bool PrintF(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool SendBinary(const Byte* Buffer, unsigned Size);
  bool SendFileFirst(MIME::Types Type, const Byte* Buffer, unsigned Size);
  bool SendFileNext(const Byte* Buffer, unsigned Size);
  // The request body (never past its Content-Length).
  bool Read(char* Buf, unsigned& Size);
  // The whole request body into Body: up to its Content-Length, or without
  // one until the client stops sending. False (IO_PARAM_ERROR), with
  // nothing read, when its Content-Length exceeds Max, or when more than
  // Max bytes come without one. A body cut short is delivered as it came.
  bool ReadBody(std::string& Body, std::size_t Max);
  // A whole answer held in memory, with its Content-Length: the status
  // (200 keeps the engine's status line), the content type and charset
  // (as SetContent) and the bytes. Only as the request's one output.
  bool SendAnswer(unsigned Status, MIME::Types Type, ASCII::Charsets Charset,
                  std::string_view Body);

  // Variables by the identifier form of their name (upper case, other
  // characters "_").
  const char* GetVariable(const char* Name);
  bool TestVariable(const char* Name, const char* Value = nullptr);
  void SetVariable(const char* Name, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  void vSetVariable(const char* Name, const char* Format, va_list Args);

  void SetDownloadFilename(const char* Filename);
  // The answer's content type and the charset named in its header.
  void SetContent(MIME::Types Type, ASCII::Charsets Charset);
  // The request's content type and the set its charset parameter names
  // (NO_CHARSET when it names none). False when it names a set that
  // ASCII::FromString does not know; GetRequestCharset() then gives the
  // name as sent.
  bool GetContent(MIME::Types& Type, ASCII::Charsets& Charset);
  const char* GetRequestCharset() const;
  // The request's Idempotency-Key header: null when it has none; TooLong
  // when its value was too long to keep (the text is then cut).
  const char* GetIdempotencyKey(bool& TooLong) const;
  // One more header line ("Name: value", no line break) for the answer;
  // before SendAnswer only.
  bool AddHeader(const char* Line);

  const Byte* GetUpload() const;
  unsigned GetUploadLength() const;
  MIME::Types GetUploadContent() const;
  static constexpr unsigned GetMaxUploadLength() { return HTTP_MAX_FILEUPLOAD_SIZE; }
  const char* GetClientAddress() const;

  // Token-stream readers over the request body and writers into the answer
  // (the first write sends the headers). They serve one request at a time;
  // they are reset before each request.
  GenericDataFormat::Reader& GetXMLReader() { return *XMLReaderGeneric; }
  GenericDataFormat::Reader& GetJSONReader() { return *JSONReaderGeneric; }
  GenericDataFormat::Writer& GetXMLWriter() { return *XMLWriterGeneric; }
  GenericDataFormat::Writer& GetJSONWriter() { return *JSONWriterGeneric; }

  // The HTML writer and the text writer over the answer, and the character
  // reader over the request body.
  HTML::Writer& GetHTML() { return HTML; }
  Driver::EncodedStringWriter& GetStringWriter() { return *StringWriterHTTP; }
  Driver::EncodedCharReader& GetCharReader() { return *CharReader; }

  // The engine, for handlers that need the request's details; null when
  // the server is not OK.
  httpd* Engine() { return Instance; }
  // From any thread; all zero when the server is not OK.
  RefusalCounts GetRefusals() const;

  virtual void Stop();
  // When the server can be stopped, waits until the serving loop has ended.
  void WaitStopped();
  bool StopRequested() const { return StopIt.load(); }

 protected:
  void ThreadBody() override;
  virtual void Index() = 0;
  virtual void IndexHTTPS() { Index(); }
  // Deny by default: a protected page needs a server that checks.
  virtual bool CheckUsernameAndPassword(const char* Page, const char* User, const char* Password);
  virtual void BeginProcess() {}
  virtual void EndProcess() {}
  // On the server thread after a wait with nothing on the sockets (at most
  // half a second), for work best done when no client waits.
  virtual void Idle() {}

  Debug::Debugger Debugger;

 private:
  class BinaryWriter;
  class BodyReader;

  static Server* GetServer(httpd* Instance);
  static void PageHandler(httpd* Instance);
  static void IndexHandler(httpd* Instance);
  static void CodedFileHandler(httpd* Instance);
  static int Authenticate(httpd* Instance);
  static int HTTPSOnly(httpd* Instance);
  bool DoAddPage(const char* Page, PageFunctor* Functor, httpdPreload Check);
  void Page(const char* Path);
  bool FlushText();
  // Reads, processes and answers the request of the connection the engine
  // is attached to.
  void ServeAttached();

  PageFunction Pages[MAX_PAGES];
  unsigned PageCount = 0;
  httpd* Instance = nullptr;
  bool Stoppable;
  unsigned MaxConnections = 64;
  std::atomic<bool> StopIt{false};
  const char* Realm = "VXB";
  std::unique_ptr<Semaphore> Stopped;
  std::unique_ptr<BinaryWriter> GenericHTTPBinaryWriter;
  std::unique_ptr<Driver::EncodedStringWriterFromGeneric> StringWriterHTTP;
  std::unique_ptr<BodyReader> BodyDriver;
  std::unique_ptr<Driver::EncodedCharReaderFromGeneric> CharReader;
  std::unique_ptr<Driver::EncodedCharReaderFromGeneric> CharReaderXML;
  std::unique_ptr<Driver::EncodedCharReaderFromGeneric> CharReaderJSON;
  struct Documents;  // the XML and JSON readers and writers with their adapters
  std::unique_ptr<Documents> Docs;
  GenericDataFormat::Reader* XMLReaderGeneric = nullptr;
  GenericDataFormat::Reader* JSONReaderGeneric = nullptr;
  GenericDataFormat::Writer* XMLWriterGeneric = nullptr;
  GenericDataFormat::Writer* JSONWriterGeneric = nullptr;
  HTML::Writer HTML;
  char PrintBuffer[HTTP_MAX_LEN] = {};
};

}  // namespace VXB::HTTP

#endif  // VXB_COMMON_HTTP_SERVER_H_
