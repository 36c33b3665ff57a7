// The HTTP engine's request reader and answers, driven through a scripted
// connection: limits at and one past each bound, path sanitising, form and
// multipart decoding, header parsing, and response headers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "http_example/raw_client.h"
#include "vxb/common/http/httpd_api.h"
#include "vxb/common/io/string_driver.h"

namespace VXB::HTTP {
namespace {

using VXB::Driver::ScriptedConnection;
using Zorbel::HttpExample::ParseResponse;

struct Read {
  std::unique_ptr<httpd> engine = std::make_unique<httpd>();
  std::unique_ptr<ScriptedConnection> connection;
  int result = 0;

  explicit Read(const std::string& request, unsigned piece = 0xFFFFFFFFu) {
    connection = std::make_unique<ScriptedConnection>(request, piece);
    httpdUseConnection(engine.get(), connection.get(), "127.0.0.1");
    result = httpdReadRequest(engine.get());
  }
  int Status() const { return ParseResponse(connection->Output()).status; }
  std::string Var(const char* name, int index = 0) const {
    httpVar* v = httpdGetVariableByName(engine.get(), name);
    for (int i = 0; v != nullptr && i < index; ++i) v = v->nextValue;
    return v != nullptr ? v->value : std::string("<none>");
  }
};

std::string Get(const std::string& target, const std::string& headers = "") {
  return "GET " + target + " HTTP/1.0\r\n" + headers + "\r\n";
}

TEST(HttpdSanitise, PathsStayUnderTheRoot) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"/a/../../x", "/x"},
      {"/././index.html", "/index.html"},
      {"/..", "/"},
      {"//a/./b/../c", "/a/c"},
      {"/dir/", "/dir/"},
      {"/", "/"},
      {"/a/b/..", "/a"},
      {"/../../etc/passwd", "/etc/passwd"},
      {"/a/..b/c", "/a/..b/c"},
  };
  for (const auto& c : cases) {
    char path[HTTP_MAX_URL];
    std::snprintf(path, sizeof(path), "%s", c.in);
    httpdSanitisePath(path);
    EXPECT_STREQ(path, c.out) << c.in;
  }
}

TEST(HttpdRequest, RequestLineGivesPathAndQueryVariables) {
  Read r(Get("//a/./b/../c?x=1&y=a+b%21"));
  ASSERT_EQ(r.result, 0);
  EXPECT_STREQ(r.engine->request.path, "/a/c");
  EXPECT_EQ(r.Var("x"), "1");
  EXPECT_EQ(r.Var("y"), "a b!");
  EXPECT_EQ(r.engine->request.method, HTTP_GET);
  EXPECT_EQ(Read("get / HTTP/1.0\r\n\r\n").result, 0);
}

TEST(HttpdRequest, QueryIsCutBeforeSanitising) {
  Read a(Get("/fiscal.json?x=/../index.html"));
  ASSERT_EQ(a.result, 0);
  EXPECT_STREQ(a.engine->request.path, "/fiscal.json");
  EXPECT_EQ(a.Var("x"), "/../index.html");
  Read b(Get("/p?u=http://h"));
  EXPECT_STREQ(b.engine->request.path, "/p");
  EXPECT_EQ(b.Var("u"), "http://h");
}

TEST(HttpdRequest, FormDecoding) {
  const struct {
    const char* query;
    const char* name;
    const char* value;
  } cases[] = {
      {"a=%", "a", "%"},       {"a=%4", "a", "%4"},       {"a=%zz", "a", "%zz"},
      {"a=%41%62", "a", "Ab"}, {"a.b=1", "a_dot_b", "1"}, {"a", "a", ""},
      {"a=x+y", "a", "x y"},
  };
  for (const auto& c : cases) {
    Read r(Get(std::string("/p?") + c.query));
    ASSERT_EQ(r.result, 0) << c.query;
    EXPECT_EQ(r.Var(c.name), c.value) << c.query;
  }
  Read twice(Get("/p?v=1&v=2"));
  EXPECT_EQ(twice.Var("v", 0), "1");
  EXPECT_EQ(twice.Var("v", 1), "2");
}

