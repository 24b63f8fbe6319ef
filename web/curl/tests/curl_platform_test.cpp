#include "web/curl/curl_platform.hpp"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/codepage.hpp"
#include "tests/support/loopback_server.hpp"
#include "tests/support/tls_identity.hpp"
#include "web/charset.hpp"
#include "web/web_request.hpp"

namespace kovarra::web {
namespace {

using ::kovarra::testing::LoopbackServer;
using ::kovarra::testing::RawConnection;
using ::kovarra::testing::ScriptedServer;
using ::kovarra::testing::TestTlsIdentity;
using ::kovarra::testing::UntrustedTlsIdentity;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

HttpOptions QuickOptions() {
  HttpOptions o;
  o.connectTimeoutMs = 3000;
  o.stallTimeoutMs = 1000;
  o.totalTimeoutMs = 5000;
  return o;
}

HttpOptions TrustingTestCa() {
  HttpOptions o = QuickOptions();
  o.extraCaFile = TestTlsIdentity().caCertPath;
  return o;
}

// A port on 127.0.0.1 that nobody listens on.
int DeadPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

std::string Ok(std::string_view body, std::string_view extraHeaders = "") {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
         std::string(extraHeaders) + "Connection: close\r\n\r\n" + std::string(body);
}

ScriptedServer Answering(std::string answer) {
  return ScriptedServer([answer](RawConnection& c) {
    c.ReadRequest();
    c.Send(answer);
  });
}

TEST(CurlPlatformFaults, RefusedConnectionGivesEmptyAnswerAndBlankHeaders) {
  CurlPlatform platform(QuickOptions());
  WebRequestArgs args;
  args.url = Text("http://127.0.0.1:" + std::to_string(DeadPort()) + "/x");
  EXPECT_EQ(WebRequest(args, platform), Text());
  EXPECT_EQ(args.rawHeaders, BlankText(5000));
}

TEST(CurlPlatformWaits, DefaultsBoundEveryWait) {
  const HttpOptions o;
  EXPECT_EQ(o.connectTimeoutMs, 10000);
  EXPECT_EQ(o.stallTimeoutMs, 10000);
  EXPECT_EQ(o.totalTimeoutMs, 20000);
}

// Each wait ends at its own bound: connecting (the TLS handshake included), a silence once
// connected, and the whole transfer, which alone ends a trickle that is never silent for long.
TEST(CurlPlatformWaits, EveryWaitEndsAtItsBound) {
  using std::chrono::milliseconds;
  HttpOptions options;
  options.connectTimeoutMs = 500;
  options.stallTimeoutMs = 1000;
  options.totalTimeoutMs = 4000;
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
  struct Case {
    const char* name;
    bool tls;
    ScriptedServer::Script script;
    milliseconds bound;
    const char* bodyStart;  // what the answer begins with
  };
  const Case cases[] = {
      {"handshake never answered", true, [](RawConnection& c) { c.HoldOpen(); },
       milliseconds(options.connectTimeoutMs), ""},
      {"request never answered", false,
       [](RawConnection& c) {
         c.ReadRequest();
         c.HoldOpen();
       },
       milliseconds(options.stallTimeoutMs), ""},
      {"body stops halfway", false,
       [&](RawConnection& c) {
         c.ReadRequest();
         c.Send(head + "0123456789");
         c.HoldOpen();
       },
       milliseconds(options.stallTimeoutMs), "0123456789"},
      {"body trickles a byte at a time", false,
       [&](RawConnection& c) {
         c.ReadRequest();
         c.Send(head);
         for (int i = 0; i < 100 && c.Send("x"); ++i) {
           std::this_thread::sleep_for(milliseconds(options.stallTimeoutMs / 4));
         }
       },
       milliseconds(options.totalTimeoutMs), "xxxxxxxx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(c.script);
    ASSERT_TRUE(server.Start());
    CurlPlatform platform(options);
    std::string url = server.Url("/x");
    if (c.tls) url.replace(0, 4, "https");
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = WebRequest(Text(url), 0, platform).str();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, c.bound - milliseconds(20));
    EXPECT_LT(took, c.bound + milliseconds(1500));  // room for a busy machine, short of the next
    EXPECT_THAT(answer, StartsWith(c.bodyStart));
  }
}

TEST(CurlPlatformFaults, ResetHalfwayDeliversTheBytesSoFar) {
  const std::string part(4000, 'a');
  ScriptedServer server([&](RawConnection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + part);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    c.Reset();
  });
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());
  WebRequestArgs args;
  args.url = Text(server.Url("/x"));
  EXPECT_EQ(WebRequest(args, platform).str(), part);
  EXPECT_THAT(args.rawHeaders.str(), StartsWith("HTTP/1.1 200 OK\r\n"));
}

