#pragma once

// Host, port and object path of an address as WebRequest receives it: "http://", "https://"
// or no scheme, any letter case. Not a URL parser: any input gives some host, port and path.

#include "core/text.hpp"

namespace kovarra::web {

// The host, lower-case. mainDomainOnly keeps the last two labels; keepPort keeps ":port".
Text UrlHost(const Text& url, bool mainDomainOnly = false, bool keepPort = false);

// The port after the host's last colon, else 443 for an "https" address and 80 otherwise.
int UrlPort(const Text& url);

// The address from the first "/" at or after the host to its end; "/" when there is none.
Text UrlPath(const Text& url);

}  // namespace kovarra::web