TEST(HttpdRequest, RefusalsCarryAStatusLine) {
  const std::string long_target = "/" + std::string(HTTP_MAX_URL - 2, 'a');  // 1023 bytes
  const std::string long_header = "X: " + std::string(HTTP_MAX_LEN - 1 - 3, 'h');
  std::string many_headers;
  for (unsigned i = 0; i < HTTP_MAX_HEADER_LINES; ++i) many_headers += "X-A: b\r\n";
  const struct {
    std::string request;
    int status;  // 0: accepted
  } cases[] = {
      {"HEAD / HTTP/1.0\r\n\r\n", 501},
      {"OPTIONS / HTTP/1.0\r\n\r\n", 501},
      {"GET\r\n\r\n", 400},
      {"GET x HTTP/1.0\r\n\r\n", 400},
      {"\r\n\r\n", 400},
      {Get(long_target), 0},
      {Get(long_target + "a"), 414},
      {Get("/", long_header + "\r\n"), 0},
      {Get("/", long_header + "h\r\n"), 431},
      {Get("/", many_headers), 0},
      {Get("/", many_headers + "X-A: b\r\n"), 431},
      {Get("/", "Content-Length: 12a\r\n"), 400},
      {Get("/", "Content-Length: -1\r\n"), 400},
      {Get("/", "Content-Length: 99999999999\r\n"), 413},
      {Get("/", "Content-Length: 1\r\nContent-Length: 2\r\n") + "ab", 400},
      {Get("/", "Content-Length: 2\r\nContent-Length: 2\r\n") + "ab", 0},
      {Get("/", "Transfer-Encoding: chunked\r\n"), 501},
      {Get("/", "Content-Type: text/xml\r\n ; charset=x\r\n"), 400},
      {Get("/", "Content-Length :2\r\n") + "ab", 400},
      {Get("/", std::string("Content-Type: a\0b\r\n", 19)), 400},
      {std::string("GET /a\0b HTTP/1.0\r\n\r\n", 21), 400},
      {"GET / HTTP/1.0\r\n\rX: y\r\n\r\n", 400},
      {"GET / HTTP/1.0\r\nX: a\rb\r\n\r\n", 400},
      {"GET / HTTP/1.0\n\n", 0},
      {"GET / HTTP/1.0 x\r\n\r\n", 400},
      {"POST / H\n\nP/1.1\n\n", 400},
      {"GET /\r\n\r\n", 0},
      {Get("/", "Host: " + std::string(HTTP_MAX_URL - 1, 'h') + "\r\n"), 400},
      {Get("/", "Content-Type: " + std::string(HTTP_MAX_URL, 't') + "\r\n"), 431},
  };
  for (const auto& c : cases) {
    Read r(c.request);
    if (c.status == 0) {
      EXPECT_EQ(r.result, 0) << c.request.substr(0, 60);
      EXPECT_TRUE(r.connection->Output().empty());
    } else {
      EXPECT_EQ(r.result, -1) << c.request.substr(0, 60);
      EXPECT_EQ(r.Status(), c.status)
          << c.request.substr(0, 60) << "\n-> " << r.connection->Output();
    }
  }
  Read head("HEAD / HTTP/1.0\r\n\r\n");
  EXPECT_NE(head.connection->Output().find("<B>ERROR : Method Not Implemented</B>\n\nHEAD"),
            std::string::npos);
}

