#include "core/regex.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/codepage.hpp"

namespace kovarra {
namespace {

TEST(RegexObjectTest, OptionalGroupAndMissingMatch) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("(a)(b)?", "a a", false, false, true));
  EXPECT_EQ(re.MatchCount(), 2);
  EXPECT_EQ(re.GroupCount(), 2);
  EXPECT_EQ(re.GroupText(1, 1), Text("a"));
  EXPECT_EQ(re.GroupText(1, 2), Text());  // did not take part
  EXPECT_EQ(re.GroupText(3, 1), Text());  // no third match
  EXPECT_EQ(re.GroupText(1, 0), Text());
  EXPECT_EQ(re.GroupText(1, 3), Text());
  EXPECT_EQ(re.MatchText(0), Text());
}

TEST(RegexObjectTest, NoMatchIsASuccessfulRun) {
  RegexObject re;
  EXPECT_TRUE(re.RunPattern("xyz", "abc"));
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.GroupCount(), 0);
  EXPECT_EQ(re.ReplaceMatches("-"), Text("abc"));
}

TEST(RegexObjectTest, InvalidPatternFails) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("a", "a"));
  EXPECT_FALSE(re.RunPattern("(a", "a a"));
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.GroupCount(), 0);
  EXPECT_EQ(re.MatchText(1), Text());
  EXPECT_EQ(re.ReplaceMatches("x"), Text());
  EXPECT_EQ(re.PatternText(), Text("(a"));  // the engine keeps what was written to it
}

TEST(RegexObjectTest, QuotePlaceholderOnlyWhenAsked) {
  const Text pattern = Gbk("#引号(.*?)#引号");
  RegexObject re;
  ASSERT_TRUE(re.RunPattern(pattern, "x \"ab\" y", false, false, true, true));
  EXPECT_EQ(re.GroupText(1, 1), Text("ab"));
  EXPECT_EQ(re.PatternText(), Text("\"(.*?)\""));
  ASSERT_TRUE(re.RunPattern(pattern, "x \"ab\" y"));
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.PatternText(), pattern);
}

TEST(RegexObjectTest, CaseAndGlobalOptions) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("ab", "AB ab"));
  EXPECT_EQ(re.MatchCount(), 2);
  ASSERT_TRUE(re.RunPattern("ab", "AB ab", true));
  EXPECT_EQ(re.MatchCount(), 1);
  EXPECT_EQ(re.MatchText(1), Text("ab"));
  ASSERT_TRUE(re.RunPattern("ab", "AB ab", false, true, false));
  EXPECT_EQ(re.MatchCount(), 1);
  EXPECT_EQ(re.MatchText(1), Text("AB"));
  // Case folding goes beyond ASCII, as it does for the platform engine.
  ASSERT_TRUE(re.RunPattern(Utf8ToGbk("я"), Utf8ToGbk("Я")));
  EXPECT_EQ(re.MatchCount(), 1);
}

TEST(RegexObjectTest, AnchorsAndDotFollowTheLineRules) {
  struct Case {
    const char* pattern;
    const char* subject;
    bool multiline;
    int count;
  };
  const Case cases[] = {
      {"^b", "a\nb", false, 0},    {"^b", "a\nb", true, 1},
      {"a$", "a\n", false, 0},     {"a$", "a\n", true, 1},
      {"a.b", "a\nb", false, 0},   {"a.b", "a\rb", false, 1},
      {"\\u0041", "A", false, 1},  {"[^]", "\n", false, 1},
      {"(a)|\\1b", "b", false, 1},  // a reference to a group that did not take part is empty
  };
  for (const Case& c : cases) {
    RegexObject re;
    ASSERT_TRUE(re.RunPattern(c.pattern, c.subject, true, c.multiline)) << c.pattern;
    EXPECT_EQ(re.MatchCount(), c.count) << c.pattern << " over " << c.subject;
  }
}

TEST(RegexObjectTest, EmptyMatchesAdvanceOneCharacter) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("a*", "baa"));
  ASSERT_EQ(re.MatchCount(), 3);
  EXPECT_EQ(re.MatchText(1), Text());
  EXPECT_EQ(re.MatchText(2), Text("aa"));
  EXPECT_EQ(re.MatchText(3), Text());
  const Text zh = Gbk("中文");
  ASSERT_TRUE(re.RunPattern("x*", zh));
  EXPECT_EQ(re.MatchCount(), 3);  // before, between and after the two characters
  EXPECT_EQ(re.ReplaceMatches("-"), ConcatText("-", Gbk("中"), "-", Gbk("文"), "-"));
}

