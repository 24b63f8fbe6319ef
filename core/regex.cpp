#include "core/regex.hpp"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/codepage.hpp"
#include "core/extract.hpp"

namespace kovarra {

namespace regex_detail {

// One compiled pattern, shared by the cache, by every object that ran it and by their copies.
struct Compiled {
  explicit Compiled(pcre2_code* c) : code(c) {}
  ~Compiled() { pcre2_code_free(code); }
  Compiled(const Compiled&) = delete;
  Compiled& operator=(const Compiled&) = delete;
  pcre2_code* code;
  std::uint32_t captures = 0;
};

struct Engine {
  Text pattern;                              // as written to the engine, placeholder replaced
  std::shared_ptr<const Compiled> compiled;  // empty when the pattern does not compile
};

struct MatchList {
  static constexpr std::uint32_t kUnset = std::numeric_limits<std::uint32_t>::max();
  std::uint32_t groups = 0;          // capture groups per match
  std::vector<std::uint32_t> spans;  // per match: (groups + 1) begin/end pairs of UTF-16 units
  std::uint32_t units = 0;           // length of the subject in UTF-16 units
  // Every GBK character is one UTF-16 unit, so a unit's byte offset is the unit plus the number
  // of double-byte characters before it. Per block of 64 units: the byte offset where it starts
  // and a bit for each of its double-byte characters.
  bool direct = true;
  std::vector<std::uint32_t> blockBytes;
  std::vector<std::uint64_t> blockWide;
  std::u16string wideSubject;  // kept only when the direct mapping does not hold

