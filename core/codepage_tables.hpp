#pragma once

// The lookup tables behind core/codepage.hpp. Each system fills them from its own code page 936
// (codepage_iconv.cpp, codepage_win32.cpp); codepage.cpp completes them the same way on both.

#include <array>
#include <cstdint>

namespace kovarra::codepage {

constexpr char16_t kReplacement = 0xFFFD;

// up[lead << 8 | trail] is the UTF-16 unit of a double-byte code (U+FFFD when it has none);
// down[unit] is the GBK code of a BMP unit: 0 for none, below 0x100 a single byte.
struct Tables {
  std::array<char16_t, 0x10000> up;
  std::array<std::uint16_t, 0x10000> down;
};

// Adds one double-byte code; the first code found for a unit is the one it goes down to.
inline void Map(Tables& t, unsigned code, char16_t unit) {
  t.up[code] = unit;
  if (t.down[unit] == 0) t.down[unit] = static_cast<std::uint16_t>(code);
}

// Fills in what the system's code page 936 maps for the double-byte codes (leads 0x81-0xFE,
// trails 0x40-0xFE) in both directions; what it cannot map stays U+FFFD up and 0 down.
void FillFromSystem(Tables& t);

}  // namespace kovarra::codepage
