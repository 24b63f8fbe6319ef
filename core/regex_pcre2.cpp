#include "core/regex_pcre2.hpp"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/codepage.hpp"

namespace kovarra::regex_detail {

struct Pcre2Pattern {
  explicit Pcre2Pattern(pcre2_code* c) : code(c) {}
  ~Pcre2Pattern() { pcre2_code_free(code); }
  Pcre2Pattern(const Pcre2Pattern&) = delete;
  Pcre2Pattern& operator=(const Pcre2Pattern&) = delete;
  pcre2_code* code;
  std::uint32_t captures = 0;
};

namespace {

constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr std::uint32_t kUnlimitedHeapKiB = 1024 * 1024;
constexpr std::uint32_t kDepthLimit = 1'000'000;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 8 * 1024 * 1024;

// ---- Compiling -------------------------------------------------------------------------------

// Compiling and JIT-compiling cost far more than a page's search, and a program runs the same
// few patterns again and again: keep the last few, per thread so nothing needs a lock.
struct CacheEntry {
  std::u16string pattern;
  std::uint32_t options;
  std::shared_ptr<const Pcre2Pattern> compiled;
};
constexpr std::size_t kCacheSize = 8;

std::shared_ptr<const Pcre2Pattern> Compile(std::u16string_view pattern, std::uint32_t options) {
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
  auto compiled = std::make_shared<Pcre2Pattern>(code);
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &compiled->captures);
  if (cache.size() == kCacheSize) cache.pop_back();
  cache.insert(cache.begin(), CacheEntry{std::u16string(pattern), options, compiled});
  return compiled;
}

// ---- Widening and offsets --------------------------------------------------------------------

// Every GBK character is one UTF-16 unit, so a unit's byte offset is the unit plus the number of
// double-byte characters before it. Per block of 64 units: the byte offset where the block
// starts and a bit for each of its double-byte characters.
class ByteOffsets {
 public:
  explicit ByteOffsets(std::string_view gbk) : size_(static_cast<std::uint32_t>(gbk.size())) {
    const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t n = gbk.size();
    std::uint32_t unit = 0;
    for (std::size_t i = 0; i < n;) {
      std::uint64_t eight;
      if (unit % 64 <= 56 && i + 8 <= n &&
          (std::memcpy(&eight, p + i, 8), (eight & 0x8080808080808080u) == 0)) {
        Reach(unit + 8, i);
        unit += 8;
        i += 8;
        continue;
      }
      Reach(unit + 1, i);
      if (p[i] >= 0x80 && i + 1 < n) {  // a lone lead byte at the end is one byte
        wide_[unit / 64] |= std::uint64_t{1} << (unit % 64);
        i += 2;
      } else {
        ++i;
      }
      ++unit;
    }
    units_ = unit;
  }

  std::uint32_t operator()(std::uint32_t unit) const {
    if (unit >= units_) return size_;
    const std::uint64_t before = wide_[unit / 64] & ((std::uint64_t{1} << (unit % 64)) - 1);
    return start_[unit / 64] + unit % 64 + static_cast<std::uint32_t>(std::popcount(before));
  }

 private:
  // Opens the blocks up to the one holding the last of `units` units, the first at byte `at`.
  void Reach(std::uint32_t units, std::size_t at) {
    while (start_.size() * 64 < units) {
      start_.push_back(static_cast<std::uint32_t>(at));
      wide_.push_back(0);
    }
  }

  std::uint32_t size_;
  std::uint32_t units_ = 0;
  std::vector<std::uint32_t> start_;
  std::vector<std::uint64_t> wide_;
};

// ---- The budget ------------------------------------------------------------------------------

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

// Runs the searches of one run within one step budget. PCRE2's match limit counts afresh at
// every start position a search tries, so a search is bounded by the limit times the starts it
// may try: each search is confined to a window of starts (the offset limit) and charged that
// product before it runs. A window whose limit runs out is halved until the one costly start is
// found, which then gets doubled limits while the budget lasts.
class BudgetedSearch {
 public:
  BudgetedSearch(const pcre2_code* code, std::u16string_view subject, Budget budget)
      : code_(code), subject_(subject), unlimited_(budget == Budget::Unlimited) {
    context_.reset(pcre2_match_context_create(nullptr));
    data_.reset(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!context_) return;
    pcre2_set_heap_limit(context_.get(), unlimited_ ? kUnlimitedHeapKiB : kHeapLimitKiB);
    pcre2_set_depth_limit(context_.get(),
                          unlimited_ ? std::numeric_limits<std::uint32_t>::max() : kDepthLimit);
    if (pcre2_jit_stack* stack = ThreadJitStack())
      pcre2_jit_stack_assign(context_.get(), nullptr, stack);
    remaining_ = StepBudget(subject.size());
    // A quarter of the budget pays for trying every start once, another half at most for
    // narrowing windows down to the costly starts, the rest for the costly starts themselves.
    perStart_ = std::max<std::uint64_t>(1, remaining_ / 4 / (subject.size() + 1));
  }

  bool ready() const { return context_ && data_; }
  const PCRE2_SIZE* ovector() const { return pcre2_get_ovector_pointer(data_.get()); }

