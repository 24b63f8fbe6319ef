// The answer path on arbitrary answers: the no-data test, the prefix, the page summary and the
// match rows. Besides the raw bytes, each input also builds one match object of the service's
// 40 keys from fuzzed values, whose row must come back with exactly those values.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "core/codepage.hpp"
#include "core/extract.hpp"
#include "core/text.hpp"
#include "fuzz/fuzz_support.hpp"
#include "kovarra_config.hpp"
#include "matches/match_list.hpp"
#include "matches/match_rows.hpp"

namespace kovarra::fuzz {
namespace {

// The part of s that is well-formed GBK and holds no quote, line break or NUL, so that it
// stands as one value between the quotes of the object.
std::string AsValue(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char b = At(s, i);
    if (b < 0x80) {
      if (b != '"' && b != '\r' && b != '\n' && b != 0) out += static_cast<char>(b);
      ++i;
    } else if (i + 1 < s.size() && WellFormedGbk(s.substr(i, 2))) {
      out.append(s.substr(i, 2));
      i += 2;
    } else {
      ++i;
    }
  }
  return out;
}

void CheckSummaryField(const Text& body, const Text& field, const char* marker,
                       const char* delimiter) {
  RequireText(field);
  if (field.empty()) return;
  std::string_view b = body.view();
  int start = FindText(body, marker, std::nullopt, true);
  FUZZ_REQUIRE(start != -1);
  std::size_t at = static_cast<std::size_t>(start - 1) + std::string_view(marker).size();
  FUZZ_REQUIRE(b.substr(at, field.size()) == field.view());
  FUZZ_REQUIRE(SameAt(b, at + field.size(), delimiter, true));
  FUZZ_REQUIRE(FindText(field, delimiter) == -1 || !WellFormedGbk(b));
}

void CheckRawAnswer(const Text& answer) {
  static const Text noData = Gbk("未查询到数据");
  bool none = HasNoData(answer);
  if (answer.view().find(noData.view()) == std::string_view::npos) FUZZ_REQUIRE(!none);
  if (WellFormedGbk(answer.view())) FUZZ_REQUIRE(HasNoData(ConcatText(answer, noData)));

  Text body = StripMatchListPrefix(answer);
  RequireText(body);
  std::size_t keep = answer.size() > 16 ? answer.size() - 16 : 0;
  FUZZ_REQUIRE(body.view() == answer.view().substr(answer.size() - keep));

  PageSummary summary = ReadPageSummary(body);
  CheckSummaryField(body, summary.total, "\"total\":", ",");
  CheckSummaryField(body, summary.totalpage, "\"totalpage\":", "}");
  CheckSummaryField(body, summary.page, "\"page\":", ",");

  static const std::array<Text, 4> statuses = {Text(), Gbk("未开始"), Gbk("进行中"), Gbk("已结束")};
  static const Text videoPrefix("https://" KOVARRA_SITE_HOST "/es/video_detail.shtml?nid=");
  MatchExtract extract = ExtractMatchRows(body);
  FUZZ_REQUIRE(extract.outcome == MatchExtractOutcome::Rows || extract.rows.empty());
  if (extract.outcome == MatchExtractOutcome::Rows) FUZZ_REQUIRE(!extract.rows.empty());
  for (const MatchRow& row : extract.rows) {
    for (const Text* t :
         {&row.status, &row.date, &row.score, &row.pairing, &row.narrators, &row.event, &row.video})
      RequireText(*t);
    FUZZ_REQUIRE(std::find(statuses.begin(), statuses.end(), row.status) != statuses.end());
    FUZZ_REQUIRE(row.score.view().find(" - ") != std::string_view::npos);
    FUZZ_REQUIRE(row.narrators.view().find(" - ") != std::string_view::npos);
    FUZZ_REQUIRE(row.video == Gbk("暂无视频") || row.video.view().starts_with(videoPrefix.view()));
    for (const Text* t : {&row.date, &row.pairing, &row.event})
      FUZZ_REQUIRE(body.view().find(t->view()) != std::string_view::npos);
  }
}

void CheckBuiltObject(FuzzedDataProvider& in) {
  static const std::array<const char*, 8> specials = {
      "0", "1", "2", "3", "", "\xC4\xAC\xC8\xCF", "\xD6\xD0", "a\\/b"};
  std::array<std::string, 40> values;
  std::string object = "{";
  const auto& keys = MatchObjectKeys();
  for (std::size_t k = 0; k < keys.size(); ++k) {
    values[k] = in.ConsumeBool() ? specials[in.ConsumeIntegralInRange<std::size_t>(0, 7)]
                                 : AsValue(in.ConsumeRandomLengthString(24));
    std::string key = keys[k];
    if (in.ConsumeBool())  // key names match in any letter case
      for (char& c : key) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
    if (k) object += ',';
    object += "\"" + key + "\":\"" + values[k] + "\"";
  }
  object += "}";
  const int copies = in.ConsumeIntegralInRange<int>(1, 3);
  std::string body;
  for (int i = 0; i < copies; ++i) body += (i ? "," : "") + object;

  MatchExtract extract = ExtractMatchRows(Text(body));
  FUZZ_REQUIRE(extract.outcome == MatchExtractOutcome::Rows);
  FUZZ_REQUIRE(extract.rows.size() == static_cast<std::size_t>(copies));
  auto v = [&](int group) { return Text(values[static_cast<std::size_t>(group - 1)]); };
  MatchRow want;
  const std::string& status = values[21];
  want.status = status == "1"   ? Gbk("未开始")
                : status == "2" ? Gbk("进行中")
                : status == "3" ? Gbk("已结束")
                                : Text();
  want.date = v(21);
  want.score = ConcatText(v(30), " - ", v(31));
  want.pairing = v(39);
  want.narrators = v(13) == Gbk("默认") ? ConcatText(v(9), " - ", v(11))
                                        : ConcatText(v(9), " - ", v(11), " - ", v(13));
  want.event = v(7);
  want.video = v(29) == Text("0")
                   ? Gbk("暂无视频")
                   : ConcatText("https://" KOVARRA_SITE_HOST "/es/video_detail.shtml?nid=", v(29));
  for (const MatchRow& row : extract.rows) FUZZ_REQUIRE(row == want);
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  CheckRawAnswer(Text(std::string_view(reinterpret_cast<const char*>(data), size)));
  FuzzedDataProvider in(data, size);
  CheckBuiltObject(in);
  return 0;
}
