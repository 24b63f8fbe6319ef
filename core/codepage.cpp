#include "core/codepage.hpp"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

namespace kovarra {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Both directions as flat lookups, built once from iconv so no conversion calls iconv again.
// up[lead << 8 | trail] is the UTF-16 unit of a double-byte code (U+FFFD when it has none);
// down[unit] is the GBK code of a BMP unit: 0 for none, below 0x100 a single byte.
struct Tables {
  std::array<char16_t, 0x10000> up;
  std::array<std::uint16_t, 0x10000> down;
};

void Map(Tables& t, unsigned code, char16_t unit) {
  t.up[code] = unit;
  if (t.down[unit] == 0) t.down[unit] = static_cast<std::uint16_t>(code);
}

// The user-defined areas of code page 936 map row by row onto the private use area, as Windows
// maps them; glibc leaves them out, and without them such characters would not survive a round
// trip.
void AddUserDefinedAreas(Tables& t) {
  char16_t unit = 0xE000;
  for (unsigned lead = 0xAA; lead <= 0xAF; ++lead)
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) Map(t, lead << 8 | trail, unit++);
  for (unsigned lead = 0xF8; lead <= 0xFE; ++lead)
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) Map(t, lead << 8 | trail, unit++);
  for (unsigned lead = 0xA1; lead <= 0xA7; ++lead)
    for (unsigned trail = 0x40; trail <= 0xA0; ++trail)
      if (trail != 0x7F) Map(t, lead << 8 | trail, unit++);
}

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  t->up.fill(kReplacement);
  t->down.fill(0);
  for (unsigned c = 1; c < 0x80; ++c) t->down[c] = static_cast<std::uint16_t>(c);

  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-16LE", "GBK");
  if (cd != reinterpret_cast<iconv_t>(-1)) {
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
        char16_t unit = static_cast<char16_t>(out[0] | out[1] << 8);
        // A surrogate or a NUL would break the one-character-one-unit rule; never expected.
        if (unit == 0 || unit == kReplacement || (unit >= 0xD800 && unit <= 0xDFFF)) continue;
        Map(*t, lead << 8 | trail, unit);
      }
    }
    iconv_close(cd);
  }
  // The single byte 0x80 (the euro sign in code page 936) is left out on purpose: every byte of
  // 0x80 or more starts a two-byte character here, so a lone 0x80 would swallow the next one.
  AddUserDefinedAreas(*t);
  return t;
}

const Tables& GetTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | cp >> 6));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | cp >> 12));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | cp >> 18));
    out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Appends the GBK form of one BMP unit (never a surrogate, never 0).
inline void AppendGbk(std::string& out, const Tables& t, char16_t unit) {
  std::uint16_t code = t.down[unit];
  if (code == 0) {
    out.push_back('?');
  } else if (code < 0x100) {
    out.push_back(static_cast<char>(code));
  } else {
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  const Tables& t = GetTables();
  std::u16string out;
  out.resize(gbk.size());
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  std::size_t i = 0;
  std::size_t k = 0;
  while (i < n) {
    unsigned b = p[i];
    if (b < 0x80) {
      out[k++] = static_cast<char16_t>(b);
      ++i;
    } else if (i + 1 < n) {
      out[k++] = t.up[b << 8 | p[i + 1]];
      i += 2;
    } else {
      out[k++] = kReplacement;
      ++i;
    }
  }
  out.resize(k);
  return out;
}

std::string GbkToUtf8(std::string_view gbk) {
  const Tables& t = GetTables();
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  std::size_t i = 0;
  while (i < n) {
    unsigned b = p[i];
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
    } else if (i + 1 < n) {
      AppendUtf8(out, t.up[b << 8 | p[i + 1]]);
      i += 2;
    } else {
      AppendUtf8(out, kReplacement);
      ++i;
    }
  }
  return out;
}

Text Utf16ToGbk(std::u16string_view utf16) {
  const Tables& t = GetTables();
  std::string out;
  out.reserve(utf16.size() * 2);
  const std::size_t n = utf16.size();
  for (std::size_t i = 0; i < n; ++i) {
    char16_t u = utf16[i];
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDFFF) {
      // A pair is one character beyond the BMP; a lone half is one broken character.
      if (u <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) ++i;
      out.push_back('?');
      continue;
    }
    AppendGbk(out, t, u);
  }
  return Text(std::move(out));
}

Text Utf8ToGbk(std::string_view utf8) {
  const Tables& t = GetTables();
  std::string out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  while (i < n) {
    unsigned b = p[i];
    if (b < 0x80) {
      if (b == 0) break;
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    // Decode one sequence; whatever prefix of a valid sequence is present before it breaks
    // (the maximal invalid subsequence) is one "?".
    std::size_t need;
    char32_t cp;
    unsigned lo = 0x80;
    unsigned hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
      cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
      cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      out.push_back('?');
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool ok = true;
    for (std::size_t got = 0; got < need; ++got, ++j) {
      if (j >= n || p[j] < lo || p[j] > hi) {
        ok = false;
        break;
      }
      cp = cp << 6 | (p[j] & 0x3F);
      lo = 0x80;
      hi = 0xBF;
    }
    i = j;
    if (!ok || cp > 0xFFFF) {
      out.push_back('?');
    } else {
      AppendGbk(out, t, static_cast<char16_t>(cp));
    }
  }
  return Text(std::move(out));
}

Text Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8);
}

}  // namespace kovarra
