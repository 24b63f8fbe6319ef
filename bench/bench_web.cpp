// WebRequest over CurlPlatform beside a bare libcurl fetch of the same loopback answers.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

#include "tests/support/loopback_server.hpp"
#include "web/curl/curl_platform.hpp"
#include "web/web_request.hpp"

namespace {

using kovarra::Text;
using kovarra::testing::LoopbackServer;

// Plain ASCII answers without any charset mention, so no conversion runs.
std::string Payload(std::size_t size) {
  std::string s(size, ' ');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

LoopbackServer& Server() {
  static LoopbackServer* server = [] {
    auto* s = new LoopbackServer;
    static const std::string small = Payload(50 << 10);
    static const std::string large = Payload(10 << 20);
    s->server().Get("/50k", [](const httplib::Request&, httplib::Response& r) {
      r.set_content(small, "text/plain");
    });
    s->server().Get("/10m", [](const httplib::Request&, httplib::Response& r) {
      r.set_content(large, "text/plain");
    });
    s->Start();
    return s;
  }();
  return *server;
}

void WebRequestFetch(benchmark::State& state, const char* path) {
  kovarra::web::CurlPlatform platform;
  const Text url(Server().Url(path));
  std::size_t bytes = 0;
  for (auto _ : state) {
    Text body = kovarra::web::WebRequest(url, 0, platform);
    bytes += body.size();
    benchmark::DoNotOptimize(body);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

void BareCurlFetch(benchmark::State& state, const char* path) {
  const std::string url = Server().Url(path);
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AppendBody);
  curl_easy_setopt(easy, CURLOPT_PROXY, "");
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string body;
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("fetch failed");
    bytes += body.size();
    benchmark::DoNotOptimize(body);
  }
  curl_easy_cleanup(easy);
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_WebRequest50K(benchmark::State& state) {
  WebRequestFetch(state, "/50k");
}
void BM_BareCurl50K(benchmark::State& state) {
  BareCurlFetch(state, "/50k");
}
void BM_WebRequest10M(benchmark::State& state) {
  WebRequestFetch(state, "/10m");
}
void BM_BareCurl10M(benchmark::State& state) {
  BareCurlFetch(state, "/10m");
}

BENCHMARK(BM_WebRequest50K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareCurl50K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WebRequest10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareCurl10M)->Unit(benchmark::kMillisecond);

}  // namespace
