// Reading match rows out of answer bodies: a page, a very large body, a body that makes a
// backtracking engine explode, and std::regex doing the same extraction for comparison.

#include <benchmark/benchmark.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/codepage.hpp"
#include "matches/match_rows.hpp"

namespace kovarra {
namespace {

std::string ReadFixture(const char* name) {
  std::ifstream in(std::string(KOVARRA_FIXTURES_DIR) + "/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The answer without its 16-byte prefix, as the rows are read from it.
const std::string& Page20() {
  static const std::string body = ReadFixture("match_list_page20.txt").substr(16);
  return body;
}

// The page's twenty objects a hundred times over, in the same envelope: 2,000 matches.
const std::string& Large() {
  static const std::string body = [] {
    const std::string& page = Page20();
    const std::string open = "\"result\":[";
    const auto from = page.find(open) + open.size();
    const auto to = page.rfind("],\"totalpage\"");
    const std::string objects = page.substr(from, to - from);
    std::string out = page.substr(0, from);
    for (int i = 0; i < 100; ++i) {
      if (i) out += ",";
      out += objects;
    }
    return out + page.substr(to);
  }();
  return body;
}

const std::string& Adversarial() {
  static const std::string body = ReadFixture("match_list_renamed_last_key.txt").substr(16);
  return body;
}

void RunExtract(benchmark::State& state, const std::string& body, MatchExtractOutcome want,
                std::size_t rows) {
  const Text text(body);
  for (auto _ : state) {
    MatchExtract got = ExtractMatchRows(text);
    if (got.outcome != want || got.rows.size() != rows) {
      state.SkipWithError("unexpected outcome");
      break;
    }
    benchmark::DoNotOptimize(got);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void BM_ExtractPage20(benchmark::State& state) {
  RunExtract(state, Page20(), MatchExtractOutcome::Rows, 20);
}
void BM_ExtractLarge(benchmark::State& state) {
  RunExtract(state, Large(), MatchExtractOutcome::Rows, 2000);
}
void BM_ExtractAdversarial(benchmark::State& state) {
  RunExtract(state, Adversarial(), MatchExtractOutcome::PatternFailed, 0);
}

// The same rows through std::regex (ECMAScript, case ignored), the same column rules.
std::vector<MatchRow> StdRegexRows(const std::regex& re, const std::string& body) {
  static const Text notStarted = Gbk("未开始");
  static const Text running = Gbk("进行中");
  static const Text over = Gbk("已结束");
  static const Text defaultNarrator = Gbk("默认");
  static const Text noVideo = Gbk("暂无视频");
  std::vector<MatchRow> rows;
  for (std::sregex_iterator it(body.begin(), body.end(), re), end; it != end; ++it) {
    const std::smatch& m = *it;
    auto g = [&](int k) { return Text(m.str(k)); };
    MatchRow row;
    const Text status = g(22);
    row.status = status == Text("1")   ? notStarted
                 : status == Text("2") ? running
                 : status == Text("3") ? over
                                       : Text();
    row.date = g(21);
    row.score = ConcatText(g(30), " - ", g(31));
    row.pairing = g(39);
    row.narrators = g(13) == defaultNarrator ? ConcatText(g(9), " - ", g(11))
                                             : ConcatText(g(9), " - ", g(11), " - ", g(13));
    row.event = g(7);
    row.video = g(29) == Text("0")
                    ? noVideo
                    : ConcatText("https://lpl.qq.com/es/video_detail.shtml?nid=", g(29));
    rows.push_back(std::move(row));
  }
  return rows;
}

void RunStdRegex(benchmark::State& state, const std::string& body, std::size_t rows) {
  // ECMAScript in std::regex wants the object's braces escaped; nothing else changes.
  std::string pattern = MatchListPattern().str();
// GCC PR 105651: GCC 12 at -O3 warns -Wrestrict inside std::string here, falsely.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
  pattern = "\\" + pattern.substr(0, pattern.size() - 1) + "\\}";
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  const std::regex re(pattern, std::regex::ECMAScript | std::regex::icase);
  for (auto _ : state) {
    std::vector<MatchRow> got = StdRegexRows(re, body);
    if (got.size() != rows) {
      state.SkipWithError("unexpected row count");
      break;
    }
    benchmark::DoNotOptimize(got);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void BM_StdRegexPage20(benchmark::State& state) {
  RunStdRegex(state, Page20(), 20);
}
void BM_StdRegexLarge(benchmark::State& state) {
  RunStdRegex(state, Large(), 2000);
}

BENCHMARK(BM_ExtractPage20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractAdversarial)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdRegexPage20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StdRegexLarge)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kovarra

BENCHMARK_MAIN();
