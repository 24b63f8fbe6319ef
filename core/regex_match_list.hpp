#pragma once

// What a run of either matcher leaves behind: the spans of every match and of its groups, as
// byte offsets into the subject, so that reading a text back is a plain cut.

#include <cstdint>
#include <limits>
#include <vector>

namespace kovarra::regex_detail {

struct MatchList {
  static constexpr std::uint32_t kUnset = std::numeric_limits<std::uint32_t>::max();

  std::uint32_t groups = 0;          // capture groups per match
  std::vector<std::uint32_t> spans;  // per match: (groups + 1) begin/end pairs, group 0 first

  int count() const { return static_cast<int>(spans.size() / (2 * (groups + 1))); }
  const std::uint32_t* span(int match, int group) const {
    return &spans[(static_cast<std::size_t>(match) * (groups + 1) + group) * 2];
  }
};

}  // namespace kovarra::regex_detail
