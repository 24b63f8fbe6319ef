#include "web/wininet/wininet_platform.hpp"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

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

// The library's own values for what the platform sets beyond the interface's flags.
using Hinternet = void*;
constexpr DWORD kOptionConnectTimeout = 2;                // INTERNET_OPTION_CONNECT_TIMEOUT
constexpr DWORD kOptionSendTimeout = 5;                   // INTERNET_OPTION_SEND_TIMEOUT
constexpr DWORD kOptionReceiveTimeout = 6;                // INTERNET_OPTION_RECEIVE_TIMEOUT
constexpr DWORD kQueryStatusCode = 19;                    // HTTP_QUERY_STATUS_CODE
constexpr DWORD kQueryLocation = 33;                      // HTTP_QUERY_LOCATION
constexpr DWORD kQueryNumber = 0x20000000;                // HTTP_QUERY_FLAG_NUMBER
constexpr DWORD kFlagNoCacheWrite = 0x04000000;           // INTERNET_FLAG_NO_CACHE_WRITE
constexpr DWORD kFlagNoUi = 0x200;                        // INTERNET_FLAG_NO_UI
constexpr std::uint32_t kIgnoreRedirectToHttp = 0x8000u;  // INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP
constexpr int kMaxRedirects = 10;
constexpr std::size_t kReadPiece = 64 * 1024;
// Once this much of an answer has come, the rest is read in whole pieces of kReadPiece (see
// BulkRead). Asking what has arrived first costs two library calls per piece of at most 8 KB,
// which made a 10 MB answer take three times as long as the transfer.
constexpr std::size_t kBulkAfter = 128 * 1024;

// The functions are taken from the library by name at their first use and kept for the
// life of the process.
struct Api {
  Hinternet(WINAPI* internetOpen)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD) = nullptr;
  Hinternet(WINAPI* internetConnect)(Hinternet, LPCSTR, WORD, LPCSTR, LPCSTR, DWORD, DWORD,
                                     DWORD_PTR) = nullptr;
  Hinternet(WINAPI* httpOpenRequest)(Hinternet, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD,
                                     DWORD_PTR) = nullptr;
  BOOL(WINAPI* httpSendRequest)(Hinternet, LPCSTR, DWORD, LPVOID, DWORD) = nullptr;
  BOOL(WINAPI* internetReadFile)(Hinternet, LPVOID, DWORD, LPDWORD) = nullptr;
  BOOL(WINAPI* httpQueryInfo)(Hinternet, DWORD, LPVOID, LPDWORD, LPDWORD) = nullptr;
  BOOL(WINAPI* internetCloseHandle)(Hinternet) = nullptr;
  // Beyond the seven, for bounded waits: the time-outs of a request, and reads that take only
  // what has arrived, so that a trickling answer cannot hold a read beyond the deadline.
  BOOL(WINAPI* internetSetOption)(Hinternet, DWORD, LPVOID, DWORD) = nullptr;
  BOOL(WINAPI* internetQueryDataAvailable)(Hinternet, LPDWORD, DWORD, DWORD_PTR) = nullptr;
};

template <typename F>
bool Take(HMODULE dll, const char* name, F& out) {
  FARPROC p = ::GetProcAddress(dll, name);
  if (!p) return false;
  // GetProcAddress hands out every function as the same untyped pointer.
  out = reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
  return true;
}

const Api* WinInet() {
  static const Api* api = []() -> const Api* {
    HMODULE dll = ::LoadLibraryA("wininet.dll");
    if (!dll) return nullptr;
    static Api a;
    bool ok = Take(dll, "InternetOpenA", a.internetOpen) &&
              Take(dll, "InternetConnectA", a.internetConnect) &&
              Take(dll, "HttpOpenRequestA", a.httpOpenRequest) &&
              Take(dll, "HttpSendRequestA", a.httpSendRequest) &&
              Take(dll, "InternetReadFile", a.internetReadFile) &&
              Take(dll, "HttpQueryInfoA", a.httpQueryInfo) &&
              Take(dll, "InternetCloseHandle", a.internetCloseHandle) &&
              Take(dll, "InternetSetOptionA", a.internetSetOption) &&
              Take(dll, "InternetQueryDataAvailable", a.internetQueryDataAvailable);
    return ok ? &a : nullptr;
  }();
  return api;
}

// Proxy lists go to the library as C strings of their own syntax: no control byte belongs there.
bool HasControl(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7f;
  });
}

