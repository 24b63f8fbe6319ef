// Literal-chain patterns, L0(.*?)L1(.*?)…Ln, over subjects made of the same pieces: every result
// of RegexObject must be exactly what PCRE2 gives for the pattern, run without a limit. The
// pieces are the hard cases for byte matching: letters with case (and the letters whose case
// PCRE2 folds beyond ASCII), line feeds, double-byte characters whose second byte is an ASCII
// punctuation mark, lone lead bytes, undecodable pairs, and literals that overlap.

#include <cstdint>
#include <string>
#include <vector>

#include "core/regex.hpp"
#include "fuzz/fuzz_support.hpp"

namespace kovarra::fuzz {
namespace {

using regex_detail::Matcher;

struct Piece {
  const char* bytes;
  const char* inPattern;  // how a pattern writes it; null for the same bytes
  bool mayStandBare = false;
};

// GBK: A6A1/A6C1 Greek alpha, A3C1/A3E1 full-width A/a, A7B1/A7E1 Cyrillic ya, D6D0 a Chinese
// character, 81 7B / 81 5C / 81 7C pairs whose second byte is { \ |, FF 30 a pair that widens to
// U+FFFD, 81 alone a lead byte that takes whatever follows it.
const Piece kPieces[] = {
    {"a", nullptr},        {"A", nullptr},        {"b", nullptr},        {"k", nullptr},
    {"K", nullptr},        {"s", nullptr},        {"S", nullptr},        {"\"", nullptr},
    {"{", "\\{", true},    {"}", nullptr},        {"\\", "\\\\"},        {".", "\\."},
    {"|", "\\|"},          {"\n", nullptr},       {"\r", nullptr},       {" ", nullptr},
    {",", nullptr},        {"\xD6\xD0", nullptr}, {"\x81\x7B", nullptr}, {"\x81\x5C", nullptr},
    {"\x81\x7C", nullptr}, {"\xA6\xA1", nullptr}, {"\xA6\xC1", nullptr}, {"\xA3\xC1", nullptr},
    {"\xA3\xE1", nullptr}, {"\xA7\xB1", nullptr}, {"\xA7\xE1", nullptr}, {"\xFF\x30", nullptr},
    {"\x81", nullptr},
};
constexpr std::size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

struct Literal {
  std::string bytes;
  std::string pattern;
  bool ascii = true;
};

Literal TakeLiteral(FuzzedDataProvider& in, bool mayBeEmpty) {
  Literal lit;
  const int length = in.ConsumeIntegralInRange<int>(mayBeEmpty ? 0 : 1, 4);
  for (int i = 0; i < length; ++i) {
    const Piece& p = kPieces[in.ConsumeIntegralInRange<std::size_t>(0, kPieceCount - 1)];
    lit.bytes += p.bytes;
    // An opening brace may also stand bare; an escape is always understood.
    const bool bare = !p.inPattern || (p.mayStandBare && in.ConsumeBool());
    lit.pattern += bare ? p.bytes : p.inPattern;
    lit.ascii &= static_cast<unsigned char>(p.bytes[0]) < 0x80;
  }
  return lit;
}

void Compare(const RegexObject& got, const RegexObject& want) {
  const int count = want.MatchCount();
  FUZZ_REQUIRE(got.MatchCount() == count);
  FUZZ_REQUIRE(got.GroupCount() == want.GroupCount());
  const int groups = want.GroupCount();
  for (int i = 1; i <= count; ++i) {
    int gp = 0, wp = 0;
    FUZZ_REQUIRE(got.MatchText(i, &gp) == want.MatchText(i, &wp));
    FUZZ_REQUIRE(gp == wp);
    for (int g = 1; g <= groups; ++g) {
      FUZZ_REQUIRE(got.GroupText(i, g, &gp) == want.GroupText(i, g, &wp));
      FUZZ_REQUIRE(gp == wp);
    }
  }
  FUZZ_REQUIRE(got.ReplaceMatches("<$&|$1|$2>") == want.ReplaceMatches("<$&|$1|$2>"));
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  FuzzedDataProvider in(data, size);
  const bool caseSensitive = in.ConsumeBool();
  const bool global = in.ConsumeBool();
  const bool multiline = in.ConsumeBool();
  const bool mayBeEmpty = in.ConsumeIntegralInRange<int>(0, 7) == 0;
  const int literalCount = in.ConsumeIntegralInRange<int>(1, 4);
  std::vector<Literal> literals;
  std::string pattern;
  bool allAscii = true, noneEmpty = true;
  for (int k = 0; k < literalCount; ++k) {
    literals.push_back(TakeLiteral(in, mayBeEmpty));
    if (k) pattern += "(.*?)";
    pattern += literals.back().pattern;
    allAscii &= literals.back().ascii;
    noneEmpty &= !literals.back().bytes.empty();
  }
  // The subject: pieces and whole literals, so that occurrences overlap and chains break.
  std::string subject;
  const int pieces = in.ConsumeIntegralInRange<int>(0, 48);
  for (int i = 0; i < pieces && in.remaining_bytes(); ++i) {
    const std::size_t pick = in.ConsumeIntegralInRange<std::size_t>(0, kPieceCount + 3);
    subject += pick < kPieceCount ? std::string(kPieces[pick].bytes)
                                  : literals[(pick - kPieceCount) % literals.size()].bytes;
  }

  RegexObject got, want;
  const bool ran = got.RunPattern(pattern, subject, caseSensitive, multiline, global);
  const bool reference = regex_detail::RunPatternWith(
      Matcher::Pcre2Unlimited, want, pattern, subject, caseSensitive, multiline, global, false);
  FUZZ_REQUIRE(ran == reference);
  // ASCII literals, none empty, take the linear path (unless a brace may start a repeat count):
  // it must be the one checked here.
  const bool countLike =
      pattern.find("{,") != std::string::npos || pattern.find("{ ") != std::string::npos;
  if (allAscii && noneEmpty && !countLike) FUZZ_REQUIRE(regex_detail::RanAsLiteralChain(got));
  Compare(got, want);
  return 0;
}
