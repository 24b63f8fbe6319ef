#include "web/charset.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kovarra::web {
namespace {

Bytes B(std::string_view s) {
  return Bytes(s);
}

TEST(ConvertCharset, Utf8ToGbkWithNamesLeftOut) {
  const Bytes utf8 = B("\xE4\xB8\xAD\xE6\x96\x87");  // 中文
  EXPECT_EQ(ConvertCharset(utf8), B("\xD6\xD0\xCE\xC4"));
  EXPECT_EQ(ConvertCharset(B("plain ascii 123")), B("plain ascii 123"));
  EXPECT_EQ(ConvertCharset(Bytes()), Bytes());
}

TEST(ConvertCharset, EmptyNamesAreFilledInOthersKept) {
  Text from;
  Text to;
  EXPECT_EQ(ConvertCharset(B("\xE4\xB8\xAD"), from, to), B("\xD6\xD0"));
  EXPECT_EQ(from, Text("UTF-8"));
  EXPECT_EQ(to, Text("GBK"));

  Text gbk("gb2312");
  Text utf8("utf-8");
  EXPECT_EQ(ConvertCharset(B("\xD6\xD0"), gbk, utf8), B("\xE4\xB8\xAD"));
  EXPECT_EQ(gbk, Text("gb2312"));
  EXPECT_EQ(utf8, Text("utf-8"));
}

TEST(ConvertCharset, SkipBytesOnlyWhenGiven) {
  const Bytes utf8 = B("ab\xE4\xB8\xAD");
  struct Case {
    std::optional<int> skip;
    Bytes expected;
  };
  const Case cases[] = {{std::nullopt, B("ab\xD6\xD0")},
                        {0, B("ab\xD6\xD0")},
                        {2, B("\xD6\xD0")},
                        {4, Bytes()},
                        {100, Bytes()},
                        {-3, B("ab\xD6\xD0")}};
  for (const Case& c : cases) {
    Text from;
    Text to;
    EXPECT_EQ(ConvertCharset(utf8, from, to, c.skip), c.expected)
        << "skip " << (c.skip ? *c.skip : -999);
  }
}

struct Utf8Case {
  const char* name;
  std::string utf8;
  Bytes gbk;
};
// Test names stay short in CTest: a case prints as its name.
void PrintTo(const Utf8Case& c, std::ostream* os) {
  *os << c.name;
}

class Utf8ToLocal : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToLocal, Converts) {
  EXPECT_EQ(ConvertCharset(Bytes(GetParam().utf8)), GetParam().gbk);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToLocal,
    ::testing::Values(Utf8Case{"ByteOrderMarkDropped",
                               "\xEF\xBB\xBF"
                               "a\xE4\xB8\xAD",
                               B("a\xD6\xD0")},
                      Utf8Case{"OnlyLeadingMarkDropped", "a\xEF\xBB\xBF", B("a?")},
                      Utf8Case{"EmojiIsOneQuestionMark", "x\xF0\x9F\x98\x80y", B("x?y")},
                      // 0x80 would begin a two-byte character and swallow the "5".
                      Utf8Case{"EuroIsNotLocal",
                               "\xE2\x82\xAC"
                               "5",
                               B("?5")},
                      Utf8Case{"StrayByte",
                               "a\xFF"
                               "b",
                               B("a?b")},
                      Utf8Case{"CutSequenceAtEnd", "a\xE4\xB8", B("a?")},
                      Utf8Case{"CutSequenceBeforeAscii",
                               "\xE4\xB8"
                               "a",
                               B("?a")},
                      Utf8Case{"Overlong", "\xC0\x80", B("??")},
                      Utf8Case{"EncodedSurrogate", "\xED\xA0\x80", B("???")},
                      Utf8Case{"EndsAtNul", std::string("ab\0\xE4\xB8\xAD", 5), B("ab")},
                      Utf8Case{"LatinLetterGbkHolds", "\xC3\xA9", B("\xA8\xA6")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertCharset, PairsSurviveTheBlockBoundary) {
  // Long runs are converted in blocks; a pair at a block's end must stay one character.
  for (std::size_t lead : {8190u, 8191u, 8192u, 16383u}) {
    const std::string utf8 = std::string(lead, 'a') + "\xF0\x9F\x98\x80" + "b\xE4\xB8\xAD";
    EXPECT_EQ(ConvertCharset(Bytes(utf8)), Bytes(std::string(lead, 'a') + "?b\xD6\xD0")) << lead;
  }
}

TEST(ConvertCharset, UnknownCharsetGivesNothing) {
  for (const char* name : {"no-such-charset", "UTF-8//IGNORE", "GBK/"}) {
    Text from(name);
    Text to;
    EXPECT_EQ(ConvertCharset(B("abc"), from, to), Bytes()) << name;
    Text utf8("UTF-8");
    Text other(name);
    EXPECT_EQ(ConvertCharset(B("abc"), utf8, other), Bytes()) << name;
  }
}

struct OtherCase {
  const char* from;
  const char* to;
  Bytes in;
  Bytes out;
};
void PrintTo(const OtherCase& c, std::ostream* os) {
  *os << c.from << " to " << c.to;
}

class OtherCharsets : public ::testing::TestWithParam<OtherCase> {};

TEST_P(OtherCharsets, ConvertThroughTheLocalCodePage) {
  Text from(GetParam().from);
  Text to(GetParam().to);
  EXPECT_EQ(ConvertCharset(GetParam().in, from, to), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OtherCharsets,
    ::testing::Values(OtherCase{"GBK", "UTF-8", B("\xD6\xD0\xCE\xC4\x80"),
                                B("\xE4\xB8\xAD\xE6\x96\x87?")},
                      OtherCase{"GBK", "GBK", B("a\xD6\xD0\xFF"), B("a\xD6\xD0?")},
                      // A character GBK cannot hold is lost on the way, whatever the target.
                      OtherCase{"UTF-8", "unicode", B("A\xE4\xB8\xAD\xF0\x9F\x98\x80"),
                                B(std::string_view("A\0\x2D\x4E?\0", 6))},
                      OtherCase{"unicode", "GBK",
                                B(std::string_view("\xFF\xFE"
                                                   "A\0\x2D\x4E",
                                                   6)),
                                B("A\xD6\xD0")},
                      OtherCase{"unicodeFFFE", "UTF-8", B(std::string_view("\0A\x4E\x2D", 4)),
                                B("A\xE4\xB8\xAD")},
                      OtherCase{"UTF-8", "ISO-8859-1", B("\xC3\xA9\xE4\xB8\xAD!"), B("\xE9?!")},
                      OtherCase{"ISO-8859-1", "GBK", B("\xE9x"), B("\xA8\xA6x")},
                      OtherCase{"windows-1252", "UTF-8", B("\xE9\x80"), B("\xC3\xA9?")},
                      OtherCase{"Shift_JIS", "UTF-8", B("\x93\xFA!"), B("\xE6\x97\xA5!")},
                      OtherCase{"Big5", "UTF-8",
                                B("\xA4\xA4\xFF"
                                  "a"),
                                B("\xE4\xB8\xAD?a")}));

}  // namespace
}  // namespace kovarra::web
