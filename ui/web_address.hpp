#pragma once

// The one rule for what the program hands to the desktop's browser.

#include <optional>
#include <string>

#include "core/text.hpp"

namespace kovarra {

// The address as the browser is given it: only http and https addresses with a host pass;
// what an address cannot hold as it stands (spaces, controls, quotes, characters beyond
// ASCII as their UTF-8 bytes, a stray "%") is percent-encoded. Empty when it does not pass.
std::optional<std::string> WebAddress(const Text& url);

}  // namespace kovarra
