#include "core/regex_chain.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/codepage.hpp"
#include "core/regex_pcre2.hpp"

namespace kovarra::regex_detail {

namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr char16_t kReplacement = 0xFFFD;

// ---- What a subject's characters can be ------------------------------------------------------

// Every byte of 0x80 or more starts a two-byte character with the byte after it, whatever that
// byte is; a literal character compares as bytes only when no other bytes widen to it.
struct CodePageFacts {
  bool usable = false;
  std::vector<std::uint8_t> encodings;  // per unit: how many byte pairs widen to it, at most 2
  std::vector<std::uint16_t> pairOf;    // per unit: the pair that widens to it
  std::vector<char16_t> unitOfPair;     // per pair (lead - 0x80) << 8 | trail
  std::string sample;                   // one of every character a subject can hold
};

const CodePageFacts& Facts() {
  static const CodePageFacts facts = [] {
    CodePageFacts f;
    std::string pairs;
    pairs.reserve(128 * 256 * 2);
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
      for (unsigned trail = 0; trail <= 0xFF; ++trail) {
        pairs.push_back(static_cast<char>(lead));
        pairs.push_back(static_cast<char>(trail));
      }
    }
    const std::u16string units = GbkToUtf16(pairs);
    if (units.size() != 128 * 256) return f;
    f.unitOfPair.assign(units.begin(), units.end());
    f.encodings.assign(0x10000, 0);
    f.pairOf.assign(0x10000, 0);
    for (unsigned c = 1; c < 0x80; ++c) {
      f.encodings[c] = 1;
      f.sample.push_back(static_cast<char>(c));
    }
    std::vector<bool> sampled(0x10000, false);
    for (std::size_t i = 0; i < units.size(); ++i) {
      const char16_t u = units[i];
      const auto pair = static_cast<std::uint16_t>(0x8000 + i);
      if (f.encodings[u] == 0) f.pairOf[u] = pair;
      f.encodings[u] = static_cast<std::uint8_t>(std::min(2, f.encodings[u] + 1));
      if (!sampled[u] && (pair & 0xFF) != 0) {  // a subject holds no NUL byte
        sampled[u] = true;
        f.sample.push_back(static_cast<char>(pair >> 8));
        f.sample.push_back(static_cast<char>(pair & 0xFF));
      }
    }
    f.usable = true;
    return f;
  }();
  return facts;
}

// The unit that the sample's character between two byte offsets widens to.
char16_t SampleUnit(const CodePageFacts& f, std::uint32_t begin, std::uint32_t end) {
  const auto* p = reinterpret_cast<const unsigned char*>(f.sample.data());
  if (end - begin == 1) return p[begin];
  return f.unitOfPair[static_cast<std::size_t>(p[begin] - 0x80) << 8 | p[begin + 1]];
}

// Asks PCRE2 itself which characters a subject can hold match `atom` when letter case is
// ignored, so that the byte comparison folds exactly as it does.
template <typename Accept>
bool CaselessMatchesOnly(std::u16string_view atom, Accept accept) {
  const CodePageFacts& f = Facts();
  auto compiled = CompilePcre2(atom, false, false);
  MatchList found;
  if (!compiled || !MatchPcre2(*compiled, f.sample, true, Budget::Unlimited, found)) return false;
  // At least the character itself must be found, or the question was not understood.
  if (found.count() == 0) return false;
  for (int i = 0; i < found.count(); ++i) {
    const std::uint32_t* s = found.span(i, 0);
    if (s[1] - s[0] > 2 || !accept(SampleUnit(f, s[0], s[1]))) return false;
  }
  return true;
}

