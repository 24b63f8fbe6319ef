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

// Runs a pattern as RunPattern does and through PCRE2 without a limit: every result must agree,
// and `chain` tells which matcher RunPattern was to take.
void ExpectAsPcre2(const Text& pattern, const Text& subject, bool caseSensitive, bool global,
                   bool chain) {
  SCOPED_TRACE(testing::Message() << "pattern '" << pattern.str() << "' over '" << subject.str()
                                  << "', caseSensitive " << caseSensitive << ", global " << global);
  RegexObject got, want;
  ASSERT_TRUE(got.RunPattern(pattern, subject, caseSensitive, false, global));
  ASSERT_TRUE(regex_detail::RunPatternWith(regex_detail::Matcher::Pcre2Unlimited, want, pattern,
                                           subject, caseSensitive, false, global, false));
  EXPECT_EQ(regex_detail::RanAsLiteralChain(got), chain);
  ASSERT_EQ(got.MatchCount(), want.MatchCount());
  EXPECT_EQ(got.GroupCount(), want.GroupCount());
  for (int i = 1; i <= want.MatchCount(); ++i) {
    int gp = 0, wp = 0;
    EXPECT_EQ(got.MatchText(i, &gp), want.MatchText(i, &wp)) << "match " << i;
    EXPECT_EQ(gp, wp) << "match " << i;
    for (int g = 1; g <= want.GroupCount(); ++g) {
      EXPECT_EQ(got.GroupText(i, g, &gp), want.GroupText(i, g, &wp))
          << "match " << i << " group " << g;
      EXPECT_EQ(gp, wp) << "match " << i << " group " << g;
    }
  }
  EXPECT_EQ(got.ReplaceMatches("<$&|$1>"), want.ReplaceMatches("<$&|$1>"));
}

