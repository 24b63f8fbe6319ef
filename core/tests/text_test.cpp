#include "core/text.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>

namespace kovarra {
namespace {

constexpr std::optional<int> kNone = std::nullopt;

TEST(TextCut, LeftRightMidCountBytes) {
  EXPECT_EQ(LeftText("abc", 0), Text());
  EXPECT_EQ(LeftText("abc", -1), Text());
  EXPECT_EQ(LeftText("abc", 10), Text("abc"));
  EXPECT_EQ(LeftText("\xB0\xA1x", 1), Text("\xB0"));  // may halve a character
  EXPECT_EQ(RightText("abc", 0), Text());
  EXPECT_EQ(RightText("abc", 10), Text("abc"));
  EXPECT_EQ(RightText("abcdef", 2), Text("ef"));
  EXPECT_EQ(MidText("abcdef", 3, 2), Text("cd"));
  EXPECT_EQ(MidText("abcdef", 5, 10), Text("ef"));
  EXPECT_EQ(MidText("abcdef", 0, 2), Text());
  EXPECT_EQ(MidText("abcdef", 7, 1), Text());
  EXPECT_EQ(MidText("abcdef", 2, 0), Text());
  for (int n : {INT_MIN, INT_MAX}) {
    EXPECT_EQ(LeftText("abc", n), n > 0 ? Text("abc") : Text());
    EXPECT_EQ(RightText("abc", n), n > 0 ? Text("abc") : Text());
    EXPECT_EQ(MidText("abc", n, 1), Text());
    EXPECT_EQ(MidText("abc", 2, n), n > 0 ? Text("bc") : Text());
  }
}

struct FindCase {
  Text text;
  Text sought;
  std::optional<int> start;
  bool ci;
  int forward;
  int reverse;
};

TEST(TextFind, ForwardAndReverseRegions) {
  const FindCase cases[] = {
      {"abcabc", "c", kNone, false, 3, 6},
      {"abcabc", "c", 4, false, 6, 3},  // reverse: only the first 3 bytes
      {"abcabc", "c", 7, false, -1, 6},
      {"abcabc", "c", 1, false, 3, -1},    // reverse with start 1 sees nothing
      {"abcabc", "abc", 6, false, -1, 1},  // the match must lie inside the region
      {"abcabc", "c", INT_MAX, false, -1, 6},
      {"abcabc", "c", INT_MIN, false, 3, -1},
      {"abcabc", "c", 0, false, 3, -1},
      {"abc", "", kNone, false, 1, 1},
      {"abc", "", 2, false, 1, 1},
      {"abc", "", 4, false, -1, 1},
      {"", "", kNone, false, -1, -1},
      {"ABC", "b", kNone, false, -1, -1},
      {"ABC", "b", kNone, true, 2, 2},
      {"a:b:c", ":", kNone, false, 2, 4},
      {"abc", "x", kNone, false, -1, -1},
      // Two characters B0A1 A1A1: A1A1 is found at 3, never at the second byte 2.
      {"\xB0\xA1\xA1\xA1", "\xA1\xA1", kNone, false, 3, 3},
      // Starting inside a character counts boundaries from the region's first byte.
      {"\xB0\xA1\xA1\xA1", "\xA1\xA1", 2, false, 2, -1},
      // Folding works on bytes, as the comparison does: a trail byte in A..Z folds too.
      {"\xB0\x41", "\xB0\x61", kNone, true, 1, 1},
      // A lone lead byte at the end ends the scan.
      {"ab\xB0", "\xB0", kNone, false, -1, -1},
      {"\xB0", "", kNone, false, 1, 1},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text.str() << " / " << c.sought.str() << " start "
                                    << (c.start ? *c.start : -999));
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ci), c.forward);
    EXPECT_EQ(FindTextReverse(c.text, c.sought, c.start, c.ci), c.reverse);
  }
}

TEST(TextCase, ToLowerStepsByCharacters) {
  EXPECT_EQ(ToLower("AbC-1"), Text("abc-1"));
  EXPECT_EQ(ToLower("\xB0\x41Z"), Text("\xB0\x41z"));
  EXPECT_EQ(ToLower("A\xC1"), Text("a\xC1"));
}

