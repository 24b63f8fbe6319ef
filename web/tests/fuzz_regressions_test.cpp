// Inputs that fuzzing found to break a property of the web layer, kept as ordinary cases.

#include <gtest/gtest.h>

#include "web/cookies.hpp"

namespace kovarra::web {
namespace {

// An empty item that ends up last once repeats are removed must not leave "; " at the end,
// and merging the result with nothing again must give it back unchanged.
TEST(FuzzRegressions, MergedCookiesNeverEndInASeparator) {
  struct Case {
    const char* oldCookies;
    const char* newCookies;
    const char* merged;
  };
  for (const Case& c : {Case{"", "a=1;;a=1", "a=1"}, Case{"a=1;;a=1", "", "a=1"},
                        Case{"b=2", "a=1;;a=1", "a=1; ; b=2"}, Case{"", ";", ""},
                        Case{"a=1;;b=2", "", "a=1; ; b=2"}}) {
    Text oldCookies(c.oldCookies), newCookies(c.newCookies);
    const Text merged = MergeCookies(oldCookies, newCookies);
    EXPECT_EQ(merged, Text(c.merged)) << c.oldCookies << " + " << c.newCookies;
    Text again = merged, nothing;
    EXPECT_EQ(MergeCookies(again, nothing), merged);
  }
  EXPECT_EQ(RemoveDuplicateItems("p; ; p", "; "), Text("p"));
  EXPECT_EQ(RemoveDuplicateItems("p; ; q", "; "), Text("p; ; q"));
}

}  // namespace
}  // namespace kovarra::web
