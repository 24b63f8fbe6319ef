// UrlHost, UrlPort and UrlPath on arbitrary addresses: some host, some port and some path for
// every input, the host lower-case and free of "/", the path always beginning with "/".

#include <cstdint>

#include "core/text.hpp"
#include "fuzz/fuzz_support.hpp"
#include "web/url.hpp"

namespace kovarra::fuzz {
namespace {

bool HasCharacter(std::string_view s, unsigned char c) {
  for (std::size_t i : CharStarts(s))
    if (At(s, i) == c) return true;
  return false;
}

void CheckHost(const Text& url, bool mainDomainOnly, bool keepPort) {
  Text host = web::UrlHost(url, mainDomainOnly, keepPort);
  RequireText(host);
  for (std::size_t i : CharStarts(host.view()))
    FUZZ_REQUIRE(!(At(host.view(), i) >= 'A' && At(host.view(), i) <= 'Z'));
  FUZZ_REQUIRE(!HasCharacter(host.view(), '/'));
  if (!keepPort) FUZZ_REQUIRE(!HasCharacter(host.view(), ':'));
  if (mainDomainOnly) {
    // At most two labels are left.
    int dots = 0;
    for (std::size_t i : CharStarts(host.view())) dots += At(host.view(), i) == '.';
    FUZZ_REQUIRE(dots <= 1 || web::UrlHost(url, false, keepPort) == host);
  }
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  Text url(std::string_view(reinterpret_cast<const char*>(data), size));
  for (int options = 0; options < 4; ++options) CheckHost(url, options & 1, options & 2);

  Text withPort = web::UrlHost(url, false, true);
  int port = web::UrlPort(url);
  if (FindTextReverse(withPort, ":") == -1)
    FUZZ_REQUIRE(port == (ToLower(LeftText(url, 5)) == Text("https") ? 443 : 80));

  Text path = web::UrlPath(url);
  RequireText(path);
  FUZZ_REQUIRE(!path.empty() && path.view()[0] == '/');
  FUZZ_REQUIRE(path == Text("/") || url.view().ends_with(path.view()));
  return 0;
}
