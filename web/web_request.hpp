#pragma once

// One HTTP(S) request through the HttpPlatform, answered as local text (GBK).

#include <optional>

#include "core/text.hpp"
#include "web/http_platform.hpp"

namespace kovarra::web {

// The user agent used when the header lines hold no "User-Agent:".
const Text& DefaultUserAgent();

// Every field but url may be left as it is. In/out fields change in place: headers receives
// the default lines, postBytes the bytes taken from postText, cookies (when present) the
// merged cookie set. Presence of cookies switches off the platform's own cookies and turns on
// the merge; presence of proxy selects proxy mode.
struct WebRequestArgs {
  Text url;
  int method = 0;  // 1 is POST, anything else GET; anything but 0 sends a body
  Text postText;
  std::optional<Text> cookies;
  Text returnedCookies;  // out: name=value items the response set, joined by "; "
  Text headers;          // extra request lines separated by "\r\n"
  Text location;         // out: the Location value; when none and empty, the raw header text
  bool noRedirect = false;
  Bytes postBytes;
  std::optional<Text> proxy;
  Text rawHeaders;  // out
};

// The response body, converted from UTF-8 when the body or the headers name utf-8; empty when
// the request cannot be opened.
Text WebRequest(WebRequestArgs& args, HttpPlatform& platform);

// A request with every optional parameter left out.
Text WebRequest(const Text& url, int method, HttpPlatform& platform);

}  // namespace kovarra::web