bool IsAsciiLetter(char16_t c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// ASCII letters ignoring case take each other only (not the Kelvin sign, nor the long s).
bool AsciiLettersFoldAmongThemselves() {
  thread_local const bool answer =
      CaselessMatchesOnly(u"[a-z]", [](char16_t u) { return IsAsciiLetter(u); });
  return answer;
}

bool FoldsOnlyToItself(char16_t unit) {
  thread_local std::unordered_map<char16_t, bool> known;
  auto it = known.find(unit);
  if (it != known.end()) return it->second;
  // Not a pattern character: non-ASCII characters stand for themselves.
  const std::u16string atom(1, unit);
  const bool answer = CaselessMatchesOnly(atom, [unit](char16_t u) { return u == unit; });
  known.emplace(unit, answer);
  return answer;
}

// ---- The pattern -----------------------------------------------------------------------------

struct Literal {
  std::string bytes;  // folded letters stand in lower case
  std::string fold;   // per byte: 1 where a letter takes either case
  bool anyFold = false;
  std::size_t anchor = 0;  // the byte searched for first
  std::size_t firstChar = 1;
  // A literal of eight bytes or more is compared eight bytes at a time, at these offsets (the
  // last one flush with its end): each word of the subject, or-ed with its mask (the case bit of
  // every folded letter), must equal the literal's word.
  std::vector<std::size_t> offsets;
  std::vector<std::uint64_t> words;
  std::vector<std::uint64_t> masks;
};

void PrepareWords(Literal& lit) {
  const std::size_t length = lit.bytes.size();
  if (length < 8) return;
  for (std::size_t at = 0;; at += 8) {
    const std::size_t offset = std::min(at, length - 8);
    unsigned char caseBits[8];
    for (std::size_t i = 0; i < 8; ++i) caseBits[i] = lit.fold[offset + i] ? 0x20 : 0;
    std::uint64_t word = 0, mask = 0;
    std::memcpy(&word, lit.bytes.data() + offset, 8);
    std::memcpy(&mask, caseBits, 8);
    lit.offsets.push_back(offset);
    lit.words.push_back(word);
    lit.masks.push_back(mask);
    if (offset == length - 8) break;
  }
}

bool IsAsciiPunctuation(char16_t c) {
  return c >= 0x20 && c < 0x7F && !(c >= '0' && c <= '9') && !IsAsciiLetter(c);
}

// Appends one literal character as bytes; false when bytes cannot stand for it exactly.
bool AppendCharacter(char16_t c, bool caseSensitive, Literal& lit) {
  const CodePageFacts& f = Facts();
  if (c == kReplacement || f.encodings[c] != 1) return false;
  if (lit.bytes.empty()) lit.firstChar = c < 0x80 ? 1 : 2;
  if (c < 0x80) {
    const bool fold = !caseSensitive && IsAsciiLetter(c);
    if (fold && !AsciiLettersFoldAmongThemselves()) return false;
    lit.bytes.push_back(static_cast<char>(fold ? (c | 0x20) : c));
    lit.fold.push_back(fold ? 1 : 0);
    lit.anyFold |= fold;
    return true;
  }
  if (!caseSensitive && !FoldsOnlyToItself(c)) return false;
  lit.bytes.push_back(static_cast<char>(f.pairOf[c] >> 8));
  lit.bytes.push_back(static_cast<char>(f.pairOf[c] & 0xFF));
  lit.fold.append(2, 0);
  return true;
}

// The search starts from a byte that takes one case only, preferably a punctuation mark (rarer
// in text than letters, digits, blanks and quotes).
std::size_t ChooseAnchor(const Literal& lit) {
  std::size_t plain = kNone;
  for (std::size_t i = 0; i < lit.bytes.size(); ++i) {
    if (lit.fold[i]) continue;
    const char b = lit.bytes[i];
    if (plain == kNone) plain = i;
    if (IsAsciiPunctuation(static_cast<unsigned char>(b)) && b != ' ' && b != '"') return i;
  }
  return plain == kNone ? 0 : plain;
}

}  // namespace

struct LiteralChain {
  std::vector<Literal> literals;
};