TEST(TextBlanks, TrimBothAndRemoveAllSpaces) {
  struct Case {
    Text in;
    Text trimmed;
    Text removed;
  };
  const Case cases[] = {
      {"  ab c  ", "ab c", "abc"},
      {"\xA1\xA1x\xA1\xA1", "x", "x"},
      {"\tab ", "\tab", "\tab"},
      {"  \xA1\xA1 ", "", ""},
      {"", "", ""},
      {" a b\xA1\xA1"
       "c ",
       "a b\xA1\xA1"
       "c",
       "abc"},
      // The A1 of B0A1 is no blank: stepping keeps it with its lead byte.
      {"x\xB0\xA1\xA1\xA1", "x\xB0\xA1", "x\xB0\xA1"},
      {"\xA1\xB0\xA1\xA1", "\xA1\xB0", "\xA1\xB0"},
      {"ab  \xB0", "ab  ", "ab"},  // only the lone lead byte is cut
      {"a \xA1", "a ", "a"},
      {"x\xB0\xA1 y", "x\xB0\xA1 y", "x\xB0\xA1y"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrimBoth(c.in), c.trimmed) << c.in.str();
    EXPECT_EQ(RemoveAllSpaces(c.in), c.removed) << c.in.str();
  }
}

TEST(TextReplace, LeftToRightWithoutOverlap) {
  struct Case {
    Text text;
    Text sought;
    Text replacement;
    std::optional<int> start;
    std::optional<int> count;
    bool cs;
    Text result;
  };
  const Case cases[] = {
      {"aXbXc", "X", "--", kNone, kNone, true, "a--b--c"},
      {"aaa", "aa", "b", kNone, kNone, true, "ba"},
      {"aaa", "a", "aa", kNone, kNone, true, "aaaaaa"},  // the inserted text is not searched
      {"abc", "", "x", kNone, kNone, true, "abc"},
      {"", "a", "x", kNone, kNone, true, ""},
      {"aXbXc", "X", "", kNone, kNone, true, "abc"},
      {"aXbxc", "x", "-", kNone, kNone, false, "a-b-c"},
      {"aXbxc", "x", "-", kNone, kNone, true, "aXb-c"},
      {"xxxx", "x", "y", kNone, 2, true, "yyxx"},
      {"xxxx", "x", "y", kNone, -1, true, "yyyy"},
      {"xxxx", "x", "y", kNone, 0, true, "xxxx"},
      {"xxxx", "x", "y", 3, kNone, true, "xxyy"},
      {"xxxx", "x", "y", 5, kNone, true, "xxxx"},
      {"xxxx", "x", "y", INT_MIN, INT_MAX, true, "yyyy"},
      {"xxxx", "x", "y", INT_MAX, kNone, true, "xxxx"},
      // No match on a second byte; a lone lead byte the scan reaches is dropped.
      {"\xB0\xA1\xA1\xA1", "\xA1\xA1", "_", kNone, kNone, true, "\xB0\xA1_"},
      {"a;\xB0", ";", ",", kNone, kNone, true, "a,"},
      {"a;\xB0", "a;", "", kNone, kNone, true, "\xB0"},  // too few bytes left to scan it
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, c.cs), c.result)
        << c.text.str() << " / " << c.sought.str();
  EXPECT_EQ(ReplaceText("aXbxc", "x"), Text("abc"));  // defaults: delete, ignoring case
}