  int count() const { return static_cast<int>(spans.size() / (2 * (groups + 1))); }
  const std::uint32_t* span(int match, int group) const {
    return &spans[(static_cast<std::size_t>(match) * (groups + 1) + group) * 2];
  }
};

}  // namespace regex_detail

namespace {

using regex_detail::Compiled;
using regex_detail::Engine;
using regex_detail::MatchList;

constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr std::uint32_t kDepthLimit = 1'000'000;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 8 * 1024 * 1024;

// Compiling and JIT-compiling cost far more than a page's search, and the program runs the same
// pattern for every query: keep the last few, per thread so nothing needs a lock.
struct CacheEntry {
  std::u16string pattern;
  std::uint32_t options;
  std::shared_ptr<const Compiled> compiled;
};
constexpr std::size_t kCacheSize = 8;

std::shared_ptr<const Compiled> Compile(const std::u16string& pattern, std::uint32_t options) {
  thread_local std::vector<CacheEntry> cache;
  for (std::size_t i = 0; i < cache.size(); ++i) {
    if (cache[i].options == options && cache[i].pattern == pattern) {
      std::rotate(cache.begin(), cache.begin() + static_cast<std::ptrdiff_t>(i),
                  cache.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return cache.front().compiled;
    }
  }
  pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
  if (!cc) return nullptr;
  pcre2_set_newline(cc, PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   options, &error, &errorOffset, cc);
  pcre2_compile_context_free(cc);
  if (!code) return nullptr;
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // without JIT the interpreter does the work
  auto compiled = std::make_shared<Compiled>(code);
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &compiled->captures);
  if (cache.size() == kCacheSize) cache.pop_back();
  cache.insert(cache.begin(), CacheEntry{pattern, options, compiled});
  return compiled;
}

struct JitStackDeleter {
  void operator()(pcre2_jit_stack* s) const { pcre2_jit_stack_free(s); }
};
pcre2_jit_stack* ThreadJitStack() {
  thread_local std::unique_ptr<pcre2_jit_stack, JitStackDeleter> stack(
      pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
  return stack.get();
}

struct MatchContextDeleter {
  void operator()(pcre2_match_context* c) const { pcre2_match_context_free(c); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* d) const { pcre2_match_data_free(d); }
};

// Runs the searches of one RunPattern within one step budget. PCRE2 does not tell how many steps
// a search took, so each search is given a limit and charged that limit: an upper bound of its
// work. The limit follows the searches' needs (doubled when too small, eased down slowly when
// enough) so the charge stays within a small factor of the real work.
class BudgetedSearch {
 public:
  BudgetedSearch(const pcre2_code* code, std::u16string_view subject, std::uint32_t budget)
      : code_(code), subject_(subject), remaining_(budget) {
    context_.reset(pcre2_match_context_create(nullptr));
    data_.reset(pcre2_match_data_create_from_pattern(code, nullptr));
    if (context_) {
      pcre2_set_heap_limit(context_.get(), kHeapLimitKiB);
      pcre2_set_depth_limit(context_.get(), kDepthLimit);
      if (pcre2_jit_stack* stack = ThreadJitStack())
        pcre2_jit_stack_assign(context_.get(), nullptr, stack);
    }
  }

  bool ready() const { return context_ && data_; }
  const PCRE2_SIZE* ovector() const { return pcre2_get_ovector_pointer(data_.get()); }

  // > 0 for a match, PCRE2_ERROR_NOMATCH, or another negative code for a failed search.
  int Search(PCRE2_SIZE start) {
    std::uint32_t noJit = 0;
    for (;;) {
      if (remaining_ == 0) return PCRE2_ERROR_MATCHLIMIT;
      const std::uint32_t limit = std::min(probe_, remaining_);
      pcre2_set_match_limit(context_.get(), limit);
      int rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(subject_.data()), subject_.size(),
                           start, checked_ | noJit, data_.get(), context_.get());
      remaining_ -= limit;
      if (rc == PCRE2_ERROR_MATCHLIMIT) {
        if (remaining_ == 0) return rc;  // the whole rest of the budget was not enough
        probe_ = probe_ > std::numeric_limits<std::uint32_t>::max() / 2 ? probe_ : probe_ * 2;
        continue;
      }
      if (rc == PCRE2_ERROR_JIT_STACKLIMIT && !noJit) {
        noJit = PCRE2_NO_JIT;  // the interpreter keeps its frames on the (limited) heap
        continue;
      }
      if (rc < 0 && rc != PCRE2_ERROR_NOMATCH) return rc;
      probe_ = std::max(kMinProbe, probe_ - probe_ / 64);
      return rc;
    }
  }

 private:
  static constexpr std::uint32_t kMinProbe = 64;
  const pcre2_code* code_;
  std::u16string_view subject_;
  std::uint32_t remaining_;
  std::uint32_t probe_ = 4096;
  // Widening never leaves half a surrogate pair, so the subject needs no check by the engine.
  static constexpr std::uint32_t checked_ = PCRE2_NO_UTF_CHECK;
  std::unique_ptr<pcre2_match_context, MatchContextDeleter> context_;
  std::unique_ptr<pcre2_match_data, MatchDataDeleter> data_;
};

bool IsHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// Collects the matches of one run; false when a search fails.
bool Collect(const Compiled& compiled, std::u16string_view subject, bool global, MatchList& out) {
  BudgetedSearch search(compiled.code, subject, RegexObject::StepBudget(subject.size()));
  if (!search.ready()) return false;
  const std::uint32_t pairs = compiled.captures + 1;
  PCRE2_SIZE start = 0;
  while (start <= subject.size()) {
    int rc = search.Search(start);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) return false;
    const PCRE2_SIZE* ov = search.ovector();
    for (std::uint32_t g = 0; g < pairs; ++g) {
      const bool unset = ov[2 * g] == PCRE2_UNSET ||
                         static_cast<std::uint32_t>(g) >= static_cast<std::uint32_t>(rc);
      out.spans.push_back(unset ? MatchList::kUnset : static_cast<std::uint32_t>(ov[2 * g]));
      out.spans.push_back(unset ? MatchList::kUnset : static_cast<std::uint32_t>(ov[2 * g + 1]));
    }
    if (!global) break;
    // The next search resumes at the end of this match; after an empty match, one character on.
    PCRE2_SIZE next = std::max(ov[1], start);
    if (ov[1] == ov[0]) {
      if (next >= subject.size()) break;
      next += (IsHighSurrogate(subject[next]) && next + 1 < subject.size() &&
               IsLowSurrogate(subject[next + 1]))
                  ? 2
                  : 1;
    }
    start = next;
  }
  return true;
}

// Widens a GBK subject into a buffer of the thread that is reused from run to run (a fresh one
// for a large subject costs more in page faults than the search), and records where its
// double-byte characters stand.
std::u16string_view Widen(std::string_view gbk, MatchList& out) {
  thread_local std::unique_ptr<char16_t[]> buffer;
  thread_local std::size_t capacity = 0;
  thread_local std::vector<std::uint32_t> wide;  // unit indices of the double-byte characters
  if (capacity < gbk.size() + 1 || !buffer) {
    buffer.reset(new char16_t[gbk.size() + 1]);
    capacity = gbk.size() + 1;
  }
  wide.clear();
  char16_t* units = buffer.get();
  // ASCII stands for itself; the double-byte characters go through the code page in one call.
  std::string pairs;
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  std::uint32_t unit = 0;
  for (std::size_t i = 0; i < n;) {
    std::uint64_t eight;
    if (i + 8 <= n && (std::memcpy(&eight, p + i, 8), (eight & 0x8080808080808080u) == 0)) {
      for (int k = 0; k < 8; ++k) units[unit + k] = p[i + k];
      i += 8;
      unit += 8;
      continue;
    }
    if (p[i] < 0x80) {
      units[unit++] = p[i++];
      continue;
    }
    const std::size_t width = i + 1 < n ? 2 : 1;  // a lone lead byte ends the text
    wide.push_back(unit++);
    pairs.append(gbk.data() + i, width);
    i += width;
  }
  out.units = unit;

  std::u16string converted = GbkToUtf16(pairs);
  if (converted.size() != wide.size()) {
    // Not one unit per character: keep the conversion itself and read texts back through it.
    out.direct = false;
    out.wideSubject = GbkToUtf16(gbk);
    for (char16_t& u : out.wideSubject)
      if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
    out.units = static_cast<std::uint32_t>(out.wideSubject.size());
    return out.wideSubject;
  }
  const std::size_t blocks = unit / 64 + 1;
  out.blockWide.assign(blocks, 0);
  out.blockBytes.resize(blocks);
  for (std::size_t k = 0; k < converted.size(); ++k) {
    const char16_t u = converted[k];
    // The engine is told the subject is valid UTF-16, so no half of a pair may stand alone.
    units[wide[k]] = (u >= 0xD800 && u <= 0xDFFF) ? char16_t{0xFFFD} : u;
    out.blockWide[wide[k] / 64] |= std::uint64_t{1} << (wide[k] % 64);
  }
  std::uint32_t extra = 0;
  for (std::size_t b = 0; b < blocks; ++b) {
    out.blockBytes[b] = static_cast<std::uint32_t>(b * 64) + extra;
    extra += static_cast<std::uint32_t>(std::popcount(out.blockWide[b]));
  }
  return {units, unit};
}

// Appends the JScript-style expansion of a replacement for the given match.
template <typename SliceFn>
void ExpandReplacement(const Text& replacement, const MatchList& m, int match, SliceFn slice,
                       std::string& out) {
  const std::string_view r = replacement.view();
  const std::uint32_t* whole = m.span(match, 0);
  auto group = [&](std::uint32_t g) {
    const std::uint32_t* s = m.span(match, static_cast<int>(g));
    if (s[0] != MatchList::kUnset) out.append(slice(s[0], s[1]).view());
  };
  auto digit = [&](std::size_t i) { return i < r.size() && r[i] >= '0' && r[i] <= '9'; };
  for (std::size_t i = 0; i < r.size();) {
    const unsigned char b = static_cast<unsigned char>(r[i]);
    if (b >= 0x80) {  // a double-byte character is never the start of a $ form
      out.append(r.substr(i, 2));
      i += 2;
      continue;
    }
    if (b != '$' || i + 1 >= r.size()) {
      out.push_back(r[i++]);
      continue;
    }
    const char c = r[i + 1];
    if (c == '$') {
      out.push_back('$');
      i += 2;
    } else if (c == '&') {
      out.append(slice(whole[0], whole[1]).view());
      i += 2;
    } else if (c == '`') {
      out.append(slice(0, whole[0]).view());
      i += 2;
    } else if (c == '\'') {
      out.append(slice(whole[1], m.units).view());
      i += 2;
    } else if (digit(i + 1)) {
      const std::uint32_t one = static_cast<std::uint32_t>(c - '0');
      const std::uint32_t two =
          digit(i + 2) ? one * 10 + static_cast<std::uint32_t>(r[i + 2] - '0') : 0;
      if (two >= 1 && two <= m.groups) {
        group(two);
        i += 3;
      } else if (one >= 1 && one <= m.groups) {
        group(one);
        i += 2;
      } else {
        out.push_back('$');
        ++i;
      }
    } else {
      out.push_back('$');
      ++i;
    }
  }
}

}  // namespace

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject& other) = default;
RegexObject& RegexObject::operator=(const RegexObject& other) = default;
RegexObject::RegexObject(RegexObject&& other) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&& other) noexcept = default;

