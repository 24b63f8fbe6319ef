// Code page 936 as glibc's iconv knows it.

#include <iconv.h>

#include <cstddef>

#include "core/codepage_tables.hpp"

namespace kovarra::codepage {

void FillFromSystem(Tables& t) {
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-16LE", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      unsigned char out[4] = {};
      char* ip = in;
      std::size_t il = sizeof in;
      char* op = reinterpret_cast<char*>(out);
      std::size_t ol = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &ip, &il, &op, &ol) != 0 || il != 0 || ol != 2) continue;
      Map(t, lead << 8 | trail, static_cast<char16_t>(out[0] | out[1] << 8));
    }
  }
  iconv_close(cd);
}

}  // namespace kovarra::codepage
