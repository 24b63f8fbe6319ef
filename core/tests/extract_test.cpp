#include "core/extract.hpp"

#include <gtest/gtest.h>

#include <climits>

#include "core/codepage.hpp"

namespace kovarra {
namespace {

TEST(Extract, QuotePlaceholderIsGbk) {
  EXPECT_EQ(QuotePlaceholder(), Text("\x23\xD2\xFD\xBA\xC5"));
}

TEST(Extract, TextBetweenMarkers) {
  struct Case {
    Text text;
    Text start;
    Text end;
    int startPos;
    bool cs;
    Text result;
  };
  const Text q = QuotePlaceholder();
  const Case cases[] = {
      {R"({"total":12,"page":1})", R"("total":)", ",", 0, false, "12"},
      {R"({"total":12,"page":1})", ConcatText(q, "total", q, ":"), ",", 0, false, "12"},
      {R"({"a":"x"})", ConcatText(q, "a", q, ":", q), q, 0, false, "x"},
      {R"({"TOTAL":7,)", R"("total":)", ",", 0, false, "7"},
      {R"({"TOTAL":7,)", R"("total":)", ",", 0, true, ""},
      {"a[]b", "[", "]", 0, false, ""},
      {"a[b", "[", "]", 0, false, ""},
      {"ab]", "[", "]", 0, false, ""},
      {"x:1,y:2,", "y:", ",", 0, false, "2"},
      {"a[b]c[d]", "[", "]", 4, false, "d"},
      {"a[b]c[d]", "[", "]", INT_MIN, false, "b"},
      {"a[b]c[d]", "[", "]", INT_MAX, false, ""},
      {"abc", "", "c", 0, false, "ab"},
      {"abc", "a", "", 0, false, ""},
      {"ab[", "[", "]", 0, false, ""},
      {"", "[", "]", 0, false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TextBetween(c.text, c.start, c.end, c.startPos, c.cs), c.result)
        << c.text.str() << " / " << c.start.str() << " / " << c.end.str();
  EXPECT_EQ(TextBetween("https://Host.example/p", "HTTPS://", "/"), Text("Host.example"));
}

TEST(Extract, HeaderValueAfterFirstColon) {
  EXPECT_EQ(HeaderValue("Location: /next "), Text("/next"));
  EXPECT_EQ(HeaderValue("a:b:c"), Text("b:c"));
  EXPECT_EQ(HeaderValue("no colon"), Text());
  EXPECT_EQ(HeaderValue("Name:"), Text());
  EXPECT_EQ(HeaderValue("X:\xA1\xA1v\t"), Text("v\t"));
}

}  // namespace
}  // namespace kovarra
