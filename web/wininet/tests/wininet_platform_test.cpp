// The WinInet platform against the loopback peer's servers (tests/loopback_peer), which the test
// run starts on the host and describes in the file KOVARRA_PEER_INFO; its test CA is in the
// prefix's root store by then.

#include "web/wininet/wininet_platform.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "core/codepage.hpp"
#include "web/charset.hpp"
#include "web/web_request.hpp"

namespace kovarra::web {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Clock = std::chrono::steady_clock;

// The ports of the peer's servers: http, raw (scripted answers), https (test CA, localhost),
// untrusted, dead (nobody listens).
const std::map<std::string, int>& Ports() {
  static const std::map<std::string, int> ports = [] {
    std::map<std::string, int> read;
    std::string path = KOVARRA_PEER_INFO;
    if (!path.empty() && path.front() == '/') path.insert(0, "Z:");  // the host's root
    std::ifstream in(path);
    std::string key, value;
    while (in >> key >> value) {
      if (key != "ca") read[key] = std::stoi(value);
    }
    return read;
  }();
  return ports;
}

std::string Url(const std::string& server, const std::string& path,
                const std::string& host = "127.0.0.1") {
  auto it = Ports().find(server);
  EXPECT_NE(it, Ports().end()) << "no " << server << " server in " << KOVARRA_PEER_INFO
                               << ": is the loopback peer running?";
  const bool tls = server == "https" || server == "untrusted";
  return std::string(tls ? "https://" : "http://") + host + ":" +
         std::to_string(it == Ports().end() ? 0 : it->second) + path;
}

// Wine's TLS checks the host name and takes no certificate for an IP address.
std::string SecureUrl(const std::string& server, const std::string& path) {
  return Url(server, path, "localhost");
}

HttpOptions QuickOptions() {
  HttpOptions o;
  o.connectTimeoutMs = 3000;
  o.stallTimeoutMs = 1000;
  o.totalTimeoutMs = 4000;
  return o;
}

Text Get(const std::string& url, HttpOptions options = QuickOptions()) {
  WinInetPlatform platform(options);
  return WebRequest(Text(url), 0, platform);
}

TEST(WinInetRequests, HeaderTextAsSent) {
  WinInetPlatform platform(QuickOptions());
  WebRequestArgs get;
  get.url = Text(Url("raw", "/echo?q=1"));
  std::string sent = WebRequest(get, platform).str();
  EXPECT_THAT(sent, StartsWith("GET /echo?q=1 HTTP/1.1\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nReferer: " + get.url.str() + "\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nAccept: */*\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nAccept-Language: zh-cn\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nUser-Agent: " + DefaultUserAgent().str() + "\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nHost: 127.0.0.1:"));
  EXPECT_THAT(sent, Not(HasSubstr("Accept-Encoding")));
  EXPECT_EQ(sent.find("\r\n\r\n"), sent.size() - 4) << sent;  // no body

  WebRequestArgs post;
  post.url = Text(Url("raw", "/echo"));
  post.headers = Text("X-First: 1\r\n");  // the routine's own lines follow an empty line
  post.method = 1;
  post.postText = Text("a=1");
  sent = WebRequest(post, platform).str();
  EXPECT_THAT(sent, StartsWith("POST /echo HTTP/1.1\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nX-First: 1\r\nReferer: "));
  EXPECT_EQ(sent.find("\r\n\r\n"), sent.size() - 4 - 3) << sent;  // one header block, the body
  EXPECT_THAT(sent, HasSubstr("\r\nContent-Length: 3\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\n\r\na=1"));
  EXPECT_THAT(post.rawHeaders.str(), StartsWith("HTTP/1.1 200 OK\r\n"));
}

TEST(WinInetRequests, InjectedLineBreaksCannotSplitTheRequest) {
  WinInetPlatform platform(QuickOptions());
  // Single values holding a line break are refused, as the libcurl platform refuses them.
  EXPECT_EQ(platform.InternetOpen("a\r\nX-Evil-Agent: 1", INTERNET_OPEN_TYPE_DIRECT, {}, {}, 0),
            0u);
  InternetHandle net = platform.InternetOpen("a", INTERNET_OPEN_TYPE_DIRECT, {}, {}, 0);
  InternetHandle con =
      platform.InternetConnect(net, "127.0.0.1", Ports().at("raw"), INTERNET_SERVICE_HTTP, 0);
  EXPECT_EQ(platform.HttpOpenRequest(con, "GET", "/echo a\r\nX-Evil-Object: 1", "HTTP/1.1", 0), 0u);
  EXPECT_EQ(platform.HttpOpenRequest(con, "GET", "/echo\nb", "HTTP/1.1", 0), 0u);
  // The header text is a list of lines: every break ends one, none is sent as it stands.
  InternetHandle req = platform.HttpOpenRequest(con, "GET", "/echo a", "HTTP/1.1", 0);
  ASSERT_TRUE(platform.HttpSendRequest(req, "X-A: 1\nX-B: 2\r\rX-C: 3\r\n\r\nX-D: 4", nullptr));
  std::string sent;
  unsigned char buffer[1024];
  std::uint32_t got = 0;
  while (platform.InternetReadFile(req, buffer, sizeof buffer, got) && got)
    sent.append(reinterpret_cast<char*>(buffer), got);
  platform.InternetCloseHandle(net);

  EXPECT_THAT(sent, StartsWith("GET /echo%20a HTTP/1.1\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nUser-Agent: a\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nX-A: 1\r\nX-B: 2\r\nX-C: 3\r\nX-D: 4\r\n"));
}

TEST(WinInetRequests, CookiesKeptOnlyWithoutNoCookies) {
  // The system's cookie store lives as long as the process: a name of this run's own.
  const std::string name = "sid" + std::to_string(Clock::now().time_since_epoch().count());
  WinInetPlatform platform(QuickOptions());
  EXPECT_EQ(WebRequest(Text(Url("http", "/set-cookie?name=" + name)), 0, platform), Text("set"));
  EXPECT_THAT(WebRequest(Text(Url("http", "/cookie")), 0, platform).str(), HasSubstr(name + "=42"));

  WebRequestArgs own;  // the caller's cookies: the system's store stays out
  own.url = Text(Url("http", "/cookie"));
  own.cookies = Text();
  EXPECT_EQ(WebRequest(own, platform), Text("[]"));
  WebRequestArgs given;
  given.url = own.url;
  given.cookies = Text("a=1");
  EXPECT_EQ(WebRequest(given, platform), Text("[a=1]"));
}

TEST(WinInetRequests, ProxyServesHttpAddressesOnly) {
  WinInetPlatform platform(QuickOptions());
  WebRequestArgs plain;
  plain.url = Text("http://league.invalid/echo?x=1");
  plain.proxy = Text("127.0.0.1:" + std::to_string(Ports().at("raw")));
  const std::string sent = WebRequest(plain, platform).str();
  EXPECT_THAT(sent, StartsWith("GET http://league.invalid"));
  EXPECT_THAT(sent, HasSubstr("/echo?x=1 HTTP/1.1\r\n"));

  WebRequestArgs tls;
  tls.url = Text(SecureUrl("https", "/secret"));
  tls.proxy = plain.proxy;
  EXPECT_EQ(WebRequest(tls, platform), Text("secret"));
}

TEST(WinInetRedirects, FollowedRedirectGivesTheFinalResponse) {
  WinInetPlatform platform(QuickOptions());
  WebRequestArgs args;
  args.url = Text(Url("http", "/redirect"));
  EXPECT_EQ(WebRequest(args, platform), Text("final"));
  EXPECT_THAT(args.rawHeaders.str(), StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(args.rawHeaders.str(), HasSubstr("X-Final: 1\r\n"));
  EXPECT_THAT(args.rawHeaders.str(), Not(HasSubstr("X-First")));

  WebRequestArgs held;
  held.url = args.url;
  held.noRedirect = true;
  WebRequest(held, platform);
  EXPECT_THAT(held.rawHeaders.str(), StartsWith("HTTP/1.1 302"));
  EXPECT_EQ(held.location, Text("/final"));

  WebRequestArgs post;  // a POST answered by 302 goes on as GET
  post.url = args.url;
  post.method = 1;
  post.postText = Text("a=1");
  EXPECT_EQ(WebRequest(post, platform), Text("final"));
}

TEST(WinInetRedirects, OnlyHttpTargetsAndNeverFromHttpsToHttp) {
  struct Case {
    const char* name;
    std::string url;
    const char* body;      // the answer
    const char* location;  // the Location seen, when the redirect is not followed
  };
  const Case cases[] = {
      {"http to https followed", Url("http", "/to-https", "localhost"), "secret", nullptr},
      {"file target refused", Url("raw", "/to-file"), "", "file:///etc/hostname"},
      {"https to http refused", SecureUrl("https", "/to-http"), "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WinInetPlatform platform(QuickOptions());
    WebRequestArgs args;
    args.url = Text(c.url);
    EXPECT_EQ(WebRequest(args, platform), Text(c.body));
    if (std::strlen(c.body) == 0) {
      EXPECT_THAT(args.rawHeaders.str(), StartsWith("HTTP/1.1 302 Found\r\n"));
    }
    if (c.location) {
      EXPECT_EQ(args.location, Text(c.location));
    }
  }
}

TEST(WinInetBodies, Utf8AnswerIsConvertedToGbk) {
  const std::string utf8 = "charset=utf-8 \xE4\xB8\xAD\xE6\x96\x87 \xE2\x82\xAC";
  Text got = Get(Url("http", "/utf8"));
  EXPECT_EQ(got, BytesToText(ConvertCharset(Bytes(utf8))));
  EXPECT_THAT(got.str(), HasSubstr(Gbk("中文").str()));
}

TEST(WinInetBodies, TenMegabytesArriveWhole) {
  const std::size_t size = 10 << 20;
  Text got = Get(Url("http", "/bytes/" + std::to_string(size)));
  ASSERT_EQ(got.size(), size);
  bool same = true;
  for (std::size_t i = 0; i < size && same; ++i) same = got.byte(i) == 'a' + i % 26;
  EXPECT_TRUE(same);
}

TEST(WinInetBodies, OddlyCutAnswers) {
  EXPECT_EQ(Get(Url("raw", "/chunked")), Text("hello0123456789abcdef"));

  WinInetPlatform platform(QuickOptions());
  WebRequestArgs reset;  // cut off halfway: the bytes so far
  reset.url = Text(Url("raw", "/reset"));
  EXPECT_EQ(WebRequest(reset, platform).str(), std::string(4000, 'a'));
  EXPECT_THAT(reset.rawHeaders.str(), StartsWith("HTTP/1.1 200 OK\r\n"));

  WebRequestArgs longHeader;  // too long for the routine's header buffer, the body still comes
  longHeader.url = Text(Url("raw", "/long-header"));
  EXPECT_EQ(WebRequest(longHeader, platform), Text("the body"));
  EXPECT_EQ(longHeader.rawHeaders, BlankText(5000));
}

TEST(WinInetBodies, AnswersBeyondTheCapsFail) {
  HttpOptions smallBody = QuickOptions();
  smallBody.maxBodyBytes = 1000;
  HttpOptions smallHeader = QuickOptions();
  smallHeader.maxHeaderBytes = 40;
  EXPECT_EQ(Get(Url("http", "/bytes/1000"), smallBody).size(), 1000u);
  EXPECT_EQ(Get(Url("http", "/bytes/1001"), smallBody), Text());
  EXPECT_EQ(Get(Url("http", "/text"), smallHeader), Text());
}

TEST(WinInetFaults, RefusedConnectionGivesEmptyAnswerAndBlankHeaders) {
  WinInetPlatform platform(QuickOptions());
  WebRequestArgs args;
  args.url = Text(Url("dead", "/x"));
  auto start = Clock::now();
  EXPECT_EQ(WebRequest(args, platform), Text());
  EXPECT_EQ(args.rawHeaders, BlankText(5000));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST(WinInetFaults, SlowServersEndWithinTheBounds) {
  struct Case {
    const char* path;
    std::string body;  // what arrives: all of /slow, none of /silent, part of the others
  };
  const Case cases[] = {{"/silent", ""}, {"/slow", "xxxxxxxxxx"}, {"/trickle", ""}, {"/stall", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    auto start = Clock::now();
    Text got = Get(Url("raw", c.path));
    auto took = Clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(7));  // the total bound is 4 s
    if (std::string(c.path) == "/trickle") {
      EXPECT_GE(took, std::chrono::milliseconds(3500));
      EXPECT_GT(got.size(), 10u);
      EXPECT_EQ(got.str(), std::string(got.size(), 'x'));
    } else if (std::string(c.path) == "/stall") {  // a megabyte came, then silence
      EXPECT_GT(got.size(), 128u << 10);
      EXPECT_LE(got.size(), 1u << 20);
      EXPECT_EQ(got.str(), std::string(got.size(), 'y'));
    } else {
      EXPECT_EQ(got.str(), c.body);
    }
  }
}

TEST(WinInetTls, TrustDecidesTheAnswer) {
  EXPECT_EQ(Get(SecureUrl("https", "/secret")), Text("secret"));
  EXPECT_EQ(Get(SecureUrl("untrusted", "/secret")), Text());
  EXPECT_EQ(Get(Url("https", "/secret")), Text());  // not a name the certificate is for
}

TEST(WinInetHandles, QueryAndReadFollowTheContract) {
  WinInetPlatform p(QuickOptions());
  InternetHandle net = p.InternetOpen("agent", INTERNET_OPEN_TYPE_DIRECT, {}, {}, 0);
  InternetHandle con =
      p.InternetConnect(net, "127.0.0.1", Ports().at("raw"), INTERNET_SERVICE_HTTP, 0);
  InternetHandle req = p.HttpOpenRequest(con, "GET", "/echo", "HTTP/1.1", 0);
  ASSERT_NE(req, 0u);
  EXPECT_EQ(p.InternetConnect(net, "bad/host", 80, INTERNET_SERVICE_HTTP, 0), 0u);
  EXPECT_EQ(p.HttpOpenRequest(con, "G T", "/x", "HTTP/1.1", 0), 0u);
  EXPECT_EQ(p.HttpOpenRequest(con, "GET", "/x", "HTTP/1.1\r\nX: 1", 0), 0u);
  EXPECT_EQ(p.InternetOpen("agent", INTERNET_OPEN_TYPE_PROXY, Text("a\r\nb"), {}, 0), 0u);

  EXPECT_TRUE(p.HttpSendRequest(req, "", nullptr));
  char small[10];
  std::memset(small, '#', sizeof small);
  std::uint32_t length = sizeof small;
  EXPECT_FALSE(p.HttpQueryInfo(req, HTTP_QUERY_RAW_HEADERS_CRLF, small, length));
  EXPECT_EQ(std::string(small, sizeof small), std::string(10, '#'));
  std::string headers(length, '#');
  EXPECT_TRUE(p.HttpQueryInfo(req, HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), length));
  EXPECT_EQ(length + 1, headers.size());
  EXPECT_THAT(headers, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(headers.substr(length - 2), std::string("\r\n\0", 3));

  unsigned char buffer[2048];
  std::uint32_t got = 0;
  std::string body;
  while (p.InternetReadFile(req, buffer, sizeof buffer, got) && got) {
    EXPECT_LE(got, 1024u);
    body.append(reinterpret_cast<char*>(buffer), got);
  }
  EXPECT_THAT(body, StartsWith("GET /echo HTTP/1.1\r\n"));
  EXPECT_THAT(body, HasSubstr("\r\nUser-Agent: agent\r\n"));

  // Closing the Internet handle takes its connection and request along.
  EXPECT_TRUE(p.InternetCloseHandle(net));
  EXPECT_FALSE(p.InternetCloseHandle(req));
  EXPECT_FALSE(p.InternetReadFile(req, buffer, sizeof buffer, got));
  EXPECT_EQ(got, 0u);
}

TEST(WinInetHandles, SystemPlatformIsWinInet) {
  auto platform = MakeSystemHttpPlatform(QuickOptions());
  EXPECT_NE(dynamic_cast<WinInetPlatform*>(platform.get()), nullptr);
}

}  // namespace
}  // namespace kovarra::web
