#include "web/curl/curl_platform.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "web/body_pieces.hpp"
#include "web/handle_table.hpp"
#include "web/wire.hpp"

namespace kovarra::web {
namespace {

using wire::EscapeObject;
using wire::HasLineBreak;
using wire::IsSafeHost;
using wire::IsToken;
using wire::StartsWithNoCase;
using wire::Trim;

constexpr std::uint32_t kIgnoreRedirectToHttp = 0x8000u;  // INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP
constexpr long kMaxRedirects = 10;

// Calls f with each non-empty entry of a list whose entries stand apart by any of separators.
template <typename F>
void ForEachEntry(std::string_view list, std::string_view separators, F f) {
  std::size_t i = 0;
  while (i < list.size()) {
    std::size_t end = list.find_first_of(separators, i);
    if (end == std::string_view::npos) end = list.size();
    if (end > i) f(list.substr(i, end - i));
    i = end + 1;
  }
}

// The proxy list of InternetOpen: entries "scheme=host:port" or "host:port", apart by blanks
// or semicolons. Only the entry for http (or one without a scheme) serves http addresses; the
// proxy is used for nothing else, as the platform does.
std::string HttpProxyOf(std::string_view list) {
  std::string found;
  ForEachEntry(list, " ;\t", [&](std::string_view entry) {
    auto eq = entry.find('=');
    if (eq == std::string_view::npos) {
      if (found.empty()) found = std::string(entry);
    } else if (StartsWithNoCase(entry.substr(0, eq), "http") && eq == 4) {
      found = std::string(entry.substr(eq + 1));
    }
  });
  if (!found.empty() && !IsSafeHost(found)) return {};  // scheme prefixes are not ours to pass
  return found;
}

// The bypass list in curl's form (comma-separated); "<local>" has no equivalent and is dropped.
std::string NoProxyOf(std::string_view list) {
  std::string out;
  ForEachEntry(list, " ;,\t", [&](std::string_view entry) {
    if (entry == "<local>") return;
    if (!out.empty()) out += ',';
    out.append(entry);
  });
  return out;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

struct CurlSlist {
  curl_slist* list = nullptr;
  ~CurlSlist() { curl_slist_free_all(list); }
  bool Add(const std::string& line) {
    curl_slist* next = curl_slist_append(list, line.c_str());
    if (!next) return false;
    list = next;
    return true;
  }
};

struct EasyFree {
  void operator()(CURL* e) const { curl_easy_cleanup(e); }
};

// One global init for the process, before any handle.
void GlobalInit() {
  static const bool done = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return true;
  }();
  (void)done;
}

}  // namespace

struct CurlPlatform::State {
  struct Internet {
    std::string userAgent;
    std::string httpProxy;  // empty: direct
    std::string noProxy;
  };
  struct Connection {
    InternetHandle internet = 0;
    std::string host;
    int port = 0;
  };
  // What one transfer leaves behind, read out afterwards.
  struct Response {
    BodyPieces body;      // as curl delivered it
    std::string headers;  // status line and header lines, each ended by "\r\n"
    bool headersComplete = false;
    bool overLimit = false;
    bool delivered = false;
  };
  struct Request {
    InternetHandle connection = 0;
    std::string verb;
    std::string object;
    std::uint32_t flags = 0;
    std::shared_ptr<Response> response;
  };

  // Shares need locks of their own when several threads use them.
  struct Share {
    CURLSH* handle = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;

    explicit Share(bool cookies) {
      handle = curl_share_init();
      if (!handle) return;
      curl_share_setopt(handle, CURLSHOPT_LOCKFUNC, &Share::Lock);
      curl_share_setopt(handle, CURLSHOPT_UNLOCKFUNC, &Share::Unlock);
      curl_share_setopt(handle, CURLSHOPT_USERDATA, this);
      if (cookies) curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
      curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
      curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
      curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    }
    ~Share() {
      for (Handles& h : idle) h.Free();
      if (handle) curl_share_cleanup(handle);
    }
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
      if (data >= 0 && data < CURL_LOCK_DATA_LAST) static_cast<Share*>(self)->locks[data].lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
      if (data >= 0 && data < CURL_LOCK_DATA_LAST) static_cast<Share*>(self)->locks[data].unlock();
    }

