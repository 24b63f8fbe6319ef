#include <benchmark/benchmark.h>

#include <string>

#include "core/text.hpp"
#include "web/charset.hpp"

namespace {

// 10 MB of a Chinese answer in UTF-8: mostly three-byte characters with some ASCII between.
kovarra::Bytes ChineseUtf8(std::size_t size) {
  const std::string piece =
      "\xE6\x9C\xAA\xE6\x9F\xA5\xE8\xAF\xA2\xE5\x88\xB0\xE6\x95\xB0\xE6\x8D\xAE"  // 未查询到数据
      "\xE8\x8B\xB1\xE9\x9B\x84\xE8\x81\x94\xE7\x9B\x9F\xE8\x81\x8C\xE4\xB8\x9A"  // 英雄联盟职业
      "\xE8\x81\x94\xE8\xB5\x9B\xE6\x98\xA5\xE5\xAD\xA3\xE8\xB5\x9B:3,";          // 联赛春季赛
  std::string s;
  s.reserve(size + piece.size());
  while (s.size() < size) s += piece;
  s.resize(size - size % piece.size());
  return kovarra::Bytes(std::move(s));
}

void BM_ConvertCharset10M(benchmark::State& state) {
  const kovarra::Bytes data = ChineseUtf8(10 * 1024 * 1024);
  for (auto _ : state) {
    kovarra::Bytes out = kovarra::web::ConvertCharset(data);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_ConvertCharset10M)->Unit(benchmark::kMillisecond);

}  // namespace