TEST(CurlPlatformFaults, OversizedHeaderBlockLeavesBlanksButKeepsBody) {
  ScriptedServer server = Answering(Ok("the body", "X-Long: " + std::string(6000, 'x') + "\r\n"));
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());
  WebRequestArgs args;
  args.url = Text(server.Url("/x"));
  EXPECT_EQ(WebRequest(args, platform), Text("the body"));
  EXPECT_EQ(args.rawHeaders, BlankText(5000));
}

TEST(CurlPlatformFaults, ChunkedBodySplitAtOddPlaces) {
  ScriptedServer server([](RawConnection& c) {
    c.ReadRequest();
    const char* pieces[] = {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5",
                            "\r\nhel",
                            "lo\r",
                            "\n1",
                            "0\r\n0123456789abcdef\r\n",
                            "0\r",
                            "\n\r\n"};
    for (const char* p : pieces) {
      c.Send(p);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());
  EXPECT_EQ(WebRequest(Text(server.Url("/x")), 0, platform), Text("hello0123456789abcdef"));
}

TEST(CurlPlatformRedirects, NonHttpTargetIsNotFollowed) {
  ScriptedServer server = Answering(
      "HTTP/1.1 302 Found\r\nLocation: file:///etc/hostname\r\nContent-Length: 0\r\n\r\n");
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());
  WebRequestArgs args;
  args.url = Text(server.Url("/x"));
  EXPECT_EQ(WebRequest(args, platform), Text());
  EXPECT_THAT(args.rawHeaders.str(), StartsWith("HTTP/1.1 302 Found\r\n"));
  EXPECT_EQ(args.location, Text("file:///etc/hostname"));
}

TEST(CurlPlatformRedirects, FollowedRedirectGivesTheFinalResponse) {
  LoopbackServer server;
  server.server().Get("/a", [](const httplib::Request&, httplib::Response& r) {
    r.set_redirect("/b");
    r.set_header("X-First", "1");
  });
  server.server().Get("/b", [](const httplib::Request&, httplib::Response& r) {
    r.set_header("X-Final", "1");
    r.set_content("final", "text/plain");
  });
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());

  WebRequestArgs args;
  args.url = Text(server.Url("/a"));
  EXPECT_EQ(WebRequest(args, platform), Text("final"));
  EXPECT_THAT(args.rawHeaders.str(), StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(args.rawHeaders.str(), HasSubstr("X-Final: 1\r\n"));
  EXPECT_THAT(args.rawHeaders.str(), Not(HasSubstr("X-First")));

  WebRequestArgs held;
  held.url = Text(server.Url("/a"));
  held.noRedirect = true;
  WebRequest(held, platform);
  EXPECT_THAT(held.rawHeaders.str(), StartsWith("HTTP/1.1 302"));
  EXPECT_EQ(held.location, Text("/b"));
}

TEST(CurlPlatformTls, TrustDecidesTheAnswer) {
  LoopbackServer trusted(TestTlsIdentity());
  LoopbackServer untrusted(UntrustedTlsIdentity());
  for (LoopbackServer* s : {&trusted, &untrusted}) {
    s->server().Get("/x", [](const httplib::Request&, httplib::Response& r) {
      r.set_content("secret", "text/plain");
    });
    ASSERT_TRUE(s->Start());
  }
  CurlPlatform withCa(TrustingTestCa());
  CurlPlatform systemOnly(QuickOptions());
  const std::string localhost = "https://localhost:" + std::to_string(trusted.port()) + "/x";

  EXPECT_EQ(WebRequest(Text(trusted.Url("/x")), 0, withCa), Text("secret"));
  EXPECT_EQ(WebRequest(Text(localhost), 0, withCa), Text("secret"));
  EXPECT_EQ(WebRequest(Text(untrusted.Url("/x")), 0, withCa), Text());
  EXPECT_EQ(WebRequest(Text(trusted.Url("/x")), 0, systemOnly), Text());
}

TEST(CurlPlatformBodies, TenMegabytesArriveWhole) {
  std::string big(10 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  LoopbackServer server;
  server.server().Get("/big", [&](const httplib::Request&, httplib::Response& r) {
    r.set_content(big, "application/octet-stream");
  });
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());
  Text got = WebRequest(Text(server.Url("/big")), 0, platform);
  EXPECT_EQ(got.size(), big.size());
  EXPECT_TRUE(got.str() == big);
}

TEST(CurlPlatformBodies, Utf8AnswersArriveUnalteredForConversion) {
  struct Case {
    const char* name;
    std::string body;
  };
  const Case cases[] = {
      {"unmappable", "charset=utf-8 \xE4\xB8\xAD \xF0\x9F\x98\x80 \xE2\x82\xA9"},
      {"invalid", "charset=utf-8 ok \xC3 \xFF\xFE \xE4\xB8 \xED\xA0\x80 end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server = Answering(Ok(c.body, "Content-Type: text/html; charset=UTF-8\r\n"));
    ASSERT_TRUE(server.Start());
    CurlPlatform platform(QuickOptions());
    Text got = WebRequest(Text(server.Url("/x")), 0, platform);
    EXPECT_EQ(got, BytesToText(ConvertCharset(Bytes(c.body))));
    if (std::string(c.name) == "unmappable") {
      EXPECT_THAT(got.str(), HasSubstr(Gbk("中").str()));
    }
  }
}

TEST(CurlPlatformRequests, HeaderLinesAsSent) {
  ScriptedServer server = Answering(Ok("ok"));
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());
  WebRequestArgs args;
  args.url = Text(server.Url("/p?q=1"));
  args.headers = Text("X-First: 1\r\n");  // the routine's own lines follow an empty line
  args.method = 1;
  args.postText = Text("a=1");
  EXPECT_EQ(WebRequest(args, platform), Text("ok"));

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& r = requests[0];
  EXPECT_THAT(r, StartsWith("POST /p?q=1 HTTP/1.1\r\n"));
  EXPECT_EQ(r.find("\r\n\r\n"), r.size() - 4 - 3) << r;  // one header block, then the body
  EXPECT_THAT(r, HasSubstr("\r\nX-First: 1\r\n"));
  EXPECT_THAT(r, HasSubstr("\r\nReferer: " + server.Url("/p?q=1") + "\r\n"));
  EXPECT_THAT(r, HasSubstr("\r\nAccept-Language: zh-cn\r\n"));
  EXPECT_THAT(r, HasSubstr("\r\nUser-Agent: " + DefaultUserAgent().str() + "\r\n"));
  EXPECT_THAT(r, HasSubstr("\r\nHost: 127.0.0.1:"));
  EXPECT_THAT(r, Not(HasSubstr("Accept-Encoding")));
  EXPECT_THAT(r, Not(HasSubstr("Expect:")));
  EXPECT_THAT(r, HasSubstr("\r\n\r\na=1"));
}

TEST(CurlPlatformRequests, VerbAndBodyOnTheWire) {
  struct Case {
    const char* name;
    int method;
    const char* postText;
    const char* requestLine;
    const char* contentLength;  // nullptr: no such line
  };
  const Case cases[] = {
      {"get", 0, "ignored", "GET /p HTTP/1.1\r\n", nullptr},
      {"post", 1, "a=1", "POST /p HTTP/1.1\r\n", "3"},
      {"post without a body", 1, "", "POST /p HTTP/1.1\r\n", "0"},
      {"get with a body", 2, "q", "GET /p HTTP/1.1\r\n", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server = Answering(Ok("ok"));
    ASSERT_TRUE(server.Start());
    CurlPlatform platform(QuickOptions());
    WebRequestArgs args;
    args.url = Text(server.Url("/p"));
    args.method = c.method;
    args.postText = Text(c.postText);
    EXPECT_EQ(WebRequest(args, platform), Text("ok"));
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string r = server.Requests()[0];
    EXPECT_THAT(r, StartsWith(c.requestLine));
    if (c.contentLength) {
      EXPECT_THAT(r, HasSubstr(std::string("\r\nContent-Length: ") + c.contentLength + "\r\n"));
    } else {
      EXPECT_THAT(r, Not(HasSubstr("Content-Length")));
    }
    // The routine's own Content-Type line alone, none of curl's beside it.
    EXPECT_EQ(r.find("Content-Type"), r.rfind("Content-Type")) << r;
  }
}

// Every value but the header text is refused whole when it holds a line break; the header text
// is lines, split at every CR or LF.
TEST(CurlPlatformRequests, LineBreaksInArgumentsNeverReachTheWire) {
  struct Case {
    const char* name;
    const char* path;
    const char* headers;
    const char* cookies;      // nullptr: left out
    const char* proxySuffix;  // appended to a working proxy; nullptr: no proxy
    const char* sent;         // what the request holds; nullptr: refused, nothing sent
  };
  const Case cases[] = {
      {"agent from a header text ending in User-Agent:", "/x",
       "X-A: 1\r\nUser-Agent:\r\n\r\nGET /smuggled HTTP/1.1", nullptr, nullptr, nullptr},
      {"path", "/a\r\nX-Evil: 1", "", nullptr, nullptr, nullptr},
      {"lone LF in the path", "/a\nb", "", nullptr, nullptr, nullptr},
      {"cookie text", "/x", "", "a=1\r\nX-Evil: 1", nullptr, nullptr},
      {"proxy", "/x", "", nullptr, "\r\nX-Evil: 1", nullptr},
      {"header lines split at any break", "/x", "X-A: 1\nX-B: 2\r\rX-C: 3", nullptr, nullptr,
       "\r\nX-A: 1\r\nX-B: 2\r\nX-C: 3\r\n"},
      {"blanks in the path escaped", "/a b", "", nullptr, nullptr, "GET /a%20b HTTP/1.1\r\n"},
      {"working proxy", "/x", "", nullptr, "", "GET http://"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server = Answering(Ok("ok"));
    ASSERT_TRUE(server.Start());
    CurlPlatform platform(QuickOptions());
    WebRequestArgs args;
    args.url = Text(server.Url(c.path));
    args.headers = Text(c.headers);
    if (c.cookies) args.cookies = Text(c.cookies);
    if (c.proxySuffix) {
      args.url = Text(std::string("http://league.invalid") + c.path);
      args.proxy = Text("127.0.0.1:" + std::to_string(server.port()) + c.proxySuffix);
    }
    const std::string answer = WebRequest(args, platform).str();
    const auto requests = server.Requests();
    if (!c.sent) {
      EXPECT_EQ(answer, "");
      EXPECT_EQ(server.connectionCount(), 0);
      continue;
    }
    EXPECT_EQ(answer, "ok");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_THAT(requests[0], HasSubstr(c.sent));
    EXPECT_EQ(requests[0].find("\r\n\r\n"), requests[0].size() - 4);  // one header block
  }
}

TEST(CurlPlatformRequests, CookiesKeptOnlyWithoutNoCookies) {
  LoopbackServer server;
  server.server().Get("/set", [](const httplib::Request&, httplib::Response& r) {
    r.set_header("Set-Cookie", "sid=42; Path=/");
    r.set_content("set", "text/plain");
  });
  server.server().Get("/echo", [](const httplib::Request& q, httplib::Response& r) {
// GCC PR 105651: GCC 12 at -O3 warns -Wrestrict inside std::string here, falsely.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    r.set_content("[" + q.get_header_value("Cookie") + "]", "text/plain");
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  });
  ASSERT_TRUE(server.Start());
  CurlPlatform platform(QuickOptions());

  EXPECT_EQ(WebRequest(Text(server.Url("/set")), 0, platform), Text("set"));
  EXPECT_EQ(WebRequest(Text(server.Url("/echo")), 0, platform), Text("[sid=42]"));

  WebRequestArgs own;  // the caller's cookies: the platform's store stays out
  own.url = Text(server.Url("/echo"));
  own.cookies = Text();
  EXPECT_EQ(WebRequest(own, platform), Text("[]"));

  CurlPlatform fresh(QuickOptions());
  EXPECT_EQ(WebRequest(Text(server.Url("/echo")), 0, fresh), Text("[]"));
}

TEST(CurlPlatformRequests, ProxyServesHttpAddressesOnly) {
  ScriptedServer proxy = Answering(Ok("via proxy"));
  ASSERT_TRUE(proxy.Start());
  LoopbackServer secure(TestTlsIdentity());
  secure.server().Get("/s", [](const httplib::Request&, httplib::Response& r) {
    r.set_content("direct", "text/plain");
  });
  ASSERT_TRUE(secure.Start());
  CurlPlatform platform(TrustingTestCa());

  WebRequestArgs plain;
  plain.url = Text("http://league.invalid/list?x=1");
  plain.proxy = Text("127.0.0.1:" + std::to_string(proxy.port()));
  EXPECT_EQ(WebRequest(plain, platform), Text("via proxy"));
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_THAT(proxy.Requests()[0], StartsWith("GET http://league.invalid/list?x=1 HTTP/1.1\r\n"));

  WebRequestArgs tls;
  tls.url = Text(secure.Url("/s"));
  tls.proxy = plain.proxy;
  EXPECT_EQ(WebRequest(tls, platform), Text("direct"));
  EXPECT_EQ(proxy.Requests().size(), 1u);
}

TEST(CurlPlatformHandles, QueryAndReadFollowTheContract) {
  ScriptedServer server = Answering(Ok(std::string(3000, 'z'), "X-A: 1\r\n"));
  ASSERT_TRUE(server.Start());
  CurlPlatform p(QuickOptions());
  InternetHandle net = p.InternetOpen("agent", INTERNET_OPEN_TYPE_DIRECT, {}, {}, 0);
  InternetHandle con = p.InternetConnect(net, "127.0.0.1", server.port(), INTERNET_SERVICE_HTTP, 0);
  InternetHandle req = p.HttpOpenRequest(con, "GET", "/x", "HTTP/1.1", 0);
  ASSERT_NE(req, 0u);
  // Single values holding a line break are refused, as a bad host is.
  EXPECT_EQ(p.InternetConnect(net, "bad/host", 80, INTERNET_SERVICE_HTTP, 0), 0u);
  EXPECT_EQ(p.InternetOpen("a\r\nX: 1", INTERNET_OPEN_TYPE_DIRECT, {}, {}, 0), 0u);
  EXPECT_EQ(p.InternetOpen("a", INTERNET_OPEN_TYPE_PROXY, Text("http=h:1"), Text("x\ny"), 0), 0u);
  EXPECT_EQ(p.HttpOpenRequest(con, "G T", "/x", "HTTP/1.1", 0), 0u);
  EXPECT_EQ(p.HttpOpenRequest(con, "GET\r\nX: 1", "/x", "HTTP/1.1", 0), 0u);
  EXPECT_EQ(p.HttpOpenRequest(con, "GET", "/x", "HTTP/1.1\r\nX: 1", 0), 0u);

  p.HttpSendRequest(req, "", nullptr);
  const std::string expected =
      "HTTP/1.1 200 OK\r\nContent-Length: 3000\r\nX-A: 1\r\nConnection: close\r\n";
  char small[10];
  std::memset(small, '#', sizeof small);
  std::uint32_t length = sizeof small;
  EXPECT_FALSE(p.HttpQueryInfo(req, HTTP_QUERY_RAW_HEADERS_CRLF, small, length));
  EXPECT_EQ(length, expected.size() + 1);
  EXPECT_EQ(std::string(small, sizeof small), std::string(10, '#'));
  std::string big(length, '#');
  EXPECT_TRUE(p.HttpQueryInfo(req, HTTP_QUERY_RAW_HEADERS_CRLF, big.data(), length));
  EXPECT_EQ(std::string(big.c_str()), expected);

  unsigned char buffer[2048];
  std::uint32_t got = 0;
  std::size_t total = 0;
  int reads = 0;
  while (p.InternetReadFile(req, buffer, sizeof buffer, got) && got) {
    EXPECT_LE(got, 1024u);
    total += got;
    ++reads;
  }
  EXPECT_EQ(total, 3000u);
  EXPECT_EQ(reads, 3);

  // Closing the Internet handle takes its connection and request along.
  EXPECT_TRUE(p.InternetCloseHandle(net));
  EXPECT_FALSE(p.InternetCloseHandle(req));
  EXPECT_FALSE(p.InternetReadFile(req, buffer, sizeof buffer, got));
  EXPECT_EQ(got, 0u);
}

}  // namespace
}  // namespace kovarra::web
