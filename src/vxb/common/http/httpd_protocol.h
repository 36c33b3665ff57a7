// Internal operations of the HTTP engine shared by its source files: the
// receive path (buffered, deadline-bound, stop-aware), request parsing
// pieces, multipart bodies and file content. Not for handlers.
//
// Thread safety: as the engine, one thread per engine.
#ifndef VXB_COMMON_HTTPD_PROTOCOL_H_
#define VXB_COMMON_HTTPD_PROTOCOL_H_

#include <cstdint>

#include "vxb/common/http/httpd_api.h"
#include "vxb/common/runtime/debug.h"

namespace VXB::HTTP {

// Debug channels of the engine: "HTTP API" and "HTTP Protocol".
Debug::Debugger& ApiDebugger();
Debug::Debugger& ProtocolDebugger();

// Results of reading one line.
// BARE_CR: a CR not followed by LF, which parsers disagree on.
enum class LineResult { OK, TOO_LONG, BARE_CR, FAILED };

// Puts the response back to its initial state (200, text/html).
void _httpd_resetResponse(httpd* server);
// Starts the overall deadline for the next stretch of reading.
void _httpd_startDeadline(httpd* server);
// Refills the receive buffer with one receive; false when nothing came
// before the deadline, the stop flag or the end of the connection.
bool _httpd_fillBuffer(httpd* server);
bool _httpd_readChar(httpd* server, char& c);
// Collects a line into buffer (len bytes with terminator), without its LF or
// CR LF. A line that does not fit is reported TOO_LONG as soon as it
// overflows; its rest is never taken as a line of its own.
LineResult _httpd_readLine(httpd* server, char* buffer, unsigned len, unsigned& used);
// Body reading bounded by the Content-Length: up to size bytes, false when
// nothing came.
bool _httpd_readBody(httpd* server, Byte* buffer, unsigned& size);
// Reads exactly len body bytes; false when the body ended first.
bool _httpd_readBodyFully(httpd* server, Byte* buffer, unsigned len);
// Parses the multipart body; 0 when accepted, else the HTTP status it was
// refused with (already answered).
int _httpd_readMultipart(httpd* server);
// Serving file, directory-entry and static content.
void _httpd_sendFile(httpd* server, const char* path);
void _httpd_sendDirectoryEntry(httpd* server, httpContent* entry, const char* name);
void _httpd_sendStatic(httpd* server, const char* data);
// Writes text with "${name}" replaced by the variable's value (encoded as
// for httpdOutput); the count of bytes written goes to written.
bool _httpd_sendExpandedText(httpd* server, const char* text, unsigned length, unsigned& written);
// Writes a variable value into the answer, entity-encoded when the answer
// is HTML or XML.
bool _httpd_sendValue(httpd* server, const char* value);
// Closes the current connection: when body bytes may still be unread the
// sending side is shut first and the rest drained briefly, so that the
// client reads the whole answer before the connection goes away.
void _httpd_closeConnection(httpd* server);
// Refuses the request with Status (logged with Why): the answer is sent
// at once and -1 given.
int _httpd_refuse(httpd* server, const char* status, const char* why);
// Sends the interim "HTTP/1.1 100 Continue"; false when the connection failed.
bool _httpd_sendContinue(httpd* server);
// Case-insensitive prefix test.
bool _httpd_startsWith(const char* text, const char* prefix);
// Bounded copy; always terminated.
void _httpd_copy(char* target, unsigned size, const char* source, unsigned length);

}  // namespace VXB::HTTP

#endif  // VXB_COMMON_HTTPD_PROTOCOL_H_
