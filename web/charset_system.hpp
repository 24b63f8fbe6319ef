#pragma once

// The system's own conversions for the character sets that charset.cpp does not handle itself
// (neither UTF-8 nor the local code page), under the stream object's names: iconv on Linux
// (charset_iconv.cpp), Windows' code page identifiers on Windows (charset_win32.cpp).

#include <string>
#include <string_view>

namespace kovarra::web::system_charset {

// Whether the system converts the named character set, both ways.
bool Knows(std::string_view name);

// Bytes of the named set to UTF-16. Each invalid byte becomes U+FFFD and the scan goes on after
// it; an incomplete sequence at the end becomes one U+FFFD.
std::u16string Decode(std::string_view name, std::string_view bytes);

// BMP units (no surrogates) to bytes of the named set; a character the set cannot hold becomes
// the set's "?".
std::string Encode(std::string_view name, std::u16string_view units);

}  // namespace kovarra::web::system_charset
