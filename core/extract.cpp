#include "core/extract.hpp"

#include "core/codepage.hpp"

namespace kovarra {

const Text& QuotePlaceholder() {
  static const Text placeholder = Gbk("#引号");
  return placeholder;
}

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker, int startPos,
                 bool caseSensitive) {
  static const Text dq("\"");
  const Text s = ReplaceText(startMarker, QuotePlaceholder(), dq, std::nullopt, std::nullopt, true);
  const Text e = ReplaceText(endMarker, QuotePlaceholder(), dq, std::nullopt, std::nullopt, true);
  const bool ci = !caseSensitive;
  int p = FindText(text, s, startPos, ci);
  if (p == -1) return Text();
  p += TextLength(s);
  const int q = FindText(text, e, p, ci);
  if (q == -1) return Text();
  return MidText(text, p, q - p);
}

Text HeaderValue(const Text& line) {
  const int c = FindText(line, Text(":"));
  if (c == -1) return Text();
  return TrimBoth(RightText(line, TextLength(line) - c));
}

}  // namespace kovarra
