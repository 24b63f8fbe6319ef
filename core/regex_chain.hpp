#pragma once

// The matcher for patterns of literal texts joined by lazy groups, L0(.*?)L1(.*?)…(.*?)Ln, the
// shape of the program's own pattern. Whether the rest of such a pattern can still match only
// gets worse as a position moves right, so the leftmost match is the chain of first occurrences:
// from each start where L0 stands, the first L1 after it on the same line, then the first L2
// after that, and so on; a broken chain means the next start. Each literal's next occurrence
// only moves forward, so a run is linear in the subject and needs no budget.
//
// It matches the GBK bytes directly, at the character boundaries the widening to UTF-16 would
// give, and gives exactly the spans PCRE2 would.

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/regex_match_list.hpp"

namespace kovarra::regex_detail {

struct LiteralChain;

// Null when the pattern (UTF-16, as PCRE2 would see it) is not of that shape, or when one of its
// characters would not compare as plain bytes (then PCRE2 runs it): every literal is non-empty,
// every group exactly "(.*?)".
std::shared_ptr<const LiteralChain> ParseLiteralChain(std::u16string_view pattern,
                                                      bool caseSensitive);
std::uint32_t ChainGroups(const LiteralChain& chain);

void MatchChain(const LiteralChain& chain, std::string_view subject, bool global, MatchList& out);

}  // namespace kovarra::regex_detail