void RegexObject::ReleaseRegexObject() {
  engine_.reset();
  matches_.reset();
  subject_ = Text();
}

RegexObject RegexObject::CopyRegexObject() const {
  return *this;
}

std::uint32_t RegexObject::StepBudget(std::size_t units) {
  // Sound pages need a few steps per unit; a pattern that backtracks without end exhausts this
  // in well under a second, whatever the size of the subject.
  constexpr std::uint64_t kBase = 20'000'000;
  constexpr std::uint64_t kPerUnit = 200;
  constexpr std::uint64_t kCap = 400'000'000;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(kCap, kBase + kPerUnit * units));
}

bool RegexObject::RunPattern(const Text& pattern, const Text& subject, bool caseSensitive,
                             bool multiline, bool global, bool quotePlaceholder) {
  engine_.reset();
  matches_.reset();

  auto engine = std::make_shared<Engine>();
  engine->pattern = quotePlaceholder ? ReplaceText(pattern, QuotePlaceholder(), Text("\""),
                                                   std::nullopt, std::nullopt, true)
                                     : pattern;
  std::uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                          PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C;
  if (!caseSensitive) options |= PCRE2_CASELESS;
  options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
  engine->compiled = Compile(GbkToUtf16(engine->pattern.view()), options);
  engine_ = engine;
  subject_ = subject;

  if (!engine->compiled) return false;
  if (subject.size() >= MatchList::kUnset) return false;
  auto matches = std::make_shared<MatchList>();
  matches->groups = engine->compiled->captures;
  const std::u16string_view wide = Widen(subject.view(), *matches);
  if (!Collect(*engine->compiled, wide, global, *matches)) return false;
  matches_ = std::move(matches);
  return true;
}

