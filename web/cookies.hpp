#pragma once

// Text-based cookie merging for WebRequest: a cookie is one item name=value of a text whose
// items are separated by ";". No domain, path, expiry or attributes.

#include "core/text.hpp"

namespace kovarra::web {

// Merges the cookies a response set (newCookies) into the caller's set (oldCookies): new ones
// first in their order, then old ones whose name is not among them; "=deleted" items dropped;
// exact repeats removed; items joined by "; ". Both texts lose their spaces; the merged text is
// written into oldCookies and returned.
Text MergeCookies(Text& oldCookies, Text& newCookies);

// The trimmed text before the first "=", or the whole trimmed item when it has none.
Text CookieName(const Text& item);

// Whether an item of list has the name, compared byte for byte.
bool HasCookieName(const TextArray& list, const Text& name);

// The pieces of text between separators, each kept only at its first occurrence.
Text RemoveDuplicateItems(const Text& text, const Text& separator);

// The 1-based index of the first element equal to item byte for byte; -1 when none.
int FindItem(const TextArray& list, const Text& item);

}  // namespace kovarra::web
