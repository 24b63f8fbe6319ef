#pragma once

// The local code page (GBK, as Windows code page 936) and its conversions to and from Unicode.
// Source files are UTF-8, so every Chinese literal of the program is written as Gbk("…").

#include <string>
#include <string_view>

#include "core/text.hpp"

namespace kovarra {

// UTF-8 source text to local Text; a character the code page cannot hold becomes "?".
Text Gbk(std::string_view utf8);

// Local Text to UTF-16 and back. A lone lead byte at the end becomes U+FFFD going up;
// a character GBK cannot hold becomes one "?" coming down (a surrogate pair counts as one).
std::u16string GbkToUtf16(std::string_view gbk);
Text Utf16ToGbk(std::u16string_view utf16);

// The same through UTF-8, for display and for tests.
std::string GbkToUtf8(std::string_view gbk);
Text Utf8ToGbk(std::string_view utf8);

}  // namespace kovarra