std::shared_ptr<const LiteralChain> ParseLiteralChain(std::u16string_view pattern,
                                                      bool caseSensitive) {
  if (!Facts().usable) return nullptr;
  constexpr std::u16string_view kGroup = u"(.*?)";
  auto chain = std::make_shared<LiteralChain>();
  chain->literals.emplace_back();
  for (std::size_t i = 0; i < pattern.size();) {
    if (pattern.substr(i, kGroup.size()) == kGroup) {
      chain->literals.emplace_back();
      i += kGroup.size();
      continue;
    }
    char16_t c = pattern[i];
    if (c == '\\') {
      // Only an escaped punctuation mark is a plain character for sure.
      if (i + 1 >= pattern.size() || !IsAsciiPunctuation(pattern[i + 1])) return nullptr;
      c = pattern[i + 1];
      i += 2;
    } else if (std::u16string_view(u"^$.|?*+()[]").find(c) != std::u16string_view::npos) {
      return nullptr;
    } else if (c == '{' && i + 1 < pattern.size() &&
               ((pattern[i + 1] >= '0' && pattern[i + 1] <= '9') || pattern[i + 1] == ',' ||
                pattern[i + 1] == ' ')) {
      return nullptr;  // may be a repeat count
    } else {
      ++i;
    }
    if (!AppendCharacter(c, caseSensitive, chain->literals.back())) return nullptr;
  }
  for (Literal& lit : chain->literals) {
    if (lit.bytes.empty()) return nullptr;  // empty literals and empty matches stay with PCRE2
    lit.anchor = ChooseAnchor(lit);
    PrepareWords(lit);
  }
  return chain;
}

std::uint32_t ChainGroups(const LiteralChain& chain) {
  return static_cast<std::uint32_t>(chain.literals.size() - 1);
}

namespace {

// ---- Matching --------------------------------------------------------------------------------

// Whether a character starts at byte c, given that one starts at `known` (not after c). After
// a byte below 0x80 a character always starts; from there on, bytes of 0x80 or more pair up.
bool StartsCharacter(const unsigned char* p, std::size_t known, std::size_t c) {
  std::size_t i = c;
  while (i > known && p[i - 1] >= 0x80) --i;
  return (c - i) % 2 == 0;
}

// The first byte b in [from, end). Most searches end within a short value, so the first bytes
// are looked at eight at a time before memchr is called.
[[gnu::always_inline]] inline std::size_t FindByte(const unsigned char* p, std::size_t from,
                                                   std::size_t end, unsigned char b) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::size_t kNear = 64;
  const std::uint64_t pattern = kOnes * b;
  const std::size_t near = std::min(end, from + kNear);
  std::size_t i = from;
  for (; i + 8 <= near; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    const std::uint64_t x = word ^ pattern;
    // The lowest flagged byte is the first zero byte of x, that is the first b (in memory order
    // on a little-endian machine, as every target of the program is).
    static_assert(std::endian::native == std::endian::little);
    const std::uint64_t zero = (x - kOnes) & ~x & (kOnes << 7);
    if (zero) return i + static_cast<std::size_t>(std::countr_zero(zero)) / 8;
  }
  if (near == end) {
    for (; i < end; ++i)
      if (p[i] == b) return i;
    return kNone;
  }
  const void* hit = std::memchr(p + i, b, end - i);
  return hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p) : kNone;
}

// The next occurrence of one literal at a character start. Asked from positions that are
// character starts, and for each literal from positions that only move forward, it keeps its
// last answer: its searches together cross the subject once.
class Finder {
 public:
  Finder(const Literal& lit, std::string_view subject)
      : lit_(&lit),
        p_(reinterpret_cast<const unsigned char*>(subject.data())),
        n_(subject.size()) {}

  std::size_t Next(std::size_t from) {
    if (from < from_ || from > at_) {
      from_ = from;
      at_ = Search(from);
    }
    return at_;
  }

