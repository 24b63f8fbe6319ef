// MergeCookies and its helpers on arbitrary cookie texts. For well-formed local text the
// merged set keeps its shape: items without spaces, joined by exactly "; ", nothing at the
// end, no repeats, nothing "=deleted"; and merging with nothing is idempotent.
// Any other bytes must merely be handled safely.

#include <cstdint>
#include <set>

#include "core/text.hpp"
#include "fuzz/fuzz_support.hpp"
#include "web/cookies.hpp"

namespace kovarra::fuzz {
namespace {

void CheckShape(const Text& merged) {
  std::string_view m = merged.view();
  FUZZ_REQUIRE(!m.ends_with(";") && !m.ends_with("; ") && !m.starts_with(" "));
  for (std::size_t i = 0; i < m.size(); ++i) {
    if (m[i] == ';') FUZZ_REQUIRE(i + 1 < m.size() && m[i + 1] == ' ');
    if (m[i] == ' ') FUZZ_REQUIRE(i > 0 && m[i - 1] == ';');
  }
  std::set<std::string> seen;
  for (const Text& item : SplitText(merged, "; ")) {
    FUZZ_REQUIRE(!HasBlankCharacter(item.view()));
    FUZZ_REQUIRE(!item.view().ends_with("=deleted"));
    FUZZ_REQUIRE(seen.insert(item.str()).second);
  }
}

void CheckHelpers(const Text& a, const Text& b) {
  Text name = web::CookieName(a);
  RequireText(name);
  FUZZ_REQUIRE(name.empty() || !BlankAt(name.view(), 0));
  TextArray list = SplitText(a, ";");
  int at = web::FindItem(list, b);
  if (at == -1) {
    for (const Text& item : list) FUZZ_REQUIRE(item != b);
  } else {
    FUZZ_REQUIRE(at >= 1 && at <= ElementCount(list) && list[at - 1] == b);
    for (int i = 1; i < at; ++i) FUZZ_REQUIRE(list[i - 1] != b);
  }
  bool has = false;
  for (const Text& item : list) has = has || web::CookieName(item) == web::CookieName(b);
  FUZZ_REQUIRE(web::HasCookieName(list, web::CookieName(b)) == has);
  Text unique = web::RemoveDuplicateItems(a, "; ");
  RequireText(unique);
  FUZZ_REQUIRE(unique.size() <= a.size());
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  FuzzedDataProvider in(data, size);
  const Text oldGiven = TakeText(in, 512);
  const Text newGiven = Text(in.ConsumeRemainingBytesAsString());
  CheckHelpers(oldGiven, newGiven);

  Text oldCookies = oldGiven, newCookies = newGiven;
  Text merged = web::MergeCookies(oldCookies, newCookies);
  RequireText(merged);
  FUZZ_REQUIRE(oldCookies == merged);
  FUZZ_REQUIRE(newCookies == RemoveAllSpaces(newGiven));
  if (!WellFormedGbk(oldGiven.view()) || !WellFormedGbk(newGiven.view())) return 0;

  CheckShape(merged);
  // Merging with nothing settles a cookie text at once: doing it again changes nothing.
  for (const Text& given : {oldGiven, newGiven}) {
    Text once = given, nothing;
    web::MergeCookies(once, nothing);
    CheckShape(once);
    Text twice = once;
    FUZZ_REQUIRE(web::MergeCookies(twice, nothing) == once && twice == once && nothing.empty());
  }
  return 0;
}
