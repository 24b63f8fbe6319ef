#pragma once

// Re-encoding of bytes between character sets named as the Windows stream object names them
// ("UTF-8", "GBK", "gb2312", "unicode", …). The text passes through the local code page on
// the way: a character GBK cannot hold becomes one "?", and the text ends at its first NUL.

#include <optional>

#include "core/text.hpp"

namespace kovarra::web {

// Converts data from fromCharset to toCharset. An empty name is set to "UTF-8" (source) or
// "GBK" (target) in the caller's variable. When skipBytes is given, that many bytes of the
// converted output are left out. An unknown character set name gives empty Bytes.
Bytes ConvertCharset(const Bytes& data, Text& fromCharset, Text& toCharset,
                     std::optional<int> skipBytes = std::nullopt);

// UTF-8 to GBK, both names left out.
Bytes ConvertCharset(const Bytes& data);

// The conversion itself, with both names already given.
Bytes StreamConvert(const Bytes& data, const Text& fromCharset, const Text& toCharset,
                    std::optional<int> skipBytes);

}  // namespace kovarra::web