// The caller's header lines, split at every line break, so that neither an empty line nor a
// stray CR or LF can end the header block early or smuggle a line in.
std::string HeaderLines(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (Trim(line).empty()) continue;
    out.append(line);
    out.append("\r\n");
  }
  return out;
}

// Whether a proxy list ("scheme=host:port" or "host:port" entries, apart by blanks or
// semicolons) has a proxy for https: an entry for it or one for every scheme.
bool ProxiesHttps(std::string_view list) {
  bool found = false;
  while (!list.empty()) {
    std::size_t end = list.find_first_of(" ;\t");
    std::string_view entry = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    if (entry.empty()) continue;
    auto eq = entry.find('=');
    found = found || eq == std::string_view::npos || (eq == 5 && StartsWithNoCase(entry, "https"));
  }
  return found;
}

// Where a request goes.
struct Target {
  bool secure = false;
  std::string host;
  int port = 0;
  std::string object;
};

// The target of a Location value seen from base; false for anything but http and https.
bool Resolve(const Target& base, std::string_view location, Target& out) {
  location = Trim(location);
  if (auto hash = location.find('#'); hash != std::string_view::npos)
    location = location.substr(0, hash);
  if (location.empty()) return false;
  out = base;
  std::size_t colon = location.find(':');
  std::size_t firstDelimiter = location.find_first_of("/?");
  bool hasScheme = colon != std::string_view::npos && colon < firstDelimiter;
  if (hasScheme) {
    std::string_view scheme = location.substr(0, colon);
    if (scheme.size() == 4 && StartsWithNoCase(scheme, "http")) {
      out.secure = false;
    } else if (scheme.size() == 5 && StartsWithNoCase(scheme, "https")) {
      out.secure = true;
    } else {
      return false;
    }
    location.remove_prefix(colon + 1);
    if (location.substr(0, 2) != "//") return false;
  }
  if (location.substr(0, 2) == "//") {
    location.remove_prefix(2);
    std::size_t end = location.find_first_of("/?");
    std::string_view authority = location.substr(0, end);
    location = end == std::string_view::npos ? std::string_view() : location.substr(end);
    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
      std::size_t close = authority.find(']');
      if (close == std::string_view::npos) return false;
      host = authority.substr(1, close - 1);
      std::string_view after = authority.substr(close + 1);
      if (!after.empty()) {
        if (after.front() != ':') return false;
        port = after.substr(1);
      }
    } else if (std::size_t c = authority.rfind(':'); c != std::string_view::npos) {
      host = authority.substr(0, c);
      port = authority.substr(c + 1);
    }
    if (!IsSafeHost(host)) return false;
    out.host = std::string(host);
    out.port = out.secure ? 443 : 80;
    if (!port.empty()) {
      if (port.size() > 5 ||
          !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
      out.port = std::stoi(std::string(port));
      if (out.port > 65535) return false;
    }
    out.object = EscapeObject(location.empty() ? std::string_view("/") : location);
    return true;
  }
  std::string_view basePath = base.object;
  basePath = basePath.substr(0, basePath.find('?'));
  std::string object;
  if (location.front() == '/') {
    object = std::string(location);
  } else if (location.front() == '?') {
    object = std::string(basePath) + std::string(location);
  } else {
    object = std::string(basePath.substr(0, basePath.rfind('/') + 1)) + std::string(location);
  }
  out.object = EscapeObject(object);
  return true;
}

// Closes a handle of the library when it goes.
struct HandleCloser {
  void operator()(void* h) const {
    if (h) WinInet()->internetCloseHandle(h);
  }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// Bounds a whole transfer: at its deadline the request handle it watches is closed, which
// makes a call of the library that waits on it give up. One thread serves every transfer of a
// platform object and sleeps while there is none.
class Watchdog {
 public:
  using Clock = std::chrono::steady_clock;
  struct Job {
    Clock::time_point deadline;
    Hinternet handle = nullptr;  // the request to close at the deadline
    bool fired = false;
  };

  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  void Arm(Job& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    jobs_.push_back(&job);
    // The thread sleeps until the earliest deadline it knows; only an earlier one wakes it.
    if (job.deadline < wakeAt_) wake_.notify_all();
  }

  // Hands the request handle over to the watch; false when the deadline has passed already.
  bool Watch(Job& job, Hinternet handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (job.fired) return false;
    job.handle = handle;
    return true;
  }

  // Takes the handle back from the watch: null when the watchdog has closed it.
  Hinternet Unwatch(Job& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(job.handle, nullptr);
  }

  bool Fired(Job& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    return job.fired;
  }