  // > 0 for a match starting at or after `from`, PCRE2_ERROR_NOMATCH, or another negative code
  // (PCRE2_ERROR_MATCHLIMIT once the budget is spent).
  int Search(PCRE2_SIZE from) {
    if (unlimited_) {
      pcre2_set_match_limit(context_.get(), std::numeric_limits<std::uint32_t>::max());
      pcre2_set_offset_limit(context_.get(), PCRE2_UNSET);
      return Call(from);
    }
    const PCRE2_SIZE n = subject_.size();
    PCRE2_SIZE start = from;
    std::uint64_t limit = perStart_;
    bool narrowing = false;  // the costly start lies within the current window
    while (start <= n) {
      const PCRE2_SIZE last = std::min(n, start + window_ - 1);
      const std::uint64_t cost = limit * (last - start + 1);
      if (cost > remaining_ || limit > std::numeric_limits<std::uint32_t>::max())
        return PCRE2_ERROR_MATCHLIMIT;
      remaining_ -= cost;
      pcre2_set_match_limit(context_.get(), static_cast<std::uint32_t>(limit));
      pcre2_set_offset_limit(context_.get(), last);
      const int rc = Call(start);
      if (rc >= 0) {
        remaining_ += limit * (last - ovector()[0]);  // the starts after the match were not tried
        return rc;
      }
      if (rc == PCRE2_ERROR_MATCHLIMIT) {
        narrowing = true;
        if (window_ > 1)
          window_ /= 2;  // look closer: the first half, then the second
        else
          limit *= 2;  // the one costly start: give it more
        continue;
      }
      if (rc != PCRE2_ERROR_NOMATCH) return rc;
      start = last + 1;
      if (limit > perStart_) {
        limit = perStart_;  // the costly start is behind
        narrowing = false;
      }
      // Windows grow back as starts pass cheaply, so narrowing never costs more than a small
      // multiple of the starts tried since the last costly one.
      if (!narrowing) window_ = std::min(kWindow, window_ * 2);
    }
    return PCRE2_ERROR_NOMATCH;
  }

 private:
  static constexpr PCRE2_SIZE kWindow = 1024;

  int Call(PCRE2_SIZE start) {
    // Widened GBK holds no surrogates at all, so the subject needs no check by the engine.
    const auto* s = reinterpret_cast<PCRE2_SPTR>(subject_.data());
    int rc = pcre2_match(code_, s, subject_.size(), start, PCRE2_NO_UTF_CHECK, data_.get(),
                         context_.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      // The interpreter keeps its frames on the (limited) heap instead.
      rc = pcre2_match(code_, s, subject_.size(), start, PCRE2_NO_UTF_CHECK | PCRE2_NO_JIT,
                       data_.get(), context_.get());
    }
    return rc;
  }

  const pcre2_code* code_;
  std::u16string_view subject_;
  bool unlimited_;
  std::uint64_t remaining_ = 0;
  std::uint64_t perStart_ = 1;
  PCRE2_SIZE window_ = 1;  // starts the next search may try at once
  std::unique_ptr<pcre2_match_context, MatchContextDeleter> context_;
  std::unique_ptr<pcre2_match_data, MatchDataDeleter> data_;
};

}  // namespace

std::shared_ptr<const Pcre2Pattern> CompilePcre2(std::u16string_view pattern, bool caseSensitive,
                                                 bool multiline) {
  std::uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                          PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C |
                          PCRE2_USE_OFFSET_LIMIT;
  if (!caseSensitive) options |= PCRE2_CASELESS;
  options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
  return Compile(pattern, options);
}

std::uint32_t CaptureCount(const Pcre2Pattern& pattern) {
  return pattern.captures;
}

std::uint64_t StepBudget(std::size_t characters) {
  // A few hundred steps a character for ordinary searches; a pattern that backtracks without end
  // spends this in a fraction of a second on a page.
  constexpr std::uint64_t kBase = 5'000'000;
  constexpr std::uint64_t kPerCharacter = 200;
  return kBase + kPerCharacter * characters;
}

bool MatchPcre2(const Pcre2Pattern& pattern, std::string_view subject, bool global, Budget budget,
                MatchList& out) {
  const std::u16string wide = GbkToUtf16(subject);
  const ByteOffsets bytes(subject);
  BudgetedSearch search(pattern.code, wide, budget);
  if (!search.ready()) return false;
  out.groups = pattern.captures;
  const std::uint32_t pairs = pattern.captures + 1;
  PCRE2_SIZE start = 0;
  while (start <= wide.size()) {
    const int rc = search.Search(start);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) return false;
    const PCRE2_SIZE* ov = search.ovector();
    for (std::uint32_t g = 0; g < pairs; ++g) {
      const bool unset = ov[2 * g] == PCRE2_UNSET || g >= static_cast<std::uint32_t>(rc);
      out.spans.push_back(unset ? MatchList::kUnset : bytes(static_cast<std::uint32_t>(ov[2 * g])));
      out.spans.push_back(unset ? MatchList::kUnset
                                : bytes(static_cast<std::uint32_t>(ov[2 * g + 1])));
    }
    if (!global) break;
    // The next search resumes at the end of this match; after an empty match, one character
    // (one unit: widened GBK holds no surrogate pairs) on.
    const PCRE2_SIZE next = std::max(ov[1], start);
    start = ov[1] == ov[0] ? next + 1 : next;
  }
  return true;
}

}  // namespace kovarra::regex_detail
