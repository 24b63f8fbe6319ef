// Code page 936 as Windows knows it.

#include <windows.h>

#include "core/codepage_tables.hpp"

namespace kovarra::codepage {

void FillFromSystem(Tables& t) {
  constexpr UINT kCodePage = 936;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      wchar_t out[2] = {};
      if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, in, 2, out, 2) == 1) {
        t.up[lead << 8 | trail] = static_cast<char16_t>(out[0]);
      }
    }
  }
  // Down with no best fit: a unit the code page lacks is not written as a look-alike.
  for (unsigned unit = 0x80; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const wchar_t in = static_cast<wchar_t>(unit);
    unsigned char out[4] = {};
    BOOL usedDefault = FALSE;
    const int n =
        WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &in, 1, reinterpret_cast<char*>(out),
                            sizeof out, nullptr, &usedDefault);
    if (n == 2 && !usedDefault) t.down[unit] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
  }
}

}  // namespace kovarra::codepage