TEST(TextSplit, EmptyFirstPieceAndNoEmptyLastPiece) {
  struct Case {
    Text text;
    Text delimiter;
    std::optional<int> max;
    TextArray pieces;
  };
  const Case cases[] = {
      {"a;b;;c;", ";", kNone, {"a", "b", "", "c"}},
      {";a", ";", kNone, {"", "a"}},
      {"abc", ";", kNone, {"abc"}},
      {"", ";", kNone, {}},
      {";", ";", kNone, {""}},
      {"abc", "", kNone, {"abc"}},
      {"a\r\nb\r\n\r\n", "\r\n", kNone, {"a", "b", ""}},
      {"a;b;c", ";", 2, {"a", "b"}},
      {"a;b;c", ";", 0, {}},
      {"a;b;c", ";", -5, {}},
      {"a;b;c", ";", INT_MAX, {"a", "b", "c"}},
      {"a,b", Text(), kNone, {"a,b"}},
      // ";" as the second byte of a two-byte character is not a delimiter.
      {"\xB0;x;y", ";", kNone, {"\xB0;x", "y"}},
      {"a;\xB0", ";", kNone, {"a", "\xB0"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SplitText(c.text, c.delimiter, c.max), c.pieces) << c.text.str();
  EXPECT_EQ(SplitText("a,b"), (TextArray{"a", "b"}));
  EXPECT_EQ(ElementCount(SplitText("a;b;;c;", ";")), 4);
}

TEST(TextNumbers, ToIntFoldsFullWidthAndWraps) {
  struct Case {
    Text text;
    int value;
  };
  const Case cases[] = {
      {"  -12x", -12},
      {"2147483648", INT_MIN},
      {"4294967297", 1},
      {"-2147483648", INT_MIN},
      {"99999999999999999999", 1661992959},
      {"+5", 5},
      {"12.5", 12},
      {"", 0},
      {"-", 0},
      {"x1", 0},
      {"\t\n\v\f\r 7", 7},
      {"+-3", 0},
      {"\xA3\xB1\xA3\xB2", 12},
      {"\xA1\xA1\xA3\xAD\xA3\xB3", -3},  // full-width space and minus
      {"\xA3\xAB"
       "4",
       4},
      {"1\xB0\xA1"
       "2",
       1},
      {"\xA3", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ToInt(c.text), c.value) << c.text.str();
}

TEST(TextNumbers, NumberToTextFormats) {
  EXPECT_EQ(NumberToText(7), Text("7"));
  EXPECT_EQ(NumberToText(-1), Text("-1"));
  EXPECT_EQ(NumberToText(INT_MIN), Text("-2147483648"));
  EXPECT_EQ(NumberToText(4.0), Text("4"));
  EXPECT_EQ(NumberToText(2.5), Text("2.5"));
  EXPECT_EQ(NumberToText(1.0 / 3), Text("0.3333333333333"));
  EXPECT_EQ(NumberToText(1e13), Text("1e+13"));
  EXPECT_EQ(NumberToText(9999999999999.0), Text("9999999999999"));
  EXPECT_EQ(NumberToText(0.0001), Text("0.0001"));
  EXPECT_EQ(NumberToText(0.00001), Text("1e-05"));
}

TEST(TextMisc, SmallOperations) {
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength("\xB0\xA1"
                       "a"),
            3);
  EXPECT_EQ(ConcatText(Text("a"), "", std::string("b"), Text()), Text("ab"));
  EXPECT_EQ(CompareText("abc", "abc"), 0);
  EXPECT_EQ(CompareText(Text(), ""), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_GT(CompareText("\xB0", "a"), 0);  // unsigned byte order
  EXPECT_LT(CompareText("a", "b"), 0);
  EXPECT_EQ(BlankText(3), Text("   "));
  EXPECT_EQ(BlankText(INT_MIN), Text());
  EXPECT_EQ(CharFromCode(0), Text());
  EXPECT_EQ(CharFromCode(0x141), Text("A"));
  EXPECT_EQ(CharFromCode(256), Text());
  EXPECT_EQ(CharFromCode(-1), Text("\xFF"));
  EXPECT_EQ(BitOr(1), 1);
  EXPECT_EQ(BitOr(1, 4, 16), 21);
  EXPECT_EQ(TruncateToInteger(2.9), 2);
  EXPECT_EQ(TruncateToInteger(-2.9), -2);
  EXPECT_EQ(TruncateToInteger(1e300), INT_MAX);
  EXPECT_EQ(TruncateToInteger(-1e300), INT_MIN);
  EXPECT_EQ(TruncateToInteger(std::nan("")), 0);
}

TEST(BytesOps, CountedAndNulSafe) {
  const Bytes abnc(std::string_view("ab\0c", 4));
  EXPECT_EQ(BytesLength(abnc), 4);
  EXPECT_EQ(BytesToText(abnc), Text("ab"));
  EXPECT_EQ(BytesToText(Bytes(std::string_view("\0a", 2))), Text());
  EXPECT_TRUE(ToBytes(Text()).empty());
  EXPECT_EQ(ToBytes("ab").str(), "ab");
  EXPECT_TRUE(BytesEqual(Bytes(), ToBytes("")));
  EXPECT_FALSE(BytesEqual(abnc, LeftBytes(abnc, 3)));
  EXPECT_EQ(LeftBytes(abnc, 3).str(), std::string("ab\0", 3));
  EXPECT_EQ(LeftBytes(abnc, 10), abnc);
  EXPECT_TRUE(LeftBytes(abnc, -1).empty());
  EXPECT_EQ(BlankBytes(3).str(), std::string(3, '\0'));
  EXPECT_TRUE(BlankBytes(0).empty());
  EXPECT_EQ(ConcatBytes(ToBytes("a"), Bytes(), abnc).str(), std::string("aab\0c", 5));

  const Bytes hay(std::string_view("\0\1\2\1\2", 5));
  const Bytes needle(std::string_view("\1\2", 2));
  EXPECT_EQ(FindBytes(hay, needle), 2);
  EXPECT_EQ(FindBytes(hay, needle, 3), 4);
  EXPECT_EQ(FindBytes(hay, needle, INT_MIN), 2);
  EXPECT_EQ(FindBytes(hay, needle, 5), -1);
  EXPECT_EQ(FindBytes(hay, needle, 6), -1);
  EXPECT_EQ(FindBytes(hay, needle, INT_MAX), -1);
  EXPECT_EQ(FindBytes(hay, Bytes()), -1);
  EXPECT_EQ(FindBytes(hay, Bytes(std::string_view("\0", 1))), 1);
}

}  // namespace
}  // namespace kovarra