Text RegexObject::PatternText() const {
  return engine_ ? engine_->pattern : Text();
}

std::uint32_t RegexObject::ByteOffset(std::uint32_t unit) const {
  const MatchList& m = *matches_;
  if (unit >= m.units) return static_cast<std::uint32_t>(subject_.size());
  const std::uint64_t before = m.blockWide[unit / 64] & ((std::uint64_t{1} << (unit % 64)) - 1);
  return m.blockBytes[unit / 64] + unit % 64 + static_cast<std::uint32_t>(std::popcount(before));
}

Text RegexObject::Slice(std::uint32_t unitBegin, std::uint32_t unitEnd) const {
  if (unitEnd <= unitBegin) return Text();
  if (!matches_->direct) {
    return Utf16ToGbk(
        std::u16string_view(matches_->wideSubject).substr(unitBegin, unitEnd - unitBegin));
  }
  const std::uint32_t b = ByteOffset(unitBegin);
  return Text(subject_.view().substr(b, ByteOffset(unitEnd) - b));
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
  if (!matches_) return Text();
  const MatchList& m = *matches_;
  auto slice = [this](std::uint32_t a, std::uint32_t b) { return Slice(a, b); };
  std::string out;
  out.reserve(subject_.size());
  std::uint32_t done = 0;
  for (int i = 0; i < m.count(); ++i) {
    const std::uint32_t* whole = m.span(i, 0);
    out.append(Slice(done, whole[0]).view());
    ExpandReplacement(replacement, m, i, slice, out);
    done = whole[1];
  }
  out.append(Slice(done, m.units).view());
  return Text(std::move(out));
}

int RegexObject::MatchCount() const {
  return matches_ ? matches_->count() : 0;
}

Text RegexObject::Piece(int matchIndex, int group, int* position) const {
  if (position) *position = -1;
  if (!matches_ || matchIndex < 1 || matchIndex > matches_->count() || group < 0 ||
      static_cast<std::uint32_t>(group) > matches_->groups) {
    return Text();
  }
  const std::uint32_t* s = matches_->span(matchIndex - 1, group);
  if (s[0] == MatchList::kUnset) return Text();
  if (position) {
    *position = static_cast<int>(matches_->direct ? ByteOffset(s[0]) : Slice(0, s[0]).size());
  }
  return Slice(s[0], s[1]);
}

Text RegexObject::MatchText(int matchIndex, int* position) const {
  return Piece(matchIndex, 0, position);
}

Text RegexObject::GroupText(int matchIndex, int groupIndex, int* position) const {
  if (groupIndex < 1) {
    if (position) *position = -1;
    return Text();
  }
  return Piece(matchIndex, groupIndex, position);
}

int RegexObject::GroupCount() const {
  return MatchCount() > 0 ? static_cast<int>(matches_->groups) : 0;
}

}  // namespace kovarra
