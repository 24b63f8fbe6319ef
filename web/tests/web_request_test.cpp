#include "web/web_request.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/codepage.hpp"

namespace kovarra::web {
namespace {

constexpr InternetHandle kInternet = 11;
constexpr InternetHandle kConnection = 22;
constexpr InternetHandle kRequest = 33;

// Records what WebRequest asks for and answers from a script.
class RecordingPlatform : public HttpPlatform {
 public:
  // Script.
  bool openFails = false;
  bool connectFails = false;
  bool requestFails = false;
  std::string body;
  std::size_t chunk = 1024;               // most bytes one read delivers
  std::optional<std::string> rawHeaders;  // absent: the query fails (nothing was received)

  // Record.
  std::vector<std::string> calls;
  Text userAgent;
  int accessType = -1;
  std::optional<Text> proxy;
  std::optional<Text> proxyBypass;
  Text serverName;
  int port = -1;
  Text verb;
  Text objectName;
  Text version;
  std::uint32_t flags = 0;
  Text sentHeaders;
  std::optional<Bytes> sentBody;
  std::vector<InternetHandle> closed;
  std::vector<std::uint32_t> readSizes;

  InternetHandle InternetOpen(const Text& agent, int access, const std::optional<Text>& p,
                              const std::optional<Text>& bypass, std::uint32_t) override {
    calls.push_back("open");
    userAgent = agent;
    accessType = access;
    proxy = p;
    proxyBypass = bypass;
    return openFails ? 0 : kInternet;
  }
  InternetHandle InternetConnect(InternetHandle internet, const Text& server, int p, int service,
                                 std::uint32_t) override {
    calls.push_back("connect");
    EXPECT_EQ(internet, kInternet);
    EXPECT_EQ(service, INTERNET_SERVICE_HTTP);
    serverName = server;
    port = p;
    return connectFails ? 0 : kConnection;
  }
  InternetHandle HttpOpenRequest(InternetHandle connection, const Text& v, const Text& object,
                                 const Text& ver, std::uint32_t f) override {
    calls.push_back("request");
    EXPECT_EQ(connection, kConnection);
    verb = v;
    objectName = object;
    version = ver;
    flags = f;
    return requestFails ? 0 : kRequest;
  }
  bool HttpSendRequest(InternetHandle request, const Text& headers, const Bytes* b) override {
    calls.push_back("send");
    EXPECT_EQ(request, kRequest);
    sentHeaders = headers;
    if (b) sentBody = *b;
    return true;
  }
  bool InternetReadFile(InternetHandle request, unsigned char* buffer, std::uint32_t toRead,
                        std::uint32_t& bytesRead) override {
    EXPECT_EQ(request, kRequest);
    readSizes.push_back(toRead);
    const std::size_t n = std::min({chunk, static_cast<std::size_t>(toRead), body.size() - sent_});
    std::memcpy(buffer, body.data() + sent_, n);
    sent_ += n;
    bytesRead = static_cast<std::uint32_t>(n);
    return true;
  }
  bool HttpQueryInfo(InternetHandle request, int infoLevel, char* buffer,
                     std::uint32_t& length) override {
    calls.push_back("query");
    EXPECT_EQ(request, kRequest);
    EXPECT_EQ(infoLevel, HTTP_QUERY_RAW_HEADERS_CRLF);
    EXPECT_EQ(length, 5000u);
    if (!rawHeaders) return false;
    if (rawHeaders->size() + 1 > length) {
      length = static_cast<std::uint32_t>(rawHeaders->size() + 1);
      return false;
    }
    std::memcpy(buffer, rawHeaders->c_str(), rawHeaders->size() + 1);
    length = static_cast<std::uint32_t>(rawHeaders->size());
    return true;
  }
  bool InternetCloseHandle(InternetHandle handle) override {
    calls.push_back("close");
    closed.push_back(handle);
    return true;
  }