TEST(RegexObjectTest, DoubleByteCharactersAreWholeCharacters) {
  const Text subject = Gbk("队伍：中国，LPL赛区");
  RegexObject re;
  ASSERT_TRUE(re.RunPattern(Gbk("：(.)"), subject));
  EXPECT_EQ(re.GroupText(1, 1), Gbk("中"));
  ASSERT_TRUE(re.RunPattern(Gbk("，(.+?)区"), subject));
  int position = 0;
  EXPECT_EQ(re.GroupText(1, 1, &position), Gbk("LPL赛"));
  EXPECT_EQ(position, 12);  // bytes, although the engine counts 7 characters before it
  EXPECT_EQ(re.MatchText(1, &position), Gbk("，LPL赛区"));
  EXPECT_EQ(position, 10);
  // A lone lead byte at the end is one character of its own.
  ASSERT_TRUE(re.RunPattern("b(.)$", "ab\xC4", true, false));
  EXPECT_EQ(re.GroupText(1, 1), Text("\xC4"));
}

TEST(RegexObjectTest, PositionsAreWhereTheTextWasMatched) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("(a)", "aAa", true));
  ASSERT_EQ(re.MatchCount(), 2);
  int position = 0;
  re.MatchText(2, &position);
  EXPECT_EQ(position, 2);  // not the earlier "a" at offset 0
  re.GroupText(1, 1, &position);
  EXPECT_EQ(position, 0);
  re.GroupText(5, 1, &position);
  EXPECT_EQ(position, -1);
}

TEST(RegexObjectTest, SecondRunReplacesTheFirst) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("(\\d)(\\d)", "12 34 56"));
  ASSERT_EQ(re.MatchCount(), 3);
  ASSERT_TRUE(re.RunPattern("([a-z]+)", "xy"));
  EXPECT_EQ(re.MatchCount(), 1);
  EXPECT_EQ(re.GroupCount(), 1);
  EXPECT_EQ(re.GroupText(1, 1), Text("xy"));
  EXPECT_EQ(re.GroupText(2, 1), Text());
  EXPECT_EQ(re.ReplaceMatches("<$1>"), Text("<xy>"));
  EXPECT_EQ(re.PatternText(), Text("([a-z]+)"));
}

TEST(RegexObjectTest, ReplacementForms) {
  struct Case {
    const char* replacement;
    const char* result;
  };
  // Pattern "(b)(c)?" over "abcd", global: one match "bc".
  const Case cases[] = {
      {"[$1$2]", "a[bc]d"}, {"[$&]", "a[bc]d"}, {"$$", "a$d"},  {"[$`]", "a[a]d"},
      {"[$']", "a[d]d"},    {"$0", "a$0d"},     {"$3", "a$3d"}, {"$12", "ab2d"},
      {"$02", "acd"},       {"$", "a$d"},       {"$x", "a$xd"},
  };
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("(b)(c)?", "abcd"));
  for (const Case& c : cases) {
    EXPECT_EQ(re.ReplaceMatches(c.replacement), Text(c.result)) << c.replacement;
  }
  ASSERT_TRUE(re.RunPattern("o", "foo boo", false, true, false));
  EXPECT_EQ(re.ReplaceMatches("0"), Text("f0o boo"));
  ASSERT_TRUE(re.RunPattern(Gbk("(赛)"), Gbk("赛区赛")));
  EXPECT_EQ(re.ReplaceMatches(Gbk("[$1了]")), Gbk("[赛了]区[赛了]"));
}

TEST(RegexObjectTest, CopySharesMatchesAndReleaseEmpties) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("(b)", "abc"));
  RegexObject copy = re.CopyRegexObject();
  re.ReleaseRegexObject();
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.PatternText(), Text());
  EXPECT_EQ(re.ReplaceMatches("x"), Text());
  EXPECT_EQ(copy.GroupText(1, 1), Text("b"));
  EXPECT_EQ(copy.ReplaceMatches("[$1]"), Text("a[b]c"));
  // A released object can still be run.
  EXPECT_TRUE(re.RunPattern("c", "abc"));
  EXPECT_EQ(re.MatchCount(), 1);
}

TEST(RegexObjectTest, RunawayBacktrackingFailsInBoundedTime) {
  // Nested quantifiers over a subject that almost matches: exponential in its length.
  RegexObject re;
  // Without the budget this never ends; the test's CTest time-out catches that.
  EXPECT_FALSE(re.RunPattern("^(a+)+$", std::string(40, 'a') + "!"));
  EXPECT_EQ(re.MatchCount(), 0);
}

TEST(RegexObjectTest, ManySmallMatchesStayWithinTheBudget) {
  // The budget is shared by all searches of a run, and must still fit a long run of cheap ones.
  const std::string subject(1'000'000, 'a');
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("a", subject));
  EXPECT_EQ(re.MatchCount(), 1'000'000);
}

}  // namespace
}  // namespace kovarra