TEST(HttpdRequest, FormBodyLimitAndBodyEndsAtContentLength) {
  auto post = [](const std::string& type, const std::string& body, std::size_t length) {
    return "POST /p HTTP/1.0\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n" + body;
  };
  const std::string full = "a=" + std::string(HTTP_MAX_LEN - 2, 'x');
  Read at(post("application/x-www-form-urlencoded", full, full.size()));
  EXPECT_EQ(at.result, 0);
  EXPECT_EQ(at.Var("a").size(), HTTP_MAX_LEN - 2);
  Read over(post("application/x-www-form-urlencoded", full + "x", full.size() + 1));
  EXPECT_EQ(over.result, -1);
  EXPECT_EQ(over.Status(), 413);
  // A form body cut short is not processed as if complete.
  Read short_body(post("application/x-www-form-urlencoded", "a=1", 10));
  EXPECT_EQ(short_body.result, -1);
  EXPECT_EQ(short_body.Var("a"), "<none>");

  // Other bodies are left to the handler, and never read past their length
  // (bytes arriving in small pieces change nothing).
  Read json(post("application/json; charset=UTF-8", "{\"a\":1}GARBAGE", 7), 3);
  ASSERT_EQ(json.result, 0);
  EXPECT_STREQ(json.engine->request.contentType, "application/json");
  EXPECT_STREQ(json.engine->request.charset, "UTF-8");
  std::string body;
  char buffer[5];
  unsigned n = sizeof(buffer);
  while (httpdRead(json.engine.get(), buffer, n)) {
    body.append(buffer, n);
    n = sizeof(buffer);
  }
  EXPECT_EQ(body, "{\"a\":1}");
  EXPECT_EQ(n, 0u);
}

TEST(HttpdRequest, HeaderValues) {
  Read r(Get("/",
             "Cookie:\r\nCOOKIE:  a=1; b = 2 ;c\r\nHost:  localhost  \r\n"
             "Content-Type: text/xml;CHARSET=\"latin1\"; junk; x=y\r\n"
             "If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT; length=3\r\n"
             "Authorization: Basic dXNlcjpwYXNz\r\n"));
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(r.Var("a"), "1");
  EXPECT_EQ(r.Var("b"), "2");
  EXPECT_STREQ(r.engine->request.host, "localhost");
  EXPECT_STREQ(r.engine->request.contentType, "text/xml");
  EXPECT_STREQ(r.engine->request.charset, "latin1");
  EXPECT_STREQ(r.engine->request.ifModified, "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_STREQ(r.engine->request.authUser, "user");
  EXPECT_STREQ(r.engine->request.authPassword, "pass");
}

std::string Multipart(const std::string& boundary, const std::string& parts) {
  return "POST /up HTTP/1.0\r\nContent-Type: multipart/form-data; boundary=" + boundary +
         "\r\nContent-Length: " + std::to_string(parts.size()) + "\r\n\r\n" + parts;
}

TEST(HttpdRequest, MultipartFieldsAndUploads) {
  const std::string file = std::string("bin\r\n--Xnot-the-boundary\r\n\0end\r\n--XYZabc", 41);
  const std::string body =
      "preamble\r\n--XYZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nline1\nline2\r\n"
      "--XYZ\r\nContent-Disposition: form-data; name=\"f\"; filename=\"f.bin\"\r\n"
      "Content-Type: application/octet-stream\r\n\r\n" +
      file + "\r\n--XYZ--\r\nignored";
  Read r(Multipart("XYZ", body));
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(r.Var("a"), "line1\nline2");
  ASSERT_EQ(r.engine->request.fileUploadLength, file.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.engine->request.fileUpload), file.size()),
            file);
  EXPECT_STREQ(r.engine->request.fileUploadContentType, "application/octet-stream");

  const std::string text = "\r\nline\r\n";
  Read t(Multipart("b",
                   "--b\r\nContent-Disposition: form-data; name=\"t\"; filename=\"t.txt\"\r\n"
                   "Content-Type: text/plain\r\n\r\n" +
                       text + "\r\n--b--\r\n"));
  ASSERT_EQ(t.result, 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.engine->request.fileUpload),
                        t.engine->request.fileUploadLength),
            text);
}

