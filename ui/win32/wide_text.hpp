#pragma once

// Text is GBK; the W functions speak UTF-16. The two meet only here.

#include <string>
#include <string_view>

#include "core/codepage.hpp"
#include "core/text.hpp"

namespace kovarra::win32 {

inline std::wstring Wide(const Text& text) {
  const std::u16string utf16 = GbkToUtf16(text.view());
  return std::wstring(utf16.begin(), utf16.end());
}

// A design text (UTF-8) as the window shows it: through the local code page, like every caption.
inline std::wstring WideDesign(std::string_view utf8) {
  return Wide(Gbk(utf8));
}

inline Text FromWide(std::wstring_view wide) {
  return Utf16ToGbk(std::u16string(wide.begin(), wide.end()));
}

}  // namespace kovarra::win32