    // Easy handles are kept for reuse (a fresh one costs more than a small transfer), each
    // with the multi handle that runs it (a fresh one costs about 50 us); each share has its
    // own, so a handle never carries the cookie engine into a request without.
    struct Handles {
      CURL* easy = nullptr;
      CURLM* multi = nullptr;
      void Free() {
        if (multi) curl_multi_cleanup(multi);
        if (easy) curl_easy_cleanup(easy);
        *this = {};
      }
    };
    std::mutex idleMutex;
    std::vector<Handles> idle;
  };

  // An easy handle, reset to defaults, and its multi handle, borrowed from a share's idle
  // handles for one transfer; null when they cannot be had.
  class EasyLease {
   public:
    explicit EasyLease(Share& share) : share_(share) {
      {
        std::lock_guard<std::mutex> lock(share.idleMutex);
        if (!share.idle.empty()) {
          h_ = share.idle.back();
          share.idle.pop_back();
        }
      }
      if (h_.easy) {
        // libcurl 7.88's reset forgets the cookie-file list without freeing it; clearing the
        // option first frees it and keeps the shared cookies.
        curl_easy_setopt(h_.easy, CURLOPT_COOKIEFILE, nullptr);
        curl_easy_reset(h_.easy);
      } else {
        h_.easy = curl_easy_init();
        h_.multi = curl_multi_init();
        if (!h_.easy || !h_.multi) h_.Free();
      }
    }
    ~EasyLease() {
      if (!h_.easy) return;
      std::lock_guard<std::mutex> lock(share_.idleMutex);
      share_.idle.push_back(h_);
    }
    EasyLease(const EasyLease&) = delete;
    EasyLease& operator=(const EasyLease&) = delete;
    CURL* get() const { return h_.easy; }
    CURLM* multi() const { return h_.multi; }

   private:
    Share& share_;
    Share::Handles h_;
  };

  explicit State(HttpOptions o) : options(std::move(o)) {
    if (!options.extraCaFile.empty()) LoadCaBundle();
  }

  // The extra CA is added to the system's trust, not put in its place: one in-memory bundle of
  // both, which curl reads instead of its default file (its default directory stays in use).
  void LoadCaBundle() {
    std::string extra;
    if (!ReadWholeFile(options.extraCaFile, extra)) return;
    std::unique_ptr<CURL, EasyFree> probe(curl_easy_init());
    char* defaultFile = nullptr;
    if (probe && curl_easy_getinfo(probe.get(), CURLINFO_CAINFO, &defaultFile) == CURLE_OK &&
        defaultFile) {
      ReadWholeFile(defaultFile, caBundle);
    }
    if (!caBundle.empty() && caBundle.back() != '\n') caBundle += '\n';
    caBundle += extra;
  }

  HttpOptions options;
  std::string caBundle;  // empty: curl's own trust store alone
  Share withCookies{true};
  Share withoutCookies{false};

  HandleTable<Internet, Connection, Request> handles;

  bool Perform(const Internet& internet, const Connection& connection, const Request& request,
               const std::string& headerText, const Bytes* body, Response& out);

  // What the callbacks of one transfer share, the time of its last byte among it: body bytes
  // count as they arrive, header bytes a line at a time, sent bytes between two polls.
  struct Transfer {
    using Clock = std::chrono::steady_clock;
    Transfer(Response* o, const HttpOptions* opts) : out(o), options(opts) {}
    Response* out;
    const HttpOptions* options;
    bool connected = false;  // the stall clock runs only from here: connecting has its own bound
    Clock::time_point lastByte{};
    curl_off_t sent = 0;
    void Touch() { lastByte = Clock::now(); }
  };
  CURLcode Run(const EasyLease& easy, Transfer& transfer);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user);
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user);
  static int OnConnected(void* user, char*, char*, int, int);
};