 private:
  bool EqualAt(std::size_t c) const {
    const std::string& b = lit_->bytes;
    if (!lit_->words.empty()) {
      for (std::size_t w = 0; w < lit_->words.size(); ++w) {
        std::uint64_t word;
        std::memcpy(&word, p_ + c + lit_->offsets[w], 8);
        if ((word | lit_->masks[w]) != lit_->words[w]) return false;
      }
      return true;
    }
    if (!lit_->anyFold) return std::memcmp(p_ + c, b.data(), b.size()) == 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
      const unsigned char s = lit_->fold[i] ? (p_[c + i] | 0x20) : p_[c + i];
      if (s != static_cast<unsigned char>(b[i])) return false;
    }
    return true;
  }

  std::size_t Search(std::size_t from) const {
    const std::size_t length = lit_->bytes.size();
    if (length > n_) return kNone;
    const std::size_t lastStart = n_ - length;
    const std::size_t j = lit_->anchor;
    const auto anchor = static_cast<unsigned char>(lit_->bytes[j]);
    const bool either = lit_->fold[j] != 0;
    std::size_t known = from;
    for (std::size_t pos = from; pos <= lastStart;) {
      std::size_t c;
      if (either) {
        c = pos;
        while (c <= lastStart && (p_[c + j] | 0x20) != anchor) ++c;
        if (c > lastStart) return kNone;
      } else {
        const std::size_t hit = FindByte(p_, pos + j, lastStart + j + 1, anchor);
        if (hit == kNone) return kNone;
        c = hit - j;
      }
      if (EqualAt(c)) {
        if (StartsCharacter(p_, known, c)) return c;
        known = c + 1;  // c is the second byte of a character
      }
      pos = c + 1;
    }
    return kNone;
  }

  const Literal* lit_;
  const unsigned char* p_;
  std::size_t n_;
  std::size_t from_ = kNone;
  std::size_t at_ = 0;
};

// The line feeds of a subject that are characters of their own (not second bytes).
std::vector<std::uint32_t> LineFeeds(std::string_view subject) {
  std::vector<std::uint32_t> out;
  const auto* p = reinterpret_cast<const unsigned char*>(subject.data());
  std::size_t known = 0;
  for (std::size_t from = 0; from < subject.size();) {
    const void* hit = std::memchr(p + from, '\n', subject.size() - from);
    if (!hit) break;
    const auto c = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p);
    if (StartsCharacter(p, known, c)) out.push_back(static_cast<std::uint32_t>(c));
    known = from = c + 1;
  }
  return out;
}

}  // namespace

void MatchChain(const LiteralChain& chain, std::string_view subject, bool global, MatchList& out) {
  const std::vector<Literal>& lits = chain.literals;
  const std::size_t m = lits.size();
  out.groups = ChainGroups(chain);
  std::vector<Finder> finders;
  finders.reserve(m);
  for (const Literal& lit : lits) finders.emplace_back(lit, subject);
  const std::vector<std::uint32_t> lineFeeds = LineFeeds(subject);
  auto lineFeedIn = [&](std::size_t begin, std::size_t end) {
    if (lineFeeds.empty()) return false;
    auto it = std::lower_bound(lineFeeds.begin(), lineFeeds.end(), begin);
    return it != lineFeeds.end() && *it < end;
  };

  // Room for as many matches as the literals leave space for, within reason, so that a body of
  // thousands of matches is not copied over and over as the list grows.
  std::size_t literalBytes = 0;
  for (const Literal& lit : lits) literalBytes += lit.bytes.size();
  const std::size_t room = std::min<std::size_t>(subject.size() / literalBytes + 1, 4096);
  out.spans.reserve(room * m * 2);

  std::vector<std::size_t> at(m);
  std::size_t from = 0;
  for (;;) {
    const std::size_t start = finders[0].Next(from);
    if (start == kNone) return;
    at[0] = start;
    std::size_t end = start + lits[0].bytes.size();
    bool broken = false;
    for (std::size_t k = 1; k < m; ++k) {
      const std::size_t next = finders[k].Next(end);
      // Later starts only find later occurrences: none of them can match either.
      if (next == kNone) return;
      if (lineFeedIn(end, next)) {
        broken = true;
        break;
      }
      at[k] = next;
      end = next + lits[k].bytes.size();
    }
    if (broken) {
      from = start + lits[0].firstChar;
      continue;
    }
    out.spans.push_back(static_cast<std::uint32_t>(start));
    out.spans.push_back(static_cast<std::uint32_t>(end));
    for (std::size_t k = 1; k < m; ++k) {
      out.spans.push_back(static_cast<std::uint32_t>(at[k - 1] + lits[k - 1].bytes.size()));
      out.spans.push_back(static_cast<std::uint32_t>(at[k]));
    }
    if (!global) return;
    from = end;
  }
}

}  // namespace kovarra::regex_detail
