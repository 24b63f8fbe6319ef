#include "web/url.hpp"

#include "core/extract.hpp"

namespace kovarra::web {

Text UrlHost(const Text& url, bool mainDomainOnly, bool keepPort) {
  Text s = ToLower(url);
  // The closing slash lets the host be cut out when the address has no path.
  if (CompareText(RightText(s, 1), "/") != 0) s = ConcatText(s, "/");

  Text host;
  if (CompareText(LeftText(s, 8), "https://") == 0) {
    host = TextBetween(s, "https://", "/");
  } else {
    if (FindText(s, "http://") == -1) s = ConcatText("http://", s);
    host = TextBetween(s, "http://", "/");
  }

  if (mainDomainOnly) {
    TextArray labels = SplitText(host, ".");
    const int n = ElementCount(labels);
    if (n >= 2) host = ConcatText(labels[n - 2], ".", labels[n - 1]);
  }
  if (keepPort) return host;

  const int colon = FindText(host, ":");
  return colon != -1 ? LeftText(host, colon - 1) : host;
}

int UrlPort(const Text& url) {
  const Text host = UrlHost(url, false, true);
  const int colon = FindTextReverse(host, ":");
  if (colon != -1) return ToInt(RightText(host, TextLength(host) - colon));
  return CompareText(LeftText(ToLower(url), 5), "https") == 0 ? 443 : 80;
}

Text UrlPath(const Text& url) {
  const Text host = UrlHost(url);
  const int at = FindText(url, host, 1, true);
  const int slash = FindText(url, "/", at, true);
  if (slash == -1) return "/";
  return RightText(url, TextLength(url) - slash + 1);
}

}  // namespace kovarra::web
