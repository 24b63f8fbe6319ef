#pragma once

// Match objects in the service's shape, for answers made up by tests and fakes.

#include <map>
#include <string>

namespace kovarra::testing {

// One object of all the service's keys in its order, each value a quoted string: the given
// values for the keys they name, `others` for the rest. Values go in as they are (already
// escaped). A key the service does not have is a mistake in the caller and aborts the test
// program, so that a misspelt key cannot pass unseen.
std::string MatchObjectJson(const std::map<std::string, std::string>& values,
                            const std::string& others = "");

}  // namespace kovarra::testing
