// Reading match rows out of answer bodies: a page, a very large body, bodies that make a
// backtracking engine explode, and PCRE2 and std::regex doing the same extraction for comparison.

#include <benchmark/benchmark.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_main.hpp"
#include "core/codepage.hpp"
#include "core/regex.hpp"
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

// The objects of an answer body and the envelope around them.
struct Envelope {
  std::string head, objects, tail;
};

Envelope Split(const std::string& body) {
  const std::string open = "\"result\":[";
  const auto from = body.find(open) + open.size();
  const auto to = body.rfind("],\"totalpage\"");
  return {body.substr(0, from), body.substr(from, to - from), body.substr(to)};
}

// A body's twenty objects a hundred times over, in the same envelope: 2,000 objects.
std::string Hundredfold(const std::string& body) {
  const Envelope e = Split(body);
  std::string out = e.head;
  for (int i = 0; i < 100; ++i) {
    if (i) out += ",";
    out += e.objects;
  }
  return out + e.tail;
}

const std::string& Large() {
  static const std::string body = Hundredfold(Page20());
  return body;
}

// Every last key renamed, 2,000 objects.
const std::string& RenamedLastKey() {
  static const std::string body =
      Hundredfold(ReadFixture("match_list_renamed_last_key.txt").substr(16));
  return body;
}

// The page's twenty sound objects, then fifty whose last value is a number without quotes
// ("iQTMatchId":123}).
const std::string& TrailingUnquoted() {
  static const std::string body = [] {
    const Envelope e = Split(Page20());
    std::vector<std::string> objects;  // each "{…}"; the page's objects hold no "},{" inside
    for (std::size_t from = 0; from < e.objects.size();) {
      std::size_t to = e.objects.find("},{", from);
      to = to == std::string::npos ? e.objects.size() : to + 1;
      objects.push_back(e.objects.substr(from, to - from));
      from = to + 1;
    }
    std::string out = e.head + e.objects;
    const std::string key = "\"iQTMatchId\":\"";
    for (std::size_t i = 0; i < 50; ++i) {
      std::string object = objects[i % objects.size()];
      const std::size_t at = object.rfind(key);
      object.erase(object.size() - 2, 1);    // the closing quote
      object.erase(at + key.size() - 1, 1);  // the opening one
      out += "," + object;
    }
    return out + e.tail;
  }();
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
void BM_ExtractRenamedLastKey(benchmark::State& state) {
  RunExtract(state, RenamedLastKey(), MatchExtractOutcome::NoMatch, 0);
}
void BM_ExtractTrailingUnquoted(benchmark::State& state) {
  RunExtract(state, TrailingUnquoted(), MatchExtractOutcome::Rows, 20);
}

// The rows by the same column rules, from any source of group texts.
template <typename GroupFn>
MatchRow RowFromGroups(GroupFn g) {
  static const Text notStarted = Gbk("未开始");
  static const Text running = Gbk("进行中");
  static const Text over = Gbk("已结束");
  static const Text defaultNarrator = Gbk("默认");
  static const Text noVideo = Gbk("暂无视频");
  MatchRow row;
  const Text status = g(22);
  row.status = status == Text("1")   ? notStarted
               : status == Text("2") ? running
               : status == Text("3") ? over
                                     : Text();
  row.date = g(21);
  row.score = ConcatText(g(30), " - ", g(31));
  row.pairing = g(39);
  const Text third = g(13);
  row.narrators = third == defaultNarrator ? ConcatText(g(9), " - ", g(11))
                                           : ConcatText(g(9), " - ", g(11), " - ", third);
  row.event = g(7);
  row.video = g(29) == Text("0")
                  ? noVideo
                  : ConcatText("https://lpl.qq.com/es/video_detail.shtml?nid=", g(29));
  return row;
}

// The same rows through the general (PCRE2) matcher of RegexObject.
void RunPcre2(benchmark::State& state, const std::string& body, std::size_t rows) {
  const Text text(body);
  for (auto _ : state) {
    RegexObject re;
    if (!regex_detail::RunPatternWith(regex_detail::Matcher::Pcre2, re, MatchListPattern(), text,
                                      false, false, true, true)) {
      state.SkipWithError("run failed");
      break;
    }
    std::vector<MatchRow> got;
    const int n = re.MatchCount();
    got.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i)
      got.push_back(RowFromGroups([&](int k) { return re.GroupText(i, k); }));
    if (got.size() != rows) {
      state.SkipWithError("unexpected row count");
      break;
    }
    benchmark::DoNotOptimize(got);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void BM_Pcre2Page20(benchmark::State& state) {
  RunPcre2(state, Page20(), 20);
}
void BM_Pcre2Large(benchmark::State& state) {
  RunPcre2(state, Large(), 2000);
}

// The same rows through std::regex (ECMAScript, case ignored).
std::vector<MatchRow> StdRegexRows(const std::regex& re, const std::string& body) {
  std::vector<MatchRow> rows;
  for (std::sregex_iterator it(body.begin(), body.end(), re), end; it != end; ++it) {
    const std::smatch& m = *it;
    rows.push_back(RowFromGroups([&](int k) { return Text(m.str(k)); }));
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
BENCHMARK(BM_ExtractRenamedLastKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractTrailingUnquoted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pcre2Page20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pcre2Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdRegexPage20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StdRegexLarge)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kovarra

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  kovarra::bench::RunEndTasks();
  return 0;
}
