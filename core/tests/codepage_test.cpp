#include "core/codepage.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kovarra {
namespace {

std::string Hex(std::string_view s) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(CodePage, LiteralsBecomeGbkBytes) {
  EXPECT_EQ(Hex(Gbk("#引号").view()), "23 D2 FD BA C5");
  EXPECT_EQ(Hex(Gbk("未查询到数据").view()), "CE B4 B2 E9 D1 AF B5 BD CA FD BE DD");
  EXPECT_EQ(Gbk("abc"), Text("abc"));
  EXPECT_EQ(Gbk(""), Text());
  // Punctuation where code page 936 differs from plain GB 2312 readings.
  EXPECT_EQ(Hex(Gbk("·—…￥").view()), "A1 A4 A1 AA A1 AD A3 A4");
  EXPECT_EQ(Hex(Gbk("\u3000").view()), "A1 A1");
}

TEST(CodePage, UpEachCharacterIsOneUnit) {
  struct Case {
    std::string gbk;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"a\xD2\xFD"
       "b",
       u"a引b"},
      {"\xB0\xA1\xA1\xA1", u"啊\u3000"},
      {"x\xD2", u"x\uFFFD"},      // lone lead byte at the end
      {"\xFF\x41z", u"\uFFFDz"},  // unmapped pair: the trail byte goes with it
      {"\x80"
       "a",
       u"\uFFFD"},                                          // 0x80 leads a pair like any high byte
      {"\xAA\xA1\xFE\xFE\xA1\x40", u"\uE000\uE4C5\uE4C6"},  // user-defined areas
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GbkToUtf16(c.gbk), c.utf16) << Hex(c.gbk);
  }
  EXPECT_EQ(GbkToUtf8("a\xD2\xFD\xB0"), "a引\xEF\xBF\xBD");
}

TEST(CodePage, DownUnmappableBecomesOneQuestionMark) {
  EXPECT_EQ(Utf16ToGbk(u"a😀b"), Text("a?b"));  // surrogate pair: one character
  EXPECT_EQ(Utf16ToGbk(std::u16string(u"a\xD800"
                                      "b")),
            Text("a?b"));
  EXPECT_EQ(Utf16ToGbk(std::u16string(u"\xDC00\xD800")), Text("??"));
  EXPECT_EQ(Utf16ToGbk(u"€é"), Text("?\xA8\xA6"));  // no lone 0x80 ever comes out
  EXPECT_EQ(Utf16ToGbk(std::u16string(u"ab\0cd", 5)), Text("ab"));
  EXPECT_EQ(Utf16ToGbk(u"\uE000\uE765"), Text("\xAA\xA1\xA7\xA0"));
}

TEST(CodePage, InvalidUtf8IsOneQuestionMarkPerMaximalSubpart) {
  struct Case {
    std::string utf8;
    Text gbk;
  };
  const Case cases[] = {
      {"a\x80"
       "b",
       "a?b"},
      {"\xE5\xBC"
       "x",
       "?x"},                        // truncated three-byte sequence
      {"\xE5\xBC", "?"},             // truncated at the end
      {"\xED\xA0\x80", "???"},       // encoded surrogate
      {"\xC0\xAF", "??"},            // overlong
      {"\xF0\x9F\x98\x80!", "?!"},   // valid but beyond GBK
      {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
      {"\xFE\xFF", "??"},
      {std::string("ab\0c", 4), "ab"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << Hex(c.utf8);
}

TEST(CodePage, EveryMappedCodeRoundTrips) {
  int mapped = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      std::u16string up = GbkToUtf16(std::string_view(pair, 2));
      ASSERT_EQ(up.size(), 1u);
      if (up[0] == 0xFFFD) continue;
      ++mapped;
      ASSERT_EQ(Utf16ToGbk(up).view(), std::string_view(pair, 2)) << lead << " " << trail;
    }
  }
  EXPECT_GT(mapped, 23000);
}

TEST(CodePage, EmptyCellsOfRowsA2ToA9D7AndFeGoToThePrivateUseArea) {
  // 255 cells, U+E766 to U+E864 in code order, as Windows maps them.
  struct Case {
    std::string gbk;
    char16_t unit;
  };
  const Case cases[] = {{"\xA2\xAB", 0xE766}, {"\xA6\xD9", 0xE78D}, {"\xA8\x96", 0xE7BC},
                        {"\xA8\xBC", 0xE7C7}, {"\xA9\x89", 0xE7E7}, {"\xD7\xFA", 0xE810},
                        {"\xFE\x50", 0xE815}, {"\xFE\xA0", 0xE864}};
  for (const Case& c : cases) {
    EXPECT_EQ(GbkToUtf16(c.gbk), std::u16string(1, c.unit)) << Hex(c.gbk);
    EXPECT_EQ(Utf16ToGbk(std::u16string(1, c.unit)).view(), c.gbk) << Hex(c.gbk);
  }
  EXPECT_EQ(Utf16ToGbk(u"\uE865"), Text("?"));
}

// Every one- and two-byte code up and every BMP unit down, folded into one figure each. The same
// figures hold on Linux (iconv) and on Windows (code page 936), so neither drifts from the other.
TEST(CodePage, SameMappingOnEverySystem) {
  auto fold = [](std::uint64_t& h, const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    h = (h ^ n) * 0x100000001B3ull;
  };
  std::uint64_t up = 0xCBF29CE484222325ull;
  for (unsigned b = 1; b <= 0xFF; ++b) {
    const std::u16string u = GbkToUtf16(std::string(1, static_cast<char>(b)));
    fold(up, u.data(), u.size() * 2);
  }
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned trail = 0; trail <= 0xFF; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string u = GbkToUtf16(std::string_view(pair, 2));
      fold(up, u.data(), u.size() * 2);
    }
  }
  std::uint64_t down = 0xCBF29CE484222325ull;
  for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const char16_t one = static_cast<char16_t>(unit);
    const Text t = Utf16ToGbk(std::u16string_view(&one, 1));
    fold(down, t.view().data(), t.size());
  }
  EXPECT_EQ(up, 0xA49327AE769C8627ull);
  EXPECT_EQ(down, 0xF88CC202BD62E32Cull);
}

}  // namespace
}  // namespace kovarra