CurlPlatform::CurlPlatform(HttpOptions options) {
  GlobalInit();
  state_ = std::make_unique<State>(std::move(options));
}

CurlPlatform::~CurlPlatform() = default;

InternetHandle CurlPlatform::InternetOpen(const Text& userAgent, int accessType,
                                          const std::optional<Text>& proxy,
                                          const std::optional<Text>& proxyBypass,
                                          std::uint32_t /*flags*/) {
  if (HasLineBreak(userAgent.view()) || (proxy && HasLineBreak(proxy->view())) ||
      (proxyBypass && HasLineBreak(proxyBypass->view())))
    return 0;
  State::Internet internet;
  internet.userAgent = userAgent.str();
  if (accessType == INTERNET_OPEN_TYPE_PROXY) {
    if (!proxy) return 0;
    internet.httpProxy = HttpProxyOf(proxy->view());
    if (proxyBypass) internet.noProxy = NoProxyOf(proxyBypass->view());
  } else if (accessType != INTERNET_OPEN_TYPE_DIRECT && accessType != 0) {
    return 0;  // preconfigured and other modes have no meaning here
  }
  return state_->handles.Add(std::move(internet));
}

InternetHandle CurlPlatform::InternetConnect(InternetHandle internet, const Text& serverName,
                                             int port, int service, std::uint32_t /*flags*/) {
  if (service != INTERNET_SERVICE_HTTP || port < 0 || port > 65535) return 0;
  if (!IsSafeHost(serverName.view())) return 0;
  if (!state_->handles.Has<State::Internet>(internet)) return 0;
  State::Connection connection;
  connection.internet = internet;
  connection.host = serverName.str();
  connection.port = port;
  return state_->handles.Add(std::move(connection));
}

InternetHandle CurlPlatform::HttpOpenRequest(InternetHandle connection, const Text& verb,
                                             const Text& objectName, const Text& version,
                                             std::uint32_t flags) {
  std::string method = verb.empty() ? std::string("GET") : verb.str();
  // The version is never sent as given (every request goes as HTTP/1.1), but it obeys the rule.
  if (!IsToken(method) || HasLineBreak(objectName.view()) || HasLineBreak(version.view())) return 0;
  if (!state_->handles.Has<State::Connection>(connection)) return 0;
  State::Request request;
  request.connection = connection;
  request.verb = std::move(method);
  request.object = EscapeObject(objectName.view());
  request.flags = flags;
  request.response = std::make_shared<State::Response>();
  return state_->handles.Add(std::move(request));
}

bool CurlPlatform::HttpSendRequest(InternetHandle request, const Text& headers, const Bytes* body) {
  State::Internet internet;
  State::Connection connection;
  State::Request req;
  if (!state_->handles.StartSend(request, internet, connection, req)) return false;
  return state_->Perform(internet, connection, req, headers.str(), body, *req.response);
}

std::size_t CurlPlatform::State::OnHeader(char* data, std::size_t size, std::size_t count,
                                          void* user) {
  auto& t = *static_cast<Transfer*>(user);
  t.Touch();
  std::size_t n = size * count;
  std::string_view line(data, n);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  Response& out = *t.out;
  if (StartsWithNoCase(line, "HTTP/")) {
    // Each response (after a redirect, after "100 Continue") starts afresh: only the final
    // one is handed out.
    out.headers.clear();
    out.body.clear();
    out.headersComplete = false;
  }
  if (line.empty()) {
    out.headersComplete = !out.headers.empty();
    return n;
  }
  if (out.headers.size() + line.size() + 2 > t.options->maxHeaderBytes) {
    out.overLimit = true;
    return 0;
  }
  out.headers.append(line);
  out.headers.append("\r\n");
  return n;
}

