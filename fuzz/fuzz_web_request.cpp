// WebRequest's handling of whatever a server sends: arbitrary raw header text and body served
// through a recording fake platform, with the request's own parameters fuzzed as well. Every
// handle opened is closed once, newest first; the header, cookie and location outputs follow
// from the header lines; the body comes back as local text.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/extract.hpp"
#include "core/text.hpp"
#include "fuzz/fuzz_support.hpp"
#include "web/charset.hpp"
#include "web/http_platform.hpp"
#include "web/web_request.hpp"

namespace kovarra::fuzz {
namespace {

using web::InternetHandle;

// Serves one response: `rawHeaders` as the header text, `body` in reads of `chunks` sizes.
// Opening fails at step `failAt` (1 Internet handle, 2 connection, 3 request; 0 never).
class FakePlatform : public web::HttpPlatform {
 public:
  std::string rawHeaders;
  std::string body;
  std::vector<std::uint32_t> chunks;
  int failAt = 0;

  std::vector<InternetHandle> open;  // in the order opened
  std::vector<InternetHandle> closed;
  Text sentHeaders;
  std::optional<std::string> sentBody;
  int sends = 0;

  InternetHandle InternetOpen(const Text& userAgent, int accessType,
                              const std::optional<Text>& proxy, const std::optional<Text>&,
                              std::uint32_t) override {
    RequireText(userAgent);
    FUZZ_REQUIRE(open.empty());
    FUZZ_REQUIRE(accessType ==
                 (proxy ? web::INTERNET_OPEN_TYPE_PROXY : web::INTERNET_OPEN_TYPE_DIRECT));
    return Open(1);
  }
  InternetHandle InternetConnect(InternetHandle internet, const Text& server, int, int service,
                                 std::uint32_t) override {
    RequireText(server);
    FUZZ_REQUIRE(open.size() == 1 && internet == open[0] && Live(internet));
    FUZZ_REQUIRE(service == web::INTERNET_SERVICE_HTTP);
    return Open(2);
  }
  InternetHandle HttpOpenRequest(InternetHandle connection, const Text& verb,
                                 const Text& objectName, const Text& version,
                                 std::uint32_t) override {
    FUZZ_REQUIRE(open.size() == 2 && connection == open[1] && Live(connection));
    FUZZ_REQUIRE(verb == Text("GET") || verb == Text("POST"));
    FUZZ_REQUIRE(!objectName.empty() && objectName.view()[0] == '/');
    FUZZ_REQUIRE(version == Text("HTTP/1.1"));
    return Open(3);
  }
  bool HttpSendRequest(InternetHandle request, const Text& headers, const Bytes* data) override {
    FUZZ_REQUIRE(IsRequest(request));
    ++sends;
    sentHeaders = headers;
    if (data) sentBody = data->str();
    return true;
  }
  bool InternetReadFile(InternetHandle request, unsigned char* buffer, std::uint32_t toRead,
                        std::uint32_t& bytesRead) override {
    FUZZ_REQUIRE(IsRequest(request));
    bytesRead = 0;
    if (served_ >= body.size()) return true;
    std::uint32_t n = chunks.empty() ? toRead : chunks[reads_++ % chunks.size()];
    n = std::min<std::uint32_t>({n, toRead, static_cast<std::uint32_t>(body.size() - served_)});
    // Every byte the caller offered must be writable: ASan sees an overrun here.
    if (toRead) std::memset(buffer, 0xEE, toRead);
    std::memcpy(buffer, body.data() + served_, n);
    served_ += n;
    bytesRead = n;
    return true;
  }
  bool HttpQueryInfo(InternetHandle request, int infoLevel, char* buffer,
                     std::uint32_t& length) override {
    FUZZ_REQUIRE(IsRequest(request));
    FUZZ_REQUIRE(infoLevel == web::HTTP_QUERY_RAW_HEADERS_CRLF);
    std::size_t need = rawHeaders.size() + 1;
    if (need > length) {
      length = static_cast<std::uint32_t>(need);
      return false;
    }
    std::memcpy(buffer, rawHeaders.c_str(), need);
    length = static_cast<std::uint32_t>(rawHeaders.size());
    return true;
  }
  bool InternetCloseHandle(InternetHandle handle) override {
    // Closed newest first, each once.
    FUZZ_REQUIRE(!open.empty() && Live(handle));
    FUZZ_REQUIRE(handle == open[open.size() - 1 - closed.size()]);
    closed.push_back(handle);
    return true;
  }

  bool AllClosed() const { return closed.size() == open.size(); }
  // A read of 0 bytes ends the body early, as a failed read does.
  std::string Delivered() const { return body.substr(0, served_); }

