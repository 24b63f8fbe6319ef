// TextBetween and HeaderValue on arbitrary texts and markers: the piece handed back is exactly
// what stands between the markers (or after the colon), never more, never from outside.

#include <cstdint>

#include "core/extract.hpp"
#include "core/text.hpp"
#include "fuzz/fuzz_support.hpp"

namespace kovarra::fuzz {
namespace {

Text Unquote(const Text& marker) {
  return ReplaceText(marker, QuotePlaceholder(), "\"", std::nullopt, std::nullopt, true);
}

void CheckBetween(const Text& text, const Text& startMarker, const Text& endMarker, int startPos,
                  bool caseSensitive) {
  Text got = TextBetween(text, startMarker, endMarker, startPos, caseSensitive);
  RequireText(got);
  const Text s = Unquote(startMarker), e = Unquote(endMarker);
  const bool fold = !caseSensitive;
  int p = FindText(text, s, startPos, fold);
  if (p != -1) p += TextLength(s);
  int q = FindText(text, e, p, fold);
  Text want;
  if (p != -1 && q != -1) want = MidText(text, p, q - p);
  FUZZ_REQUIRE(got == want);
  if (got.empty()) return;
  // Independent of the steps above: the markers stand right around the piece.
  std::size_t at = static_cast<std::size_t>(p - 1);
  FUZZ_REQUIRE(at >= s.size() && at + got.size() <= text.size());
  FUZZ_REQUIRE(SameAt(text.view(), at - s.size(), s.view(), fold));
  FUZZ_REQUIRE(text.view().substr(at, got.size()) == got.view());
  FUZZ_REQUIRE(SameAt(text.view(), at + got.size(), e.view(), fold));
}

void CheckHeaderValue(const Text& line) {
  Text got = HeaderValue(line);
  RequireText(got);
  int colon = FindText(line, ":");
  if (colon == -1) {
    FUZZ_REQUIRE(got.empty());
    return;
  }
  std::string_view after = line.view().substr(static_cast<std::size_t>(colon));
  FUZZ_REQUIRE(got.empty() || !BlankAt(got.view(), 0));
  FUZZ_REQUIRE(after.find(got.view()) != std::string_view::npos);
  FUZZ_REQUIRE(got == TrimBoth(Text(after)));
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  FuzzedDataProvider in(data, size);
  Text text = TakeText(in, 1024);
  Text startMarker = TakeText(in, 24);
  Text endMarker = TakeText(in, 8);
  Text line = TakeText(in, 256);
  int startPos = in.ConsumeIntegralInRange<int>(-3, TextLength(text) + 3);
  bool caseSensitive = in.ConsumeBool();
  CheckBetween(text, startMarker, endMarker, startPos, caseSensitive);
  CheckBetween(text, startMarker, endMarker, 0, false);
  CheckHeaderValue(line);
  CheckHeaderValue(text);
  return 0;
}