std::size_t CurlPlatform::State::OnBody(char* data, std::size_t size, std::size_t count,
                                        void* user) {
  auto& t = *static_cast<Transfer*>(user);
  t.Touch();
  std::size_t n = size * count;
  if (t.out->body.size() + n > t.options->maxBodyBytes) {
    t.out->overLimit = true;
    return 0;  // stops the transfer
  }
  t.out->body.append(data, n);
  return n;
}

// Called for each request of a transfer (redirects too) once its connection stands.
int CurlPlatform::State::OnConnected(void* user, char*, char*, int, int) {
  auto& t = *static_cast<Transfer*>(user);
  t.connected = true;
  t.Touch();
  return CURL_PREREQFUNC_OK;
}

// Runs the transfer to its end, giving it up once connected and options.stallTimeoutMs without
// a byte either way. curl's own low-speed limit would not do: it averages over seconds, so a
// live trickle below its rate ends early, and it looks only once a second.
CURLcode CurlPlatform::State::Run(const EasyLease& easy, Transfer& t) {
  CURL* e = easy.get();
  CURLM* multi = easy.multi();
  if (curl_multi_add_handle(multi, e) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode rc = CURLE_FAILED_INIT;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    if (running == 0) {
      int queued = 0;
      const CURLMsg* msg = curl_multi_info_read(multi, &queued);
      if (msg && msg->msg == CURLMSG_DONE) rc = msg->data.result;
      break;
    }
    const auto now = Transfer::Clock::now();
    curl_off_t sent = 0;
    if (curl_easy_getinfo(e, CURLINFO_SIZE_UPLOAD_T, &sent) == CURLE_OK && sent != t.sent) {
      t.sent = sent;
      t.lastByte = now;
    }
    long waitMs = 1000;  // curl's own time-outs shorten this further
    if (t.connected) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(
          t.lastByte + std::chrono::milliseconds(t.options->stallTimeoutMs) - now);
      if (left.count() <= 0) {
        rc = CURLE_OPERATION_TIMEDOUT;
        break;
      }
      waitMs = std::min<long>(waitMs, static_cast<long>(left.count()));
    }
    if (curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitMs), nullptr) != CURLM_OK) break;
  }
  curl_multi_remove_handle(multi, e);
  return rc;
}