TEST(LiteralChainTest, MatchesAsPcre2Would) {
  struct Case {
    const char* what;
    std::string pattern;
    std::string subject;
    bool caseSensitive;
    bool chain;  // the linear matcher takes it
  };
  const std::string object = R"re({"a":"(.*?)","b":"(.*?)"})re";
  const Case cases[] = {
      {"objects", object, R"(x{"a":"1","b":"2"},{"A":"3","B":""}])", false, true},
      {"case kept", object, R"({"a":"1","b":"2"},{"A":"3","B":""})", true, true},
      // An object that breaks joins the next one on its line, not across a line feed.
      {"joined", object, R"({"a":1,"b":"2"},{"a":"3","b":"4"})", false, true},
      {"line feed", object, "{\"a\":\"1\n\",\"b\":\"2\"},{\"a\":\"3\",\"b\":\"4\"}", false, true},
      {"line feed in a literal", "a\n(.*?)b", "a\nxb a\n\nb", true, true},
      {"chain broken, next start", "a(.*?)b", "a\na b", true, true},
      {"overlapping", "aa(.*?)ab", "aaab aaaab aab", true, true},
      {"overlapping, caseless", "aA(.*?)Ab", "AAAB aaaAb", false, true},
      {"escaped punctuation", R"(\"\{(.*?)\.\})", R"(x"{a.}" "{.})", true, true},
      {"no match", "ab(.*?)cd", "ab cb ad", true, true},
      {"literal only", "ab", "xabab", true, true},
      {"Kelvin and long s", "k(.*?)s", "K S ks", false, true},
      // Second bytes of double-byte characters that are ASCII punctuation are not characters.
      {"brace as second byte", "{(.*?)}", "\x81{a} {b}", true, true},
      {"backslash as second byte", R"(\\(.*?)\|)", "\x81\\x\x81| \\y|", true, true},
      {"line feed as second byte", "a(.*?)b", "a\x81\nb", true, true},
      {"lone lead byte at the end", "a(.*?)b",
       "a\xD6\xD0"
       "b a\x81",
       true, true},
      {"lead byte taking the literal", "a(.*?)b",
       "\x81"
       "a ab",
       true, true},
      {"undecodable pair", "a(.*?)b",
       "a\xFF\x30"
       "b",
       true, true},
      {"Chinese literals", "\xD6\xD0(.*?)\xCE\xC4", "\xD6\xD0x\xCE\xC4", false, true},
      // Letters whose case PCRE2 folds beyond ASCII are left to it when case is ignored.
      {"Greek, caseless", "\xA6\xA1(.*?)b", "\xA6\xC1x b", false, false},
      {"Greek, case kept", "\xA6\xA1(.*?)b", "\xA6\xC1x b \xA6\xA1y b", true, true},
      {"full-width, caseless", "\xA3\xC1(.*?)b", "\xA3\xE1x b", false, false},
      {"Cyrillic, caseless", "\xA7\xB1(.*?)b", "\xA7\xE1x b", false, false},
      // Empty literals, and so empty matches, stay with PCRE2.
      {"leading group", "(.*?)a", "ba a", true, false},
      {"trailing group", "a(.*?)", "ba a", true, false},
      {"adjacent groups", "a(.*?)(.*?)b", "axb", true, false},
      // Not of the shape at all.
      {"greedy group", "a(.*)b", "axbb", true, false},
      {"repeat count", "a{2}(.*?)b", "aab", true, false},
      {"class", "[a](.*?)b", "ab", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectAsPcre2(c.pattern, c.subject, c.caseSensitive, true, c.chain);
    ExpectAsPcre2(c.pattern, c.subject, c.caseSensitive, false, c.chain);
  }
}

TEST(LiteralChainTest, PlaceholderAndOptionsApply) {
  RegexObject re;
  ASSERT_TRUE(re.RunPattern(Gbk("#引号(.*?)#引号"), "x \"ab\" \"c\"", false, false, true, true));
  EXPECT_TRUE(regex_detail::RanAsLiteralChain(re));
  EXPECT_EQ(re.MatchCount(), 2);
  EXPECT_EQ(re.GroupText(2, 1), Text("c"));
  // A Chinese character in a group comes back as its two bytes.
  ASSERT_TRUE(re.RunPattern(Gbk("：(.*?)，"), Gbk("队伍：中，x")));
  EXPECT_TRUE(regex_detail::RanAsLiteralChain(re));
  EXPECT_EQ(re.GroupText(1, 1), Gbk("中"));
}

TEST(RegexObjectTest, RunawayBacktrackingFailsInBoundedTime) {
  // Nested quantifiers over a subject that almost matches: exponential in its length.
  RegexObject re;
  // Without the budget this never ends; the test's CTest time-out catches that.
  EXPECT_FALSE(re.RunPattern("^(a+)+$", std::string(40, 'a') + "!"));
  EXPECT_EQ(re.MatchCount(), 0);
  // Unanchored, every start of each run of letters backtracks a while: the budget is for all
  // starts together, not for each.
  std::string runs;
  for (int i = 0; i < 200; ++i) runs += std::string(22, 'a') + "!";
  EXPECT_FALSE(re.RunPattern("(a+)+[bc]", runs));
  EXPECT_EQ(re.MatchCount(), 0);
}

TEST(RegexObjectTest, ManySmallMatchesStayWithinTheBudget) {
  // The budget is shared by all searches of a run, and must still fit a long run of cheap ones
  // (a class, so that PCRE2 runs it).
  const std::string subject(1'000'000, 'a');
  RegexObject re;
  ASSERT_TRUE(re.RunPattern("[a]", subject));
  EXPECT_FALSE(regex_detail::RanAsLiteralChain(re));
  EXPECT_EQ(re.MatchCount(), 1'000'000);
  ASSERT_TRUE(re.RunPattern("a", subject));  // the same as a literal
  EXPECT_TRUE(regex_detail::RanAsLiteralChain(re));
  EXPECT_EQ(re.MatchCount(), 1'000'000);
}

}  // namespace
}  // namespace kovarra