 private:
  InternetHandle Open(int step) {
    if (step == failAt) return 0;
    InternetHandle h = 0x1000 + static_cast<InternetHandle>(step);
    open.push_back(h);
    return h;
  }
  bool Live(InternetHandle h) const {
    return std::find(open.begin(), open.end(), h) != open.end() &&
           std::find(closed.begin(), closed.end(), h) == closed.end();
  }
  bool IsRequest(InternetHandle h) const { return open.size() == 3 && h == open[2] && Live(h); }

  std::size_t served_ = 0;
  std::uint32_t reads_ = 0;
};

bool IsUtf8Answer(std::string_view body, const Text& rawHeaders) {
  std::size_t at = body.find("utf-8");
  if (at != std::string_view::npos && at + 1 < 500) return true;
  return FindText(rawHeaders, "utf-8", std::nullopt, true) != -1;
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  FuzzedDataProvider in(data, size);
  web::WebRequestArgs args;
  args.url = TakeText(in, 64);
  args.method = in.ConsumeIntegralInRange<int>(0, 2);
  args.postText = TakeText(in, 16);
  if (in.ConsumeBool()) args.cookies = TakeText(in, 64);
  args.headers = TakeText(in, 96);
  args.location = in.ConsumeBool() ? TakeText(in, 8) : Text();
  args.noRedirect = in.ConsumeBool();
  if (in.ConsumeBool()) args.postBytes = Bytes(in.ConsumeRandomLengthString(16));
  if (in.ConsumeBool()) args.proxy = TakeText(in, 16);

  FakePlatform platform;
  platform.failAt = in.ConsumeIntegralInRange<int>(0, 7) & 3;
  for (int i = in.ConsumeIntegralInRange<int>(0, 3); i > 0; --i)
    platform.chunks.push_back(in.ConsumeIntegralInRange<std::uint32_t>(0, 1100));
  platform.rawHeaders = in.ConsumeRandomLengthString(2048);
  // Header texts around the 5000-byte buffer without inputs that long.
  if (std::size_t pad = in.ConsumeIntegralInRange<std::size_t>(0, 5100); pad > 4900)
    platform.rawHeaders += "X-Pad: " + std::string(pad - 7, 'p') + "\r\n";
  platform.body = in.ConsumeRemainingBytesAsString();

  const web::WebRequestArgs given = args;
  Text result = web::WebRequest(args, platform);
  RequireText(result);
  FUZZ_REQUIRE(platform.AllClosed());

  // An address or cookie text holding a line break would add header lines: refused up front.
  const auto hasLineBreak = [](const Text& t) {
    return t.view().find_first_of("\r\n") != std::string_view::npos;
  };
  const bool refused = hasLineBreak(given.url) || (given.cookies && hasLineBreak(*given.cookies));
  if (refused) FUZZ_REQUIRE(platform.open.empty());

  if (platform.failAt != 0 || refused) {
    // Nothing was sent and no parameter changed.
    FUZZ_REQUIRE(result.empty() && platform.sends == 0);
    FUZZ_REQUIRE(args.headers == given.headers && args.location == given.location);
    FUZZ_REQUIRE(args.cookies == given.cookies && args.postBytes == given.postBytes);
    FUZZ_REQUIRE(args.rawHeaders.empty() && args.returnedCookies.empty());
    return 0;
  }

  FUZZ_REQUIRE(platform.sends == 1 && platform.sentHeaders == args.headers);
  FUZZ_REQUIRE(args.headers.view().starts_with(given.headers.view()));
  if (args.method == 0) FUZZ_REQUIRE(!platform.sentBody);
  if (args.method != 0 && !args.postBytes.empty())
    FUZZ_REQUIRE(platform.sentBody == args.postBytes.str());

  // The header text as the platform holds it, or the 5000 blanks when it does not fit.
  Text expectedRaw =
      platform.rawHeaders.size() + 1 <= 5000 ? Text(platform.rawHeaders) : BlankText(5000);
  FUZZ_REQUIRE(args.rawHeaders == expectedRaw);

  Text lastLocation;
  bool anyLocation = false;
  for (const Text& line : SplitText(args.rawHeaders, "\r\n")) {
    if (FindText(line, "Location:") != -1) {
      anyLocation = true;
      lastLocation = HeaderValue(line);
    }
  }
  if (anyLocation)
    FUZZ_REQUIRE(args.location == lastLocation ||
                 (lastLocation.empty() && args.location == args.rawHeaders));
  else
    FUZZ_REQUIRE(args.location == (given.location.empty() ? args.rawHeaders : given.location));

  if (args.cookies) {
    FUZZ_REQUIRE(!HasBlankCharacter(args.returnedCookies.view()) ||
                 !WellFormedGbk(args.returnedCookies.view()));
    RequireText(*args.cookies);
  }

  const std::string body = platform.Delivered();
  if (IsUtf8Answer(body, args.rawHeaders))
    FUZZ_REQUIRE(result == BytesToText(web::ConvertCharset(Bytes(body))));
  else
    FUZZ_REQUIRE(result.view() == std::string_view(body).substr(0, body.find('\0')));
  return 0;
}
