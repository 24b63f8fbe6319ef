#pragma once

// The rows of the report list, read out of a match-list answer body by one regular expression.

#include <array>
#include <vector>

#include "core/text.hpp"

namespace kovarra {

// The service's keys, in the order an object must hold them.
const std::array<const char*, 40>& MatchObjectKeys();

// One object of exactly the service's 40 keys, in order, every value a quoted string, no spaces;
// each value is a lazy group, numbered from 1 in key order.
const Text& MatchListPattern();

// The seven display texts of one match, in column order.
struct MatchRow {
  Text status;
  Text date;
  Text score;
  Text pairing;
  Text narrators;
  Text event;
  Text video;

  friend bool operator==(const MatchRow&, const MatchRow&) = default;
};

enum class MatchExtractOutcome {
  PatternFailed,  // the regular-expression object could not run the pattern
  NoMatch,        // it ran and found no match object
  Rows,           // one or more matches
};

struct MatchExtract {
  MatchExtractOutcome outcome = MatchExtractOutcome::NoMatch;
  std::vector<MatchRow> rows;  // in body order; filled only for Rows
};

MatchExtract ExtractMatchRows(const Text& body);

}  // namespace kovarra