TEST(HttpdRequest, MultipartLimits) {
  auto upload = [](std::size_t size) {
    return "--b\r\nContent-Disposition: form-data; name=\"f\"; filename=\"x\"\r\n"
           "Content-Type: image/png\r\n\r\n" +
           std::string(size, 'z') + "\r\n--b--\r\n";
  };
  EXPECT_EQ(Read(Multipart("b", upload(HTTP_MAX_FILEUPLOAD_SIZE))).result, 0);
  Read over(Multipart("b", upload(HTTP_MAX_FILEUPLOAD_SIZE + 1)));
  EXPECT_EQ(over.Status(), 413);
  const std::string b70(HTTP_MAX_BOUNDARY, 'q');
  const std::string empty = "--" + b70 + "--\r\n";
  EXPECT_EQ(Read(Multipart(b70, empty)).result, 0);
  EXPECT_EQ(Read(Multipart(b70 + "q", "--" + b70 + "q--\r\n")).Status(), 400);
  const std::string field = "--b\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n" +
                            std::string(HTTP_MAX_LEN, 'v') + "\r\n--b--\r\n";
  EXPECT_EQ(Read(Multipart("b", field)).Status(), 413);
  EXPECT_EQ(
      Read(Multipart("b", "--b\r\nContent-Disposition: form-data; name=a\r\n\r\nopen")).Status(),
      400);
}

TEST(HttpdResponse, HeadersUseCrlfAndRefuseInjectedLines) {
  auto engine = std::make_unique<httpd>();
  ScriptedConnection connection(Get("/"));
  httpdUseConnection(engine.get(), &connection, "127.0.0.1");
  ASSERT_EQ(httpdReadRequest(engine.get()), 0);
  EXPECT_FALSE(httpdSetContentType(engine.get(), "text/plain\r\nSet-Cookie: x=1"));
  EXPECT_FALSE(httpdAddHeader(engine.get(), "X-A: 1\r\nX-B: 2"));
  EXPECT_FALSE(httpdSetCookie(engine.get(), "a", "1\nX: y"));
  EXPECT_TRUE(httpdAddHeader(engine.get(), "X-Ok: yes\n"));
  EXPECT_TRUE(httpdPrint(engine.get(), "one"));
  EXPECT_TRUE(httpdPrint(engine.get(), "two"));
  const auto r = ParseResponse(connection.Output());
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(r.statusLine, "HTTP/1.0 200 Output Follows");
  EXPECT_EQ(r.headers.at("content-type"), "text/html");
  EXPECT_EQ(r.headers.at("x-ok"), "yes");
  EXPECT_EQ(r.headers.count("content-length"), 0u);
  EXPECT_EQ(r.headers.count("set-cookie"), 0u);
  EXPECT_EQ(r.body, "onetwo");
  // Every line of the head ends in CRLF.
  for (std::size_t i = 0; i < r.head.size(); ++i) {
    if (r.head[i] == '\n') {
      EXPECT_EQ(r.head[i - 1], '\r') << i;
    }
  }
}

TEST(HttpdResponse, DatesAndExpansionAreSafe) {
  char date[HTTP_TIME_STRING_LEN];
  httpdFormatDate(784111777, date);
  EXPECT_STREQ(date, "Sun, 06 Nov 1994 08:49:37 GMT");
  httpdFormatDate(951782400, date);  // leap day
  EXPECT_STREQ(date, "Tue, 29 Feb 2000 00:00:00 GMT");

  auto engine = std::make_unique<httpd>();
  ScriptedConnection connection(Get("/?x=%3Cscript%3E&y=5"));
  httpdUseConnection(engine.get(), &connection, "127.0.0.1");
  ASSERT_EQ(httpdReadRequest(engine.get()), 0);
  EXPECT_TRUE(httpdOutput(engine.get(), "[$x] [$y] [$missing] $"));
  EXPECT_EQ(ParseResponse(connection.Output()).body, "[&lt;script&gt;] [5] [$missing] $");
  EXPECT_EQ(httpdUrlEncode("a b/é&"), "a+b/%C3%A9%26");
}

}  // namespace
}  // namespace VXB::HTTP
