#include "web/web_request.hpp"

#include <cstdint>
#include <string_view>
#include <utility>

#include "core/extract.hpp"
#include "web/charset.hpp"
#include "web/cookies.hpp"
#include "web/url.hpp"

namespace kovarra::web {
namespace {

constexpr std::uint32_t kReadChunk = 1024;
constexpr int kRawHeaderSize = 5000;
constexpr std::size_t kInitialBody = 64 * 1024;

Text ChooseUserAgent(const Text& headers) {
  if (FindText(headers, "User-Agent:", std::nullopt, true) == -1) return DefaultUserAgent();
  Text agent = TrimBoth(TextBetween(headers, "User-Agent:", "\r\n"));
  // The line is the last one without a line break after it, or its value is blank.
  if (agent.empty()) agent = HeaderValue(headers);
  return agent;
}

std::uint32_t RequestFlags(const WebRequestArgs& args) {
  std::uint32_t flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
  if (args.cookies) flags |= INTERNET_FLAG_NO_COOKIES;
  if (args.noRedirect) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
  // The scheme of the address decides, not the port.
  if (CompareText(ToLower(LeftText(args.url, 5)), "https") == 0) {
    flags |= INTERNET_FLAG_SECURE;
  } else {
    flags |= INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  }
  return flags;
}

void AddDefaultHeaders(WebRequestArgs& args) {
  Text& h = args.headers;
  if (FindText(h, "Referer:") == -1) {
    h = ConcatText(h, h.empty() ? "Referer: " : "\r\nReferer: ", args.url);
  }
  if (FindText(h, "Accept:") == -1) h = ConcatText(h, "\r\nAccept: */*");
  if (FindText(h, "Accept-Language:") == -1) h = ConcatText(h, "\r\nAccept-Language: zh-cn");
  if (FindText(h, "Content-Type:") == -1) {
    h = ConcatText(h, "\r\nContent-Type: application/x-www-form-urlencoded");
  }
  if (args.cookies && !args.cookies->empty()) h = ConcatText(h, "\r\nCookie: ", *args.cookies);
}

// Each chunk lands straight at the end of the body: no staging buffer, no copy per read.
Bytes ReadBody(HttpPlatform& platform, InternetHandle request) {
  Bytes body;
  // Room for a usual answer at once: growing by doubling from 1 KB makes the allocator hand
  // memory back and forth with the kernel on every request.
  body.Reserve(kInitialBody);
  for (;;) {
    const std::size_t had = body.size();
    body.Resize(had + kReadChunk);
    std::uint32_t count = 0;
    platform.InternetReadFile(request, body.data() + had, kReadChunk, count);
    if (count > kReadChunk) count = kReadChunk;  // a platform never reports more than it got
    body.Resize(had + count);
    if (count == 0) break;
  }
  return body;
}

Text QueryRawHeaders(HttpPlatform& platform, InternetHandle request) {
  std::string buffer(kRawHeaderSize, ' ');
  std::uint32_t length = kRawHeaderSize;
  // A failed query leaves the blanks; the text ends at the first zero byte written.
  platform.HttpQueryInfo(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), length);
  return Text(std::string_view(buffer));
}

void ScanHeaderLines(WebRequestArgs& args) {
  args.returnedCookies = Text();
  for (const Text& line : SplitText(args.rawHeaders, "\r\n")) {
    if (FindText(line, "Location:") != -1) args.location = HeaderValue(line);
    if (FindText(line, "Set-Cookie") != -1) {
      args.returnedCookies.Append(TrimBoth(TextBetween(line, "Set-Cookie:", ";")).view());
      args.returnedCookies.Append("; ");
    }
  }
  args.returnedCookies = LeftText(args.returnedCookies, TextLength(args.returnedCookies) - 2);
}

bool AnswerIsUtf8(const Bytes& body, const Text& rawHeaders) {
  // Only an occurrence that begins before byte 500 counts, so a long body is not searched on.
  const int p = FindBytes(LeftBytes(body, 499 + 4), ToBytes("utf-8"));
  if (p != -1 && p < 500) return true;
  return FindText(rawHeaders, "utf-8", std::nullopt, true) != -1;
}

}  // namespace

const Text& DefaultUserAgent() {
  static const Text agent(
      "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; Tavok; .NET CLR 2.0.50727; "
      ".NET CLR 3.0.04506.648; .NET CLR 3.5.21022)");
  return agent;
}

Text WebRequest(WebRequestArgs& args, HttpPlatform& platform) {
  // The cookie text becomes one header value: a line break in it would add header lines of its
  // own, so it is refused like the platform refuses any single value holding one.
  if (args.cookies && args.cookies->view().find_first_of("\r\n") != std::string_view::npos)
    return Text();
  const Text verb = args.method == 1 ? "POST" : "GET";
  const Text userAgent = ChooseUserAgent(args.headers);

  const InternetHandle internet =
      args.proxy ? platform.InternetOpen(userAgent, INTERNET_OPEN_TYPE_PROXY,
                                         ConcatText("http=", *args.proxy), Text(), 0)
                 : platform.InternetOpen(userAgent, INTERNET_OPEN_TYPE_DIRECT, std::nullopt,
                                         std::nullopt, 0);
  if (internet == 0) return Text();

  const InternetHandle connection = platform.InternetConnect(
      internet, UrlHost(args.url), UrlPort(args.url), INTERNET_SERVICE_HTTP, 0);
  if (connection == 0) {
    platform.InternetCloseHandle(internet);
    return Text();
  }

  const InternetHandle request =
      platform.HttpOpenRequest(connection, verb, UrlPath(args.url), "HTTP/1.1", RequestFlags(args));
  if (request == 0) {
    platform.InternetCloseHandle(connection);
    platform.InternetCloseHandle(internet);
    return Text();
  }

  AddDefaultHeaders(args);
  if (args.method == 0) {
    platform.HttpSendRequest(request, args.headers, nullptr);
  } else {
    if (BytesLength(args.postBytes) == 0) args.postBytes = ToBytes(args.postText);
    platform.HttpSendRequest(request, args.headers,
                             args.postBytes.empty() ? nullptr : &args.postBytes);
  }

  Bytes body = ReadBody(platform, request);
  args.rawHeaders = QueryRawHeaders(platform, request);

  platform.InternetCloseHandle(request);
  platform.InternetCloseHandle(connection);
  platform.InternetCloseHandle(internet);

  ScanHeaderLines(args);
  if (args.cookies) MergeCookies(*args.cookies, args.returnedCookies);
  if (args.location.empty()) args.location = args.rawHeaders;

  if (AnswerIsUtf8(body, args.rawHeaders)) body = ConvertCharset(body);
  return BytesToText(std::move(body));
}

Text WebRequest(const Text& url, int method, HttpPlatform& platform) {
  WebRequestArgs args;
  args.url = url;
  args.method = method;
  return WebRequest(args, platform);
}

}  // namespace kovarra::web