 private:
  std::size_t sent_ = 0;
};

std::string Headers(std::initializer_list<const char*> lines) {
  std::string out = "HTTP/1.1 200 OK\r\n";
  for (const char* line : lines) out.append(line).append("\r\n");
  return out;
}

const Text kDefaultTail(
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded");

TEST(WebRequest, PlainGetAsksThePlatformForTheDefaults) {
  RecordingPlatform platform;
  platform.body = "hello";
  platform.rawHeaders = Headers({"Content-Length: 5"});

  EXPECT_EQ(WebRequest("https://host.example/a?b=1", 0, platform), Text("hello"));

  EXPECT_EQ(platform.calls, (std::vector<std::string>{"open", "connect", "request", "send", "query",
                                                      "close", "close", "close"}));
  EXPECT_EQ(platform.closed, (std::vector<InternetHandle>{kRequest, kConnection, kInternet}));
  EXPECT_EQ(platform.userAgent, DefaultUserAgent());
  EXPECT_EQ(TextLength(DefaultUserAgent()), 121);
  EXPECT_EQ(platform.accessType, INTERNET_OPEN_TYPE_DIRECT);
  EXPECT_FALSE(platform.proxy);
  EXPECT_FALSE(platform.proxyBypass);
  EXPECT_EQ(platform.serverName, Text("host.example"));
  EXPECT_EQ(platform.port, 443);
  EXPECT_EQ(platform.verb, Text("GET"));
  EXPECT_EQ(platform.objectName, Text("/a?b=1"));
  EXPECT_EQ(platform.version, Text("HTTP/1.1"));
  EXPECT_EQ(platform.flags, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE | INTERNET_FLAG_SECURE);
  EXPECT_EQ(platform.sentHeaders, ConcatText("Referer: https://host.example/a?b=1", kDefaultTail));
  EXPECT_FALSE(platform.sentBody);
}

struct FlagCase {
  const char* url;
  bool cookies;
  bool noRedirect;
  std::uint32_t extra;
  int port;
};
void PrintTo(const FlagCase& c, std::ostream* os) {
  *os << c.url;
}

class RequestFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(RequestFlags, FollowSchemeCookiesAndRedirects) {
  const FlagCase& c = GetParam();
  RecordingPlatform platform;
  WebRequestArgs args;
  args.url = c.url;
  if (c.cookies) args.cookies = Text();
  args.noRedirect = c.noRedirect;
  WebRequest(args, platform);
  EXPECT_EQ(platform.flags, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE | c.extra);
  EXPECT_EQ(platform.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestFlags,
    ::testing::Values(
        FlagCase{"http://host.example/a?b=1", false, false, INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS,
                 80},
        FlagCase{"https://h.example/", true, true,
                 INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_SECURE,
                 443},
        FlagCase{"HTTPS://h.example/", false, false, INTERNET_FLAG_SECURE, 443},
        // No scheme: plain http flags even on port 443.
        FlagCase{"h.example:443/x", false, false, INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS, 443},
        FlagCase{"http://h.example:8080/", false, true,
                 INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS, 8080}));

struct HeaderCase {
  const char* name;
  const char* headers;
  const char* userAgent;  // nullptr: DefaultUserAgent
  const char* sent;       // "{url}" stands for the address
};
// Test names stay short in CTest: a case prints as its name.
void PrintTo(const HeaderCase& c, std::ostream* os) {
  *os << c.name;
}

class RequestHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(RequestHeaders, UserAgentAndDefaultLines) {
  const HeaderCase& c = GetParam();
  const std::string url = "http://h.example/p";
  RecordingPlatform platform;
  WebRequestArgs args;
  args.url = url;
  args.headers = c.headers;
  WebRequest(args, platform);

  EXPECT_EQ(platform.userAgent, c.userAgent ? Text(c.userAgent) : DefaultUserAgent());
  std::string sent = c.sent;
  if (auto at = sent.find("{url}"); at != std::string::npos) sent.replace(at, 5, url);
  EXPECT_EQ(platform.sentHeaders, Text(sent));
  EXPECT_EQ(args.headers, Text(sent));  // the caller's variable keeps the lines
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestHeaders,
    ::testing::Values(
        HeaderCase{"AgentFromHeaders", "User-Agent: X\r\nAccept: text/html", "X",
                   "User-Agent: X\r\nAccept: text/html\r\nReferer: {url}\r\nAccept-Language: "
                   "zh-cn\r\nContent-Type: application/x-www-form-urlencoded"},
        HeaderCase{"AgentLowerCase", "user-agent: X\r\n", "X",
                   "user-agent: X\r\n\r\nReferer: {url}\r\nAccept: */*\r\nAccept-Language: "
                   "zh-cn\r\nContent-Type: application/x-www-form-urlencoded"},
        HeaderCase{"AgentLastLine", "Accept: */*\r\nUser-Agent: X", "*/*\r\nUser-Agent: X",
                   "Accept: */*\r\nUser-Agent: X\r\nReferer: {url}\r\nAccept-Language: "
                   "zh-cn\r\nContent-Type: application/x-www-form-urlencoded"},
        HeaderCase{"RefererLowerCaseIsNotOne", "referer: x", nullptr,
                   "referer: x\r\nReferer: {url}\r\nAccept: */*\r\nAccept-Language: "
                   "zh-cn\r\nContent-Type: application/x-www-form-urlencoded"},
        HeaderCase{"AllPresent", "Referer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: c",
                   nullptr, "Referer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: c"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WebRequest, HeadersVariableCarriesTheFirstReferer) {
  RecordingPlatform first;
  RecordingPlatform second;
  WebRequestArgs args;
  args.url = "http://a.example/";
  WebRequest(args, first);
  args.url = "http://b.example/";
  WebRequest(args, second);
  EXPECT_EQ(second.sentHeaders, ConcatText("Referer: http://a.example/", kDefaultTail));
}

struct BodyCase {
  const char* name;
  int method;
  const char* postText;
  std::optional<Bytes> postBytes;  // absent: left as it is
  const char* verb;
  std::optional<Bytes> sent;
  Bytes postBytesAfter;
};
// Test names stay short in CTest: a case prints as its name.
void PrintTo(const BodyCase& c, std::ostream* os) {
  *os << c.name;
}

class RequestBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(RequestBody, VerbAndBody) {
  const BodyCase& c = GetParam();
  RecordingPlatform platform;
  WebRequestArgs args;
  args.url = "http://h.example/";
  args.method = c.method;
  args.postText = c.postText;
  if (c.postBytes) args.postBytes = *c.postBytes;
  WebRequest(args, platform);
  EXPECT_EQ(platform.verb, Text(c.verb));
  EXPECT_EQ(platform.sentBody, c.sent);
  EXPECT_EQ(args.postBytes, c.postBytesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestBody,
    ::testing::Values(
        BodyCase{"GetSendsNoBody", 0, "a=1", std::nullopt, "GET", std::nullopt, Bytes()},
        BodyCase{"PostText", 1, "a=1", std::nullopt, "POST", Bytes(std::string_view("a=1")),
                 Bytes(std::string_view("a=1"))},
        BodyCase{"EmptyPostBytesFilled", 1, "a=1", Bytes(), "POST", Bytes(std::string_view("a=1")),
                 Bytes(std::string_view("a=1"))},
        BodyCase{"PostBytesWin", 1, "a=1", Bytes(std::string_view("\0\1", 2)), "POST",
                 Bytes(std::string_view("\0\1", 2)), Bytes(std::string_view("\0\1", 2))},
        BodyCase{"MethodTwoIsGetWithBody", 2, "q", std::nullopt, "GET",
                 Bytes(std::string_view("q")), Bytes(std::string_view("q"))},
        BodyCase{"PostWithoutAnything", 1, "", std::nullopt, "POST", std::nullopt, Bytes()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WebRequest, CookiesPresentButEmpty) {
  RecordingPlatform platform;
  platform.rawHeaders = Headers({"Set-Cookie: a=1; path=/", "Set-Cookie: b=2; HttpOnly"});
  WebRequestArgs args;
  args.url = "http://h.example/";
  args.cookies = Text();
  WebRequest(args, platform);
  EXPECT_TRUE(platform.flags & INTERNET_FLAG_NO_COOKIES);
  EXPECT_EQ(FindText(platform.sentHeaders, "Cookie"), -1);
  EXPECT_EQ(args.cookies, Text("a=1; b=2"));
  EXPECT_EQ(args.returnedCookies, Text("a=1;b=2"));  // the merge takes its spaces
}

TEST(WebRequest, CookiesAreSentAsGivenAndMerged) {
  RecordingPlatform platform;
  platform.rawHeaders = Headers({"Set-Cookie: b=3; path=/", "Set-Cookie: a=deleted; path=/"});
  WebRequestArgs args;
  args.url = "http://h.example/";
  args.headers = "Cookie: z=0";
  args.cookies = Text("a=1; c=2");
  WebRequest(args, platform);
  EXPECT_EQ(platform.sentHeaders, ConcatText("Cookie: z=0\r\nReferer: http://h.example/",
                                             kDefaultTail, "\r\nCookie: a=1; c=2"));
  EXPECT_EQ(args.cookies, Text("b=3; c=2"));
}

TEST(WebRequest, CookiesLeftOutAreNotMerged) {
  RecordingPlatform platform;
  platform.rawHeaders = Headers({"Set-Cookie: a=1 x; path=/"});
  WebRequestArgs args;
  args.url = "http://h.example/";
  args.returnedCookies = "stale";
  WebRequest(args, platform);
  EXPECT_FALSE(platform.flags & INTERNET_FLAG_NO_COOKIES);
  EXPECT_FALSE(args.cookies);
  EXPECT_EQ(args.returnedCookies, Text("a=1 x"));
}

TEST(WebRequest, ProxyPresence) {
  RecordingPlatform platform;
  WebRequestArgs args;
  args.url = "http://h.example/";
  args.proxy = Text();
  WebRequest(args, platform);
  EXPECT_EQ(platform.accessType, INTERNET_OPEN_TYPE_PROXY);
  EXPECT_EQ(platform.proxy, Text("http="));
  EXPECT_EQ(platform.proxyBypass, Text());

  RecordingPlatform other;
  args.proxy = Text("127.0.0.1:8888");
  WebRequest(args, other);
  EXPECT_EQ(other.proxy, Text("http=127.0.0.1:8888"));
}

struct ScanCase {
  const char* name;
  std::string raw;
  const char* returnedCookies;
};
// Test names stay short in CTest: a case prints as its name.
void PrintTo(const ScanCase& c, std::ostream* os) {
  *os << c.name;
}

class SetCookieScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(SetCookieScan, ReturnedCookies) {
  RecordingPlatform platform;
  platform.rawHeaders = GetParam().raw;
  WebRequestArgs args;
  args.url = "http://h.example/";
  WebRequest(args, platform);
  EXPECT_EQ(args.returnedCookies, Text(GetParam().returnedCookies));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetCookieScan,
    ::testing::Values(
        ScanCase{"Two", Headers({"Set-Cookie: a=1; path=/", "Set-Cookie: b=2; HttpOnly"}),
                 "a=1; b=2"},
        ScanCase{"LoneWithoutSemicolon", Headers({"Set-Cookie: a=1"}), ""},
        ScanCase{"EmptyItemAfter", Headers({"Set-Cookie: b=2; path=/", "Set-Cookie: a=1"}),
                 "b=2; "},
        ScanCase{"NameCaseInMarker", Headers({"Set-Cookie: A=1;", "set-cookie: b=2;"}), "A=1"},
        ScanCase{"None", Headers({"Content-Type: text/plain"}), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WebRequest, LocationLines) {
  struct Case {
    std::string raw;
    const char* before;
    std::string after;
  };
  const std::string noLocation = Headers({"Server: x"});
  const Case cases[] = {
      {Headers({"Location: /next"}), "", "/next"},
      {Headers({"Location: /first", "Content-Location: /last "}), "kept", "/last"},
      {noLocation, "kept", "kept"},
      {noLocation, "", noLocation},
  };
  for (const Case& c : cases) {
    RecordingPlatform platform;
    platform.rawHeaders = c.raw;
    WebRequestArgs args;
    args.url = "http://h.example/";
    args.location = c.before;
    WebRequest(args, platform);
    EXPECT_EQ(args.location, Text(c.after)) << c.raw;
    EXPECT_EQ(args.rawHeaders, Text(c.raw));
  }
}

TEST(WebRequest, Utf8TestOnBodyThenHeaders) {
  const std::string chinese = "\xE4\xB8\xAD";  // 中
  const Text gbkChinese("\xD6\xD0");
  struct Case {
    const char* name;
    std::string body;
    std::string raw;
    bool converted;
  };
  const std::string plain = Headers({"Content-Type: text/html"});
  const std::string upper = Headers({"Content-Type: text/html; charset=UTF-8"});
  const Case cases[] = {
      {"AtByte499", std::string(498, ' ') + "utf-8" + chinese, plain, true},
      {"AtByte500", std::string(499, ' ') + "utf-8" + chinese, plain, false},
      {"AtByte500WithHeader", std::string(499, ' ') + "utf-8" + chinese, upper, true},
      {"UpperCaseBody", "UTF-8" + chinese, plain, false},
      {"UpperCaseBodyWithHeader", "UTF-8" + chinese, upper, true},
  };
  for (const Case& c : cases) {
    RecordingPlatform platform;
    platform.body = c.body;
    platform.rawHeaders = c.raw;
    const Text result = WebRequest("http://h.example/", 0, platform);
    const std::string head = c.body.substr(0, c.body.size() - chinese.size());
    EXPECT_EQ(result, c.converted ? ConcatText(head, gbkChinese) : Text(c.body)) << c.name;
  }
}

TEST(WebRequest, BodyEndsAtZeroByte) {
  RecordingPlatform platform;
  platform.body = std::string("ab\0cd", 5);
  EXPECT_EQ(WebRequest("http://h.example/", 0, platform), Text("ab"));
}

TEST(WebRequest, LongBodyReadInChunks) {
  for (std::size_t chunk : {1024u, 1000u, 7u}) {
    RecordingPlatform platform;
    platform.chunk = chunk;
    for (int i = 0; platform.body.size() < 10000; ++i) platform.body += std::to_string(i) + ",";
    EXPECT_EQ(WebRequest("http://h.example/", 0, platform), Text(platform.body));
    EXPECT_TRUE(std::all_of(platform.readSizes.begin(), platform.readSizes.end(),
                            [](std::uint32_t n) { return n == 1024; }));
  }
}

TEST(WebRequest, UnreachableHostLeavesBlanks) {
  RecordingPlatform platform;  // no body, no headers: the send went nowhere
  WebRequestArgs args;
  args.url = "http://unreachable.example/";
  args.cookies = Text("a=1; b=2");
  args.returnedCookies = "old";
  const Text result = WebRequest(args, platform);
  EXPECT_EQ(result, Text());
  EXPECT_EQ(args.rawHeaders, BlankText(5000));
  EXPECT_EQ(args.location, BlankText(5000));
  EXPECT_EQ(args.returnedCookies, Text());
  EXPECT_EQ(args.cookies, Text("a=1; b=2"));
  EXPECT_NE(FindText(args.headers, "Referer: "), -1);
}

TEST(WebRequest, HeadersOverBufferSizeAreNotSeen) {
  RecordingPlatform platform;
  platform.body = "\xE4\xB8\xAD";
  platform.rawHeaders =
      Headers({"Content-Type: text/html; charset=utf-8", "Location: /x", "Set-Cookie: a=1;"}) +
      "X-Pad: " + std::string(5000, 'p') + "\r\n";
  WebRequestArgs args;
  args.url = "http://h.example/";
  const Text result = WebRequest(args, platform);
  EXPECT_EQ(result, Text("\xE4\xB8\xAD"));  // not converted: the header test cannot succeed
  EXPECT_EQ(args.rawHeaders, BlankText(5000));
  EXPECT_EQ(args.location, BlankText(5000));
  EXPECT_EQ(args.returnedCookies, Text());
}

TEST(WebRequest, OpenFailuresCloseWhatWasOpened) {
  struct Case {
    bool open, connect, request;
    std::vector<InternetHandle> closed;
  };
  const Case cases[] = {
      {true, false, false, {}},
      {false, true, false, {kInternet}},
      {false, false, true, {kConnection, kInternet}},
  };
  for (const Case& c : cases) {
    RecordingPlatform platform;
    platform.openFails = c.open;
    platform.connectFails = c.connect;
    platform.requestFails = c.request;
    platform.body = "never read";
    WebRequestArgs args;
    args.url = "http://h.example/";
    args.method = 1;
    args.postText = "a=1";
    args.headers = "X: y";
    args.cookies = Text("c=1");
    args.location = "";
    EXPECT_EQ(WebRequest(args, platform), Text());
    EXPECT_EQ(platform.closed, c.closed);
    EXPECT_TRUE(std::find(platform.calls.begin(), platform.calls.end(), "send") ==
                platform.calls.end());
    // Nothing the caller gave has changed.
    EXPECT_EQ(args.headers, Text("X: y"));
    EXPECT_EQ(args.postBytes, Bytes());
    EXPECT_EQ(args.cookies, Text("c=1"));
    EXPECT_EQ(args.location, Text());
    EXPECT_EQ(args.rawHeaders, Text());
  }
}

TEST(WebRequest, LineBreakInCookieTextOrAddressIsRefusedBeforeAnything) {
  struct Case {
    const char* url;
    const char* cookie;  // null: no cookie text
  };
  for (const Case c :
       {Case{"http://h.example/", "a=1\r\nX-Evil: 1"}, Case{"http://h.example/", "a=1\nb=2"},
        Case{"http://h.example/", "a=1\r"}, Case{"http://h.example/a\r\nX-Evil: 1", nullptr},
        Case{"http://h.example/a\nb", "c=1"}, Case{"http://h.ex\rample/", nullptr}}) {
    SCOPED_TRACE(std::string(c.url) + " | " + (c.cookie ? c.cookie : "(none)"));
    RecordingPlatform platform;
    WebRequestArgs args;
    args.url = c.url;
    args.headers = "X: y";
    if (c.cookie) args.cookies = Text(c.cookie);
    EXPECT_EQ(WebRequest(args, platform), Text());
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(args.headers, Text("X: y"));
    if (c.cookie) {
      EXPECT_EQ(args.cookies, Text(c.cookie));
    }
  }
}

TEST(WebRequest, ChineseAnswerBecomesLocalText) {
  RecordingPlatform platform;
  platform.rawHeaders = Headers({"Content-Type: application/json; charset=utf-8"});
  platform.body = "var MatchList = {\"msg\":\"\xE6\x9C\xAA\xE6\x9F\xA5\xE8\xAF\xA2\"}";
  EXPECT_EQ(WebRequest("https://h.example/x", 0, platform),
            ConcatText("var MatchList = {\"msg\":\"", Gbk("未查询"), "\"}"));
}

}  // namespace
}  // namespace kovarra::web
