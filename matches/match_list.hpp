#pragma once

// The pure half of a match query: the request address and what is read from the answer.

#include "core/text.hpp"

namespace kovarra {

// The raw bytes of the three summary values of an answer; a field is empty when its marker or
// delimiter is missing.
struct PageSummary {
  Text total;
  Text totalpage;
  Text page;
};

// The match-list request address of one team, one page and one page size, passed unchanged.
Text ComposeMatchListUrl(const Text& team, const Text& page, const Text& pagesize);

// True when the service answered that it holds nothing for the request.
bool HasNoData(const Text& answer);

// The answer without its 16-byte assignment prefix "var MatchList = ", whatever those bytes are.
Text StripMatchListPrefix(const Text& answer);

PageSummary ReadPageSummary(const Text& body);

}  // namespace kovarra