bool CurlPlatform::State::Perform(const Internet& internet, const Connection& connection,
                                  const Request& request, const std::string& headerText,
                                  const Bytes* body, Response& out) {
  const bool secure = (request.flags & INTERNET_FLAG_SECURE) != 0;
  const bool cookies = (request.flags & INTERNET_FLAG_NO_COOKIES) == 0;
  Share& share = cookies ? withCookies : withoutCookies;
  EasyLease easy(share);
  if (!easy.get()) return false;
  CURL* e = easy.get();
  const bool follow = (request.flags & INTERNET_FLAG_NO_AUTO_REDIRECT) == 0;

  std::string host = connection.host;
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  int port = connection.port != 0 ? connection.port : (secure ? 443 : 80);
  std::string url = std::string(secure ? "https://" : "http://") + host + ":" +
                    std::to_string(port) + request.object;

  // Header lines: split at every line break, so that neither an empty line nor a stray CR or
  // LF can end the header block early or smuggle a line in.
  CurlSlist lines;
  bool hasAccept = false, hasContentType = false, hasExpect = false;
  std::string_view rest(headerText);
  while (!rest.empty()) {
    std::size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (Trim(line).empty()) continue;
    hasAccept = hasAccept || StartsWithNoCase(line, "Accept:");
    hasContentType = hasContentType || StartsWithNoCase(line, "Content-Type:");
    hasExpect = hasExpect || StartsWithNoCase(line, "Expect:");
    if (!lines.Add(std::string(line))) return false;
  }
  // A POST always carries a body, an empty one when none is given (Content-Length: 0); without
  // one curl would send a GET.
  const bool sendsBody = body != nullptr || request.verb == "POST";
  // Headers of curl's own that the platform would not send.
  if (!hasAccept && !lines.Add("Accept:")) return false;
  if (!hasExpect && !lines.Add("Expect:")) return false;
  if (!hasContentType && sendsBody && !lines.Add("Content-Type:")) return false;

  Transfer transfer{&out, &options};
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, lines.list);
  if (!internet.userAgent.empty())
    curl_easy_setopt(e, CURLOPT_USERAGENT, internet.userAgent.c_str());
  // Bodies are handed out as the server sent them: no Accept-Encoding, no decoding.
  curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &State::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &State::OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &transfer);

  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
  curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &State::OnConnected);
  curl_easy_setopt(e, CURLOPT_PREREQDATA, &transfer);

  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_blob blob{};
  if (!caBundle.empty()) {
    blob.data = caBundle.data();
    blob.len = caBundle.size();
    blob.flags = CURL_BLOB_NOCOPY;
    curl_easy_setopt(e, CURLOPT_CAINFO_BLOB, &blob);
  }

  if (follow) {
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    // http may move on to https; https stays on https unless the caller allows the step down.
    bool downgrade = !secure || (request.flags & kIgnoreRedirectToHttp) != 0;
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, downgrade ? "http,https" : "https");
  }

  // Direct means direct: no proxy from the environment either.
  curl_easy_setopt(e, CURLOPT_PROXY, secure ? "" : internet.httpProxy.c_str());
  if (!internet.noProxy.empty()) curl_easy_setopt(e, CURLOPT_NOPROXY, internet.noProxy.c_str());

  if (share.handle) curl_easy_setopt(e, CURLOPT_SHARE, share.handle);
  if (cookies) curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");  // the engine on, no file read

  // INTERNET_FLAG_RELOAD: there is no cache here, and no validator header is ever added, so
  // every answer comes from the origin.
  if (request.verb == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else if (request.verb != "GET" && request.verb != "POST") {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
  } else if (request.verb == "GET" && body) {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "GET");  // a body would make it a POST
  }
  if (sendsBody) {
    const bool empty = !body || body->empty();
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(empty ? 0 : body->size()));
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, empty ? "" : body->str().data());
  }

  CURLcode rc = Run(easy, transfer);

  bool deliver = false;
  switch (rc) {
    case CURLE_OK:
      deliver = true;
      break;
    // Cut off halfway, or a redirect that is not followed: the answer as far as it came.
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_TOO_MANY_REDIRECTS:
      deliver = out.headersComplete;
      break;
    default:
      break;
  }
  if (out.overLimit) deliver = false;
  if (!deliver) {
    out.headers.clear();
    out.headers.shrink_to_fit();
    out.body.clear();
  }
  out.delivered = deliver;
  return deliver;
}

bool CurlPlatform::InternetReadFile(InternetHandle request, unsigned char* buffer,
                                    std::uint32_t toRead, std::uint32_t& bytesRead) {
  bytesRead = 0;
  const std::shared_ptr<State::Response> response = state_->handles.ResponseOf(request);
  if (!response) return false;
  if (!buffer) return false;
  constexpr std::uint32_t kChunk = 1024;
  bytesRead = static_cast<std::uint32_t>(
      response->body.read(buffer, std::min<std::uint32_t>(toRead, kChunk)));
  return response->delivered;
}

bool CurlPlatform::HttpQueryInfo(InternetHandle request, int infoLevel, char* buffer,
                                 std::uint32_t& length) {
  if (infoLevel != HTTP_QUERY_RAW_HEADERS_CRLF) return false;
  const std::shared_ptr<State::Response> response = state_->handles.ResponseOf(request);
  if (!response) return false;
  if (!response->delivered) return false;
  return wire::CopyRawHeaders(response->headers, buffer, length);
}

bool CurlPlatform::InternetCloseHandle(InternetHandle handle) {
  return state_->handles.Close(handle);
}

}  // namespace kovarra::web

namespace kovarra::web {

std::unique_ptr<HttpPlatform> MakeSystemHttpPlatform(const HttpOptions& options) {
  return std::make_unique<CurlPlatform>(options);
}

}  // namespace kovarra::web
