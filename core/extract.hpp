#pragma once

#include "core/text.hpp"

namespace kovarra {

// "#引号" in GBK: stands for a double quote in markers and patterns, so callers need no escapes.
const Text& QuotePlaceholder();

// The bytes between startMarker and the first endMarker after it; empty when either is missing.
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker, int startPos = 0,
                 bool caseSensitive = false);

// Everything after the first colon of a header line, trimmed.
Text HeaderValue(const Text& line);

}  // namespace kovarra
