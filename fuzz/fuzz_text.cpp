// Every text, byte and array operation on arbitrary bytes: no NUL in a Text, no read outside
// the input, and each result equal to what the operation's rules give for these bytes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "core/text.hpp"
#include "fuzz/fuzz_support.hpp"

namespace kovarra::fuzz {
namespace {

int Sign(int v) {
  return (v > 0) - (v < 0);
}

// Where FindText may answer: candidates stepping by characters from the region's first byte.
// `ambiguous` receives a second acceptable answer where the rules leave a lone lead byte open.
int ExpectedFind(std::string_view text, std::string_view sought, std::optional<int> start,
                 bool fold, int& ambiguous) {
  ambiguous = -2;
  std::size_t k = 0;
  if (start) k = static_cast<std::size_t>(std::max(*start - 1, 0));
  if (k >= text.size()) return -1;
  if (sought.empty()) return 1;
  for (std::size_t c : CharStarts(text, k)) {
    if (c + sought.size() > text.size()) break;
    if (!SameAt(text, c, sought, fold)) continue;
    if (IsLoneLead(text, c)) {
      ambiguous = static_cast<int>(c) + 1;
      return -1;
    }
    return static_cast<int>(c) + 1;
  }
  return -1;
}

int ExpectedFindReverse(std::string_view text, std::string_view sought, std::optional<int> start,
                        bool fold, int& ambiguous) {
  ambiguous = -2;
  std::size_t region = text.size();
  if (start) region = std::min(static_cast<std::size_t>(std::max(*start - 1, 0)), text.size());
  if (region == 0) return -1;
  if (sought.empty()) return 1;
  std::string_view r = text.substr(0, region);
  int found = -1;
  for (std::size_t c : CharStarts(r)) {
    if (c + sought.size() > r.size()) break;
    if (!SameAt(r, c, sought, fold)) continue;
    // A lead byte on the region's last byte: whether it ends the scan is left open.
    if (At(r, c) >= 0x80 && c + 1 == r.size()) {
      ambiguous = static_cast<int>(c) + 1;
      break;
    }
    found = static_cast<int>(c) + 1;
  }
  return found;
}

void CheckFind(const Text& text, const Text& sought, std::optional<int> start, bool fold) {
  int other = -2;
  int got = FindText(text, sought, start, fold);
  int want = ExpectedFind(text.view(), sought.view(), start, fold, other);
  FUZZ_REQUIRE(got == want || got == other);
  if (got != -1) {
    // Stated invariant, independent of the model: the sought text really stands there.
    FUZZ_REQUIRE(got >= 1 && SameAt(text.view(), got - 1, sought.view(), fold));
  }
  got = FindTextReverse(text, sought, start, fold);
  want = ExpectedFindReverse(text.view(), sought.view(), start, fold, other);
  FUZZ_REQUIRE(got == want || got == other);
  if (got != -1) FUZZ_REQUIRE(got >= 1 && SameAt(text.view(), got - 1, sought.view(), fold));
}

std::string ExpectedLower(std::string_view s) {
  std::string out(s);
  for (std::size_t i : CharStarts(s))
    if (At(s, i) < 0x80) out[i] = static_cast<char>(FoldAscii(At(s, i)));
  return out;
}

std::string ExpectedRemoveAllSpaces(std::string_view s) {
  std::string out;
  for (std::size_t i : CharStarts(s)) {
    if (IsLoneLead(s, i) || BlankAt(s, i)) continue;
    out.append(s.substr(i, At(s, i) >= 0x80 ? 2 : 1));
  }
  return out;
}

void CheckTrim(const Text& text) {
  std::string_view s = text.view();
  Text t = TrimBoth(text);
  RequireText(t);
  std::size_t lead = 0;
  while (lead < s.size() && BlankAt(s, lead)) lead += At(s, lead) == 0x20 ? 1 : 2;
  FUZZ_REQUIRE(t.empty() || !BlankAt(t.view(), 0));
  FUZZ_REQUIRE(t.size() <= s.size() - lead);
  FUZZ_REQUIRE(s.substr(lead, t.size()) == t.view());
  if (WellFormedGbk(s) && !t.empty()) {
    std::vector<std::size_t> starts = CharStarts(t.view());
    FUZZ_REQUIRE(!BlankAt(t.view(), starts.back()));
  }
}

// ReplaceText by its rules; `open` is set where a lone lead byte meets a one-byte sought text.
std::string ExpectedReplace(std::string_view t, std::string_view sought, std::string_view repl,
                            std::optional<int> start, std::optional<int> count, bool exact,
                            bool& open) {
  open = false;
  std::size_t k = start ? static_cast<std::size_t>(std::max(*start - 1, 0)) : 0;
  if (t.empty() || sought.empty() || k >= t.size() || (count && *count == 0)) return std::string(t);
  int limit = count && *count > 0 ? *count : -1;
  std::string out(t.substr(0, k));
  std::size_t i = k;
  int made = 0;
  while (t.size() - i >= sought.size()) {
    if (IsLoneLead(t, i)) {
      open = true;
      i = t.size();
      break;
    }
    if (SameAt(t, i, sought, !exact)) {
      out.append(repl);
      i += sought.size();
      if (++made == limit) break;
      continue;
    }
    std::size_t n = At(t, i) >= 0x80 ? 2 : 1;
    out.append(t.substr(i, n));
    i += n;
  }
  out.append(t.substr(std::min(i, t.size())));
  return out;
}

std::vector<std::string> ExpectedSplit(std::string_view t, std::string_view d,
                                       std::optional<int> maxCount, bool& open) {
  open = false;
  std::vector<std::string> out;
  int limit = maxCount ? std::max(*maxCount, 0) : -1;
  if (t.empty() || limit == 0) return out;
  if (d.empty()) return {std::string(t)};
  std::size_t piece = 0, i = 0;
  while (t.size() - i >= d.size()) {
    if (IsLoneLead(t, i)) {
      open = open || SameAt(t, i, d, false);
      break;
    }
    if (SameAt(t, i, d, false)) {
      out.emplace_back(t.substr(piece, i - piece));
      i += d.size();
      piece = i;
      if (static_cast<int>(out.size()) == limit) return out;
      continue;
    }
    i += At(t, i) >= 0x80 ? 2 : 1;
  }
  if (piece < t.size()) out.emplace_back(t.substr(piece));
  return out;
}

void CheckSplit(const Text& text, const Text& delimiter, std::optional<int> maxCount) {
  TextArray pieces = SplitText(text, delimiter, maxCount);
  FUZZ_REQUIRE(ElementCount(pieces) == static_cast<int>(pieces.size()));
  bool open = false;
  std::vector<std::string> want = ExpectedSplit(text.view(), delimiter.view(), maxCount, open);
  if (!open) {
    FUZZ_REQUIRE(pieces.size() == want.size());
    for (std::size_t i = 0; i < want.size(); ++i) FUZZ_REQUIRE(pieces[i].str() == want[i]);
  }
  for (const Text& p : pieces) RequireText(p);
  if (maxCount || delimiter.empty()) return;
  // Joined with the delimiter, the pieces give back the text, less a trailing delimiter.
  std::string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i) joined += delimiter.str();
    joined += pieces[i].str();
  }
  FUZZ_REQUIRE(joined == text.str() || joined + delimiter.str() == text.str());
}