  void Disarm(Job& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.remove(&job);
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
      auto next = Clock::time_point::max();
      const auto now = Clock::now();
      for (Job* job : jobs_) {
        if (job->fired) continue;
        if (job->deadline <= now) {
          job->fired = true;
          if (job->handle) WinInet()->internetCloseHandle(std::exchange(job->handle, nullptr));
        } else {
          next = std::min(next, job->deadline);
        }
      }
      wakeAt_ = next;
      if (next == Clock::time_point::max()) {
        wake_.wait(lock);
      } else {
        wake_.wait_until(lock, next);
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::list<Job*> jobs_;
  Clock::time_point wakeAt_ = Clock::time_point::max();
  bool stopping_ = false;
  std::thread thread_;
};

// Threads for the reads that may block, kept once they are idle: starting one costs about
// 3 ms under wine, as much as a 50 KB answer. A thread still held by a read the caller has left
// is never handed a new one; a new thread starts instead. Idle threads end after a while.
class ReaderThreads {
 public:
  // Never destroyed: threads that outlive every caller may still come back to it.
  static ReaderThreads& Get() {
    static ReaderThreads* threads = new ReaderThreads;
    return *threads;
  }

  // False when no thread could be had.
  bool Run(std::function<void()> work) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (idle_ > 0) {
      --idle_;  // that thread is spoken for, even before it wakes
      work_.push_back(std::move(work));
      wake_.notify_one();
      return true;
    }
    lock.unlock();
    try {
      std::thread([this, first = std::move(work)]() mutable { Serve(std::move(first)); }).detach();
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }

 private:
  static constexpr int kMaxIdle = 2;
  static constexpr auto kIdleLife = std::chrono::seconds(60);

  void Serve(std::function<void()> work) {
    for (;;) {
      work();
      work = nullptr;
      std::unique_lock<std::mutex> lock(mutex_);
      if (idle_ >= kMaxIdle) return;
      ++idle_;
      if (!wake_.wait_for(lock, kIdleLife, [&] { return !work_.empty(); })) {
        --idle_;
        return;
      }
      work = std::move(work_.front());
      work_.pop_front();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> work_;
  int idle_ = 0;  // threads waiting for work, less the work waiting for them
};

// The rest of a large answer, read in large pieces on a thread of its own into one growing
// text: fresh memory for every piece costs more under wine than the transfer itself. The
// library fills each piece before it returns, and closing its handle does not cut every such
// wait short, so the caller waits for the thread only until the deadline and then leaves it.
// The thread owns the request handle and closes it when it ends.
struct BulkRead {
  std::mutex mutex;
  std::condition_variable finished;
  // Grown only under the mutex; the read fills the part past `size` outside it, so the caller
  // may copy the first `size` bytes at any time.
  std::string body;
  std::size_t size = 0;
  std::size_t total = 0;  // of the whole answer, what came before the thread's included
  bool done = false;
  bool overLimit = false;
  bool abandoned = false;  // the caller has gone: what still comes is dropped

  static void Run(std::shared_ptr<BulkRead> bulk, Hinternet request, std::size_t limit) {
    const Api& api = *WinInet();
    for (bool more = true; more;) {
      char* room = nullptr;
      {
        std::lock_guard<std::mutex> lock(bulk->mutex);
        if (bulk->abandoned) break;
        bulk->body.resize(bulk->size + kReadPiece);
        room = bulk->body.data() + bulk->size;
      }
      DWORD got = 0;
      more = api.internetReadFile(request, room, static_cast<DWORD>(kReadPiece), &got) && got > 0;
      std::lock_guard<std::mutex> lock(bulk->mutex);
      if (more && !bulk->abandoned) {
        bulk->total += got;
        bulk->overLimit = bulk->total > limit;
        if (!bulk->overLimit) bulk->size += got;
      }
      more = more && !bulk->abandoned && !bulk->overLimit;
    }
    // Closed before the caller hears of the end, so that its next request never meets this one
    // still open on the same connection.
    api.internetCloseHandle(request);
    std::lock_guard<std::mutex> lock(bulk->mutex);
    bulk->body.resize(bulk->size);
    bulk->done = true;
    bulk->finished.notify_all();
  }
};

}  // namespace

struct WinInetPlatform::State {
  // The library's Internet handle, closed when the last user lets go of it.
  struct Session {
    explicit Session(Hinternet h) : handle(h) {}
    ~Session() {
      if (handle) WinInet()->internetCloseHandle(handle);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    Hinternet handle;
  };
  struct Internet {
    std::shared_ptr<Session> session;
    // Beside a proxy that serves http only: https goes direct, as the proxy list says.
    std::shared_ptr<Session> direct;
  };
  struct Connection {
    InternetHandle internet = 0;
    std::string host;
    int port = 0;
  };
  // The final answer of one send: header text and the body in the pieces it was read in.
  struct Response {
    std::string headers;  // status line and header lines, each ended by "\r\n"
    BodyPieces body;
    bool delivered = false;
  };
  struct Request {
    InternetHandle connection = 0;
    std::string verb;
    std::string object;
    std::string version;
    std::uint32_t flags = 0;
    std::shared_ptr<Response> response;
  };

  explicit State(HttpOptions o) : options(std::move(o)) {}

  HttpOptions options;
  Watchdog watchdog;

  HandleTable<Internet, Connection, Request> handles;

  void Perform(const Internet& internet, Target target, std::string verb,
               const std::string& version, std::uint32_t flags, const std::string& headers,
               const Bytes* body, Response& out);
  static bool ReadHeaders(Hinternet request, std::size_t limit, std::string& out);
  bool ReadRestInBulk(Watchdog::Job& job, std::size_t total, Response& out);
};

namespace {

DWORD StatusOf(Hinternet request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinInet()->httpQueryInfo(request, kQueryStatusCode | kQueryNumber, &status, &size, nullptr))
    return 0;
  return status;
}

bool LocationOf(Hinternet request, std::string& out) {
  DWORD size = 0;
  WinInet()->httpQueryInfo(request, kQueryLocation, nullptr, &size, nullptr);
  if (size == 0 || size > 64 * 1024) return false;
  std::string value(size + 1, '\0');
  if (!WinInet()->httpQueryInfo(request, kQueryLocation, value.data(), &size, nullptr))
    return false;
  value.resize(std::min<std::size_t>(size, std::strlen(value.c_str())));
  out = std::move(value);
  return true;
}

}  // namespace

bool WinInetPlatform::State::ReadHeaders(Hinternet request, std::size_t limit, std::string& out) {
  DWORD size = 0;
  WinInet()->httpQueryInfo(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  if (size == 0 || size > limit) return false;
  std::string text(size + 1, '\0');
  if (!WinInet()->httpQueryInfo(request, HTTP_QUERY_RAW_HEADERS_CRLF, text.data(), &size, nullptr))
    return false;
  text.resize(std::min<std::size_t>(size, std::strlen(text.c_str())));
  // The library ends the block with an empty line; the contract ends it with the last line.
  while (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0)
    text.resize(text.size() - 2);
  out = std::move(text);
  return !out.empty();
}

// False when the answer grew beyond the cap; otherwise out has what came until the end or the
// deadline.
bool WinInetPlatform::State::ReadRestInBulk(Watchdog::Job& job, std::size_t total, Response& out) {
  Hinternet request = watchdog.Unwatch(job);
  if (!request) return true;  // the deadline has come
  auto bulk = std::make_shared<BulkRead>();
  bulk->total = total;
  const std::size_t limit = options.maxBodyBytes;
  if (!ReaderThreads::Get().Run([bulk, request, limit] { BulkRead::Run(bulk, request, limit); })) {
    WinInet()->internetCloseHandle(request);
    return true;  // no thread: the answer ends here
  }
  std::unique_lock<std::mutex> lock(bulk->mutex);
  bulk->finished.wait_until(lock, job.deadline, [&] { return bulk->done; });
  bulk->abandoned = true;
  if (bulk->overLimit) {
    out.headers.clear();
    out.body.clear();
    return false;
  }
  if (bulk->size == 0) return true;
  // A thread that is still reading keeps its text; one that has ended gives it up.
  out.body.append(bulk->done ? std::move(bulk->body) : bulk->body.substr(0, bulk->size));
  return true;
}

void WinInetPlatform::State::Perform(const Internet& internet, Target target, std::string verb,
                                     const std::string& version, std::uint32_t flags,
                                     const std::string& headers, const Bytes* body, Response& out) {
  const Api& api = *WinInet();
  const bool follow = (flags & INTERNET_FLAG_NO_AUTO_REDIRECT) == 0;
  // Redirects are followed here rather than by the library, so that each target is checked.
  DWORD fixed =
      INTERNET_FLAG_RELOAD | kFlagNoCacheWrite | kFlagNoUi | INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (flags & INTERNET_FLAG_NO_COOKIES) fixed |= INTERNET_FLAG_NO_COOKIES;

  Watchdog::Job job;
  job.deadline = Watchdog::Clock::now() + std::chrono::milliseconds(options.totalTimeoutMs);
  watchdog.Arm(job);
  struct Disarm {
    Watchdog& w;
    Watchdog::Job& j;
    ~Disarm() { w.Disarm(j); }
  } disarm{watchdog, job};

  for (int hop = 0;; ++hop) {
    const Session& session =
        target.secure && internet.direct ? *internet.direct : *internet.session;
    OwnedHandle connection(api.internetConnect(session.handle, target.host.c_str(),
                                               static_cast<WORD>(target.port), nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return;
    const DWORD requestFlags = fixed | (target.secure ? INTERNET_FLAG_SECURE : 0);
    Hinternet request = api.httpOpenRequest(connection.get(), verb.c_str(), target.object.c_str(),
                                            version.c_str(), nullptr, nullptr, requestFlags, 0);
    if (!request) return;
    // The waits of each request: the connection, and the silence between two pieces of the
    // answer (set on the request itself, where every version of the library reads them).
    // The whole transfer is bounded by the watchdog.
    DWORD connectMs = static_cast<DWORD>(std::max(1L, options.connectTimeoutMs));
    DWORD silentMs = static_cast<DWORD>(std::max(1L, options.stallTimeoutMs));
    api.internetSetOption(request, kOptionConnectTimeout, &connectMs, sizeof connectMs);
    api.internetSetOption(request, kOptionSendTimeout, &silentMs, sizeof silentMs);
    api.internetSetOption(request, kOptionReceiveTimeout, &silentMs, sizeof silentMs);
    if (!watchdog.Watch(job, request)) {
      api.internetCloseHandle(request);
      return;
    }
    // Whatever happens below, the request is closed once, by whoever holds it.
    struct Release {
      Watchdog& w;
      Watchdog::Job& j;
      ~Release() {
        if (Hinternet h = w.Unwatch(j)) WinInet()->internetCloseHandle(h);
      }
    } release{watchdog, job};

    void* data = body && !body->empty() ? const_cast<unsigned char*>(body->data()) : nullptr;
    if (!api.httpSendRequest(request, headers.c_str(), static_cast<DWORD>(headers.size()), data,
                             body ? static_cast<DWORD>(body->size()) : 0))
      return;
    if (watchdog.Fired(job)) return;

    const DWORD status = StatusOf(request);
    std::string location;
    Target next;
    if (follow && hop < kMaxRedirects &&
        (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) &&
        LocationOf(request, location) && Resolve(target, location, next) &&
        (next.secure || !target.secure || (flags & kIgnoreRedirectToHttp) != 0)) {
      // As browsers do: a 303, and a POST answered by 301 or 302, go on as GET without a body.
      if ((status == 303 && verb != "HEAD") ||
          ((status == 301 || status == 302) && verb == "POST")) {
        verb = "GET";
        body = nullptr;
      }
      target = std::move(next);
      if (watchdog.Fired(job)) return;
      continue;
    }

    if (!ReadHeaders(request, options.maxHeaderBytes, out.headers)) {
      out.headers.clear();
      return;
    }
    std::size_t total = 0;
    for (;;) {
      // A read that fails halfway (reset, silence, the deadline) ends the answer where it is.
      // The library would wait to fill the whole buffer: ask only for what has arrived.
      DWORD ready = 0;
      if (watchdog.Fired(job) || !api.internetQueryDataAvailable(request, &ready, 0, 0) ||
          ready == 0)
        break;
      std::string piece(std::min<std::size_t>(ready, kReadPiece), '\0');
      DWORD got = 0;
      if (!api.internetReadFile(request, piece.data(), static_cast<DWORD>(piece.size()), &got) ||
          got == 0)
        break;
      total += got;
      if (total > options.maxBodyBytes) {
        out.headers.clear();
        out.body.clear();
        return;
      }
      piece.resize(got);
      out.body.append(std::move(piece));
      if (total >= kBulkAfter) {
        if (!ReadRestInBulk(job, total, out)) return;
        break;
      }
    }
    out.delivered = true;
    return;
  }
}

WinInetPlatform::WinInetPlatform(HttpOptions options)
    : state_(std::make_unique<State>(std::move(options))) {}

WinInetPlatform::~WinInetPlatform() = default;

InternetHandle WinInetPlatform::InternetOpen(const Text& userAgent, int accessType,
                                             const std::optional<Text>& proxy,
                                             const std::optional<Text>& proxyBypass,
                                             std::uint32_t /*flags*/) {
  const Api* api = WinInet();
  if (!api) return 0;
  if (HasLineBreak(userAgent.view())) return 0;
  const std::string agent = userAgent.str();
  auto open = [&](int type, const char* list, const char* bypass) {
    Hinternet h = api->internetOpen(agent.c_str(), static_cast<DWORD>(type), list, bypass, 0);
    return h ? std::make_shared<State::Session>(h) : nullptr;
  };
  State::Internet internet;
  if (accessType == INTERNET_OPEN_TYPE_PROXY) {
    if (!proxy || HasControl(proxy->view()) || (proxyBypass && HasControl(proxyBypass->view())))
      return 0;
    internet.session = open(INTERNET_OPEN_TYPE_PROXY, proxy->c_str(),
                            proxyBypass ? proxyBypass->c_str() : nullptr);
    if (!ProxiesHttps(proxy->view())) {
      internet.direct = open(INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr);
      if (!internet.direct) return 0;
    }
  } else if (accessType == INTERNET_OPEN_TYPE_DIRECT || accessType == 0) {
    internet.session = open(INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr);
  } else {
    return 0;  // preconfigured and other modes have no meaning here
  }
  if (!internet.session) return 0;
  return state_->handles.Add(std::move(internet));
}

InternetHandle WinInetPlatform::InternetConnect(InternetHandle internet, const Text& serverName,
                                                int port, int service, std::uint32_t /*flags*/) {
  if (service != INTERNET_SERVICE_HTTP || port < 0 || port > 65535) return 0;
  if (!IsSafeHost(serverName.view())) return 0;
  if (!state_->handles.Has<State::Internet>(internet)) return 0;
  State::Connection connection;
  connection.internet = internet;
  connection.host = serverName.str();
  if (connection.host.size() > 2 && connection.host.front() == '[' && connection.host.back() == ']')
    connection.host = connection.host.substr(1, connection.host.size() - 2);
  connection.port = port;
  return state_->handles.Add(std::move(connection));
}

InternetHandle WinInetPlatform::HttpOpenRequest(InternetHandle connection, const Text& verb,
                                                const Text& objectName, const Text& version,
                                                std::uint32_t flags) {
  std::string method = verb.empty() ? std::string("GET") : verb.str();
  if (!IsToken(method) || HasLineBreak(objectName.view())) return 0;
  std::string protocol = version.empty() ? std::string("HTTP/1.1") : version.str();
  if (protocol != "HTTP/1.1" && protocol != "HTTP/1.0") return 0;
  if (!state_->handles.Has<State::Connection>(connection)) return 0;
  State::Request request;
  request.connection = connection;
  request.verb = std::move(method);
  request.object = EscapeObject(objectName.view());
  request.version = std::move(protocol);
  request.flags = flags;
  request.response = std::make_shared<State::Response>();
  return state_->handles.Add(std::move(request));
}

bool WinInetPlatform::HttpSendRequest(InternetHandle request, const Text& headers,
                                      const Bytes* body) {
  State::Internet internet;
  State::Connection connection;
  State::Request req;
  if (!state_->handles.StartSend(request, internet, connection, req)) return false;
  Target target;
  target.host = connection.host;
  target.secure = (req.flags & INTERNET_FLAG_SECURE) != 0;
  target.port = connection.port != 0 ? connection.port : (target.secure ? 443 : 80);
  target.object = req.object;
  state_->Perform(internet, std::move(target), req.verb, req.version, req.flags,
                  HeaderLines(headers.view()), body, *req.response);
  return req.response->delivered;
}

bool WinInetPlatform::InternetReadFile(InternetHandle request, unsigned char* buffer,
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

bool WinInetPlatform::HttpQueryInfo(InternetHandle request, int infoLevel, char* buffer,
                                    std::uint32_t& length) {
  if (infoLevel != HTTP_QUERY_RAW_HEADERS_CRLF) return false;
  const std::shared_ptr<State::Response> response = state_->handles.ResponseOf(request);
  if (!response) return false;
  if (!response->delivered) return false;
  return wire::CopyRawHeaders(response->headers, buffer, length);
}

bool WinInetPlatform::InternetCloseHandle(InternetHandle handle) {
  return state_->handles.Close(handle);
}

std::unique_ptr<HttpPlatform> MakeSystemHttpPlatform(const HttpOptions& options) {
  return std::make_unique<WinInetPlatform>(options);
}

}  // namespace kovarra::web
