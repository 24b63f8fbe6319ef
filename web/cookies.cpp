#include "web/cookies.hpp"

namespace kovarra::web {

Text MergeCookies(Text& oldCookies, Text& newCookies) {
  oldCookies = RemoveAllSpaces(oldCookies);
  newCookies = RemoveAllSpaces(newCookies);

  const TextArray oldList = SplitText(oldCookies, ";");
  TextArray newList = SplitText(newCookies, ";");
  // The new list grows here, so of several old items with one name only the first is kept.
  for (const Text& item : oldList) {
    if (!HasCookieName(newList, CookieName(item))) newList.push_back(item);
  }

  Text merged;
  for (const Text& item : newList) {
    if (CompareText(RightText(item, 8), "=deleted") != 0) merged.Append(item.view()).Append("; ");
  }
  merged = LeftText(merged, TextLength(merged) - 2);
  oldCookies = RemoveDuplicateItems(merged, "; ");
  return oldCookies;
}

Text CookieName(const Text& item) {
  const int eq = FindText(item, "=");
  return TrimBoth(eq != -1 ? LeftText(item, eq - 1) : item);
}

bool HasCookieName(const TextArray& list, const Text& name) {
  for (const Text& item : list) {
    if (CompareText(CookieName(item), name) == 0) return true;
  }
  return false;
}

Text RemoveDuplicateItems(const Text& text, const Text& separator) {
  TextArray seen;
  Text out;
  for (const Text& piece : SplitText(text, separator)) {
    if (FindItem(seen, piece) != -1) continue;
    seen.push_back(piece);
    out.Append(piece.view()).Append(separator.view());
  }
  // An empty piece kept last would leave a separator at the end, and the text would read
  // back differently: drop it with its separator.
  if (!seen.empty() && seen.back().empty()) {
    out = LeftText(out, TextLength(out) - TextLength(separator));
  }
  return LeftText(out, TextLength(out) - TextLength(separator));
}

int FindItem(const TextArray& list, const Text& item) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (CompareText(list[i], item) == 0) return static_cast<int>(i) + 1;
  }
  return -1;
}

}  // namespace kovarra::web