int ExpectedToInt(std::string_view s) {
  std::string folded;
  for (std::size_t i : CharStarts(s)) {
    unsigned char b = At(s, i);
    if (b < 0x80) {
      folded += static_cast<char>(b);
      continue;
    }
    if (i + 1 >= s.size()) break;
    unsigned char t = At(s, i + 1);
    if (b == 0xA3 && t >= 0xA1 && t <= 0xFE)
      folded += static_cast<char>(t - 0x80);
    else if (b == 0xA1 && t == 0xA1)
      folded += ' ';
    else if (b == 0xA1 && t == 0xAB)
      folded += '~';
    else if (b == 0xA1 && (t == 0xEE || t == 0xEF))
      folded += '*';
    else
      folded.append(s.substr(i, 2));
  }
  std::size_t i = 0;
  while (i < folded.size() && (folded[i] == ' ' || (folded[i] >= 0x09 && folded[i] <= 0x0D))) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) negative = folded[i++] == '-';
  std::uint32_t v = 0;
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i)
    v = v * 10u + static_cast<std::uint32_t>(folded[i] - '0');
  if (negative) v = 0u - v;
  return static_cast<int>(v);
}

void CheckBytes(FuzzedDataProvider& in, const Text& text) {
  Bytes raw(in.ConsumeRandomLengthString(128));  // may hold NUL bytes
  Bytes sought(in.ConsumeRandomLengthString(8));
  FUZZ_REQUIRE(BytesLength(raw) == static_cast<int>(raw.size()));

  Bytes fromText = ToBytes(text);
  FUZZ_REQUIRE(fromText.view() == text.view());
  FUZZ_REQUIRE(BytesToText(fromText) == text);
  Text cut = BytesToText(raw);
  RequireText(cut);
  FUZZ_REQUIRE(cut.view() == raw.view().substr(0, raw.view().find('\0')));

  int n = in.ConsumeIntegralInRange<int>(-4, 140);
  Bytes left = LeftBytes(raw, n);
  FUZZ_REQUIRE(left.view() == raw.view().substr(0, n < 0 ? 0 : static_cast<std::size_t>(n)));

  std::optional<int> start = TakeOptionalInt(in, -4, 140);
  int want = -1;
  std::size_t from = start ? static_cast<std::size_t>(std::max(*start, 1) - 1) : 0;
  if (!sought.empty() && from < raw.size()) {
    std::size_t at = raw.view().find(sought.view(), from);
    if (at != std::string_view::npos) want = static_cast<int>(at) + 1;
  }
  FUZZ_REQUIRE(FindBytes(raw, sought, start) == want);

  Bytes blank = BlankBytes(n);
  FUZZ_REQUIRE(blank.size() == static_cast<std::size_t>(std::max(n, 0)));
  FUZZ_REQUIRE(blank.view().find_first_not_of('\0') == std::string_view::npos);
  FUZZ_REQUIRE(ConcatBytes(raw, sought, raw).str() == raw.str() + sought.str() + raw.str());
  FUZZ_REQUIRE(BytesEqual(raw, sought) == (raw.view() == sought.view()));
  FUZZ_REQUIRE(BytesEqual(Bytes(), Bytes()));
}

