#include "web/cookies.hpp"

#include <gtest/gtest.h>

#include "core/codepage.hpp"

namespace kovarra::web {
namespace {

struct MergeCase {
  const char* oldCookies;
  const char* newCookies;
  const char* merged;
};
void PrintTo(const MergeCase& c, std::ostream* os) {
  *os << '\'' << c.oldCookies << "' + '" << c.newCookies << '\'';
}

class MergeCookiesTable : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTable, MergedTextIsReturnedAndStored) {
  const MergeCase& c = GetParam();
  Text oldCookies(c.oldCookies);
  Text newCookies(c.newCookies);
  const Text result = MergeCookies(oldCookies, newCookies);
  EXPECT_EQ(result, Text(c.merged));
  EXPECT_EQ(oldCookies, Text(c.merged));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTable,
    ::testing::Values(MergeCase{"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1"},
                      // The deleted cookie is not brought back by its old value.
                      MergeCase{"a=1", "a=deleted", ""}, MergeCase{"a=1; a=2", "", "a=1"},
                      MergeCase{"", "x=1; x=1", "x=1"}, MergeCase{"", "x=1; x=2", "x=1; x=2"},
                      MergeCase{"sid=A", "SID=B", "SID=B; sid=A"},
                      MergeCase{"a=hello world", "", "a=helloworld"},
                      MergeCase{"flag; a=1", "", "flag; a=1"}, MergeCase{"a=1;", "", "a=1"},
                      MergeCase{"a=1;;b=2", "", "a=1; ; b=2"},
                      MergeCase{"a=1;;b=2;;c=3", "", "a=1; ; b=2; c=3"},
                      MergeCase{"x=undeleted", "", "x=undeleted"},
                      MergeCase{"a=1; b=deleted", "", "a=1"}, MergeCase{"", "", ""}));

TEST(MergeCookies, BothCallerTextsLoseTheirSpaces) {
  Text oldCookies("a=1; b=2");
  Text newCookies("b=3; c=4");
  MergeCookies(oldCookies, newCookies);
  EXPECT_EQ(newCookies, Text("b=3;c=4"));

  // Full-width spaces count as spaces too.
  Text wide = ConcatText("k=", Gbk("\u3000"), "v");
  Text none;
  EXPECT_EQ(MergeCookies(wide, none), Text("k=v"));
}

TEST(CookieName, TrimmedTextBeforeFirstEquals) {
  EXPECT_EQ(CookieName(" sid =a=b"), Text("sid"));
  EXPECT_EQ(CookieName(" flag "), Text("flag"));
  EXPECT_EQ(CookieName("=v"), Text(""));
}

TEST(HasCookieName, ExactNames) {
  const TextArray list{"a=1", " B=2"};
  EXPECT_TRUE(HasCookieName(list, "B"));
  EXPECT_FALSE(HasCookieName(list, "b"));
  EXPECT_FALSE(HasCookieName({}, ""));
}

TEST(RemoveDuplicateItems, FirstOccurrenceWins) {
  EXPECT_EQ(RemoveDuplicateItems("p; q; p", "; "), Text("p; q"));
  EXPECT_EQ(RemoveDuplicateItems("q; p; q; p", "; "), Text("q; p"));
  EXPECT_EQ(RemoveDuplicateItems("", "; "), Text(""));
}

TEST(FindItem, FirstExactMatch) {
  const TextArray list{"a", "b", "b"};
  EXPECT_EQ(FindItem(list, "b"), 2);
  EXPECT_EQ(FindItem(list, "B"), -1);
  EXPECT_EQ(FindItem({}, "a"), -1);
}

}  // namespace
}  // namespace kovarra::web
