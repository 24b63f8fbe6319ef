#pragma once

// The general matcher: any pattern, on PCRE2 (16-bit, UTF, JIT where available), over the
// subject widened to UTF-16, within a step budget for the whole run.

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/regex_match_list.hpp"

namespace kovarra::regex_detail {

struct Pcre2Pattern;

// Null when PCRE2 rejects the pattern. Compiled patterns are kept per thread for reuse.
std::shared_ptr<const Pcre2Pattern> CompilePcre2(std::u16string_view pattern, bool caseSensitive,
                                                 bool multiline);
std::uint32_t CaptureCount(const Pcre2Pattern& pattern);

// The steps a run over a subject of this many characters may take in all.
std::uint64_t StepBudget(std::size_t characters);

// Collects the matches of one run over a GBK subject; false when the budget ran out or the
// engine failed. Without a budget a pattern that backtracks may run for ever: that is for tests,
// and for patterns that cannot backtrack.
enum class Budget { Bounded, Unlimited };
bool MatchPcre2(const Pcre2Pattern& pattern, std::string_view subject, bool global, Budget budget,
                MatchList& out);

}  // namespace kovarra::regex_detail