void CheckNumbers(FuzzedDataProvider& in, const Text& text) {
  FUZZ_REQUIRE(ToInt(text) == ExpectedToInt(text.view()));
  int value = in.ConsumeIntegral<int>();
  FUZZ_REQUIRE(NumberToText(value).str() == std::to_string(value));
  double real = in.ConsumeFloatingPoint<double>();
  Text shown = NumberToText(real);
  RequireText(shown);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", real);
  FUZZ_REQUIRE(shown.str() == buffer);
  int truncated = TruncateToInteger(real);
  if (std::isfinite(real) && real > -2147483649.0 && real < 2147483648.0)
    FUZZ_REQUIRE(truncated == static_cast<int>(std::trunc(real)));
  Text blanks = BlankText(value % 6000);
  FUZZ_REQUIRE(blanks.size() == static_cast<std::size_t>(std::max(value % 6000, 0)));
  FUZZ_REQUIRE(blanks.view().find_first_not_of(' ') == std::string_view::npos);
  Text one = CharFromCode(value);
  if ((value & 0xFF) == 0)
    FUZZ_REQUIRE(one.empty());
  else
    FUZZ_REQUIRE(one.size() == 1 && At(one.view(), 0) == (value & 0xFF));
  FUZZ_REQUIRE(BitOr(value, 1) == (value | 1));
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  FuzzedDataProvider in(data, size);
  Text text = TakeText(in, 512);
  Text sought = TakeText(in, 16);
  Text other = TakeText(in, 16);
  const std::string_view s = text.view();
  const int length = static_cast<int>(s.size());

  FUZZ_REQUIRE(TextLength(text) == length);
  FUZZ_REQUIRE(Sign(CompareText(text, sought)) == Sign(text.str().compare(sought.str())));
  FUZZ_REQUIRE(Sign(CompareText(sought, text)) == -Sign(CompareText(text, sought)));
  FUZZ_REQUIRE(ConcatText(text, sought, other).str() == text.str() + sought.str() + other.str());

  int n = in.ConsumeIntegralInRange<int>(-3, length + 3);
  int start = in.ConsumeIntegralInRange<int>(-3, length + 3);
  std::size_t take = static_cast<std::size_t>(std::clamp(n, 0, length));
  FUZZ_REQUIRE(LeftText(text, n).view() == s.substr(0, take));
  FUZZ_REQUIRE(RightText(text, n).view() == s.substr(s.size() - take));
  Text mid = MidText(text, start, n);
  if (start < 1 || start > length || n <= 0)
    FUZZ_REQUIRE(mid.empty());
  else
    FUZZ_REQUIRE(mid.view() ==
                 s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));

  std::optional<int> from = TakeOptionalInt(in, -3, length + 3);
  bool fold = in.ConsumeBool();
  CheckFind(text, sought, from, fold);

  FUZZ_REQUIRE(ToLower(text).str() == ExpectedLower(s));
  CheckTrim(text);
  Text squeezed = RemoveAllSpaces(text);
  FUZZ_REQUIRE(squeezed.str() == ExpectedRemoveAllSpaces(s));
  FUZZ_REQUIRE(!HasBlankCharacter(squeezed.view()));

  std::optional<int> count = TakeOptionalInt(in, -2, 8);
  bool exact = in.ConsumeBool();
  bool open = false;
  Text replaced = ReplaceText(text, sought, other, from, count, exact);
  RequireText(replaced);
  std::string want = ExpectedReplace(s, sought.view(), other.view(), from, count, exact, open);
  FUZZ_REQUIRE(open || replaced.str() == want);
  // Replacing a text by itself gives the text back, less perhaps a lone lead byte at its end.
  Text same = ReplaceText(text, sought, sought, std::nullopt, std::nullopt, true);
  FUZZ_REQUIRE(same == text || (same.size() + 1 == s.size() && IsLoneLead(s, same.size()) &&
                                s.substr(0, same.size()) == same.view()));

  CheckSplit(text, sought, std::nullopt);
  CheckSplit(text, sought, TakeOptionalInt(in, -2, 6));
  CheckSplit(text, Text(), std::nullopt);
  FUZZ_REQUIRE(SplitText(text).size() == SplitText(text, ",").size());

  CheckNumbers(in, text);
  CheckBytes(in, text);
  return 0;
}
