// WebRequest over the WinInet platform beside a bare WinInet fetch of the same loopback answers
// (50 KB and 10 MB). The answers come from the Linux build's loopback_peer, whose INFO file the
// environment names in KOVARRA_PEER_INFO: scripts/bench-wininet.sh starts it and runs this.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "web/web_request.hpp"
#include "web/wininet/wininet_platform.hpp"

// After the project's headers: the library's macros would rename their constants.
#include <windows.h>
#include <wininet.h>

namespace {

// The port of the peer's plain HTTP server, 0 when there is none.
int HttpPort() {
  static const int port = [] {
    const char* info = std::getenv("KOVARRA_PEER_INFO");
    if (!info || !*info) return 0;
    std::string path = info;
    if (path.front() == '/') path.insert(0, "Z:");  // the host's root, seen from wine
    std::ifstream in(path);
    std::string key, value;
    while (in >> key >> value) {
      if (key == "http") return std::stoi(value);
    }
    return 0;
  }();
  return port;
}

std::string Object(const benchmark::State& state) {
  return "/bytes/" + std::to_string(state.range(0));
}

void BM_WebRequestWinInet(benchmark::State& state) {
  if (!HttpPort()) return state.SkipWithError("no loopback peer (KOVARRA_PEER_INFO)");
  kovarra::web::WinInetPlatform platform;
  const kovarra::Text url("http://127.0.0.1:" + std::to_string(HttpPort()) + Object(state));
  for (auto _ : state) {
    kovarra::Text body = kovarra::web::WebRequest(url, 0, platform);
    if (body.size() != static_cast<std::size_t>(state.range(0)))
      return state.SkipWithError("short answer");
    benchmark::DoNotOptimize(body);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// The same request as the platform makes it, read in large pieces into one growing text.
void BM_BareWinInet(benchmark::State& state) {
  if (!HttpPort()) return state.SkipWithError("no loopback peer (KOVARRA_PEER_INFO)");
  const std::string object = Object(state);
  std::string buffer(64 * 1024, '\0');
  for (auto _ : state) {
    HINTERNET net = InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET con = InternetConnectA(net, "127.0.0.1", static_cast<INTERNET_PORT>(HttpPort()),
                                     nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET req = HttpOpenRequestA(con, "GET", object.c_str(), "HTTP/1.1", nullptr, nullptr,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    std::string body;
    if (HttpSendRequestA(req, nullptr, 0, nullptr, 0)) {
      DWORD got = 0;
      while (InternetReadFile(req, buffer.data(), static_cast<DWORD>(buffer.size()), &got) && got)
        body.append(buffer.data(), got);
    }
    InternetCloseHandle(req);
    InternetCloseHandle(con);
    InternetCloseHandle(net);
    if (body.size() != static_cast<std::size_t>(state.range(0)))
      return state.SkipWithError("short answer");
    benchmark::DoNotOptimize(body);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(BM_WebRequestWinInet)->Arg(50 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareWinInet)->Arg(50 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
