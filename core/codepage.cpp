#include "core/codepage.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/codepage_tables.hpp"

namespace kovarra {
namespace {

using codepage::kReplacement;
using codepage::Map;
using codepage::Tables;

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

// Windows also gives the cells that rows A2-A9, D7 and FE leave empty the private use units
// after the user-defined areas, in order; glibc leaves them out too.
void AddEmptyCells(Tables& t) {
  char16_t unit = 0xE766;
  auto fill_row = [&](unsigned lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const unsigned code = lead << 8 | trail;
      if (t.up[code] == kReplacement) Map(t, code, unit++);
    }
  };
  for (unsigned lead = 0xA2; lead <= 0xA9; ++lead) fill_row(lead);
  fill_row(0xD7);
  fill_row(0xFE);
}

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  t->up.fill(kReplacement);
  t->down.fill(0);
  codepage::FillFromSystem(*t);
  // A surrogate or a NUL would break the one-character-one-unit rule; never expected.
  for (char16_t& unit : t->up) {
    if (unit == 0 || (unit >= 0xD800 && unit <= 0xDFFF)) unit = kReplacement;
  }
  // Only double-byte codes go down: the single byte 0x80 (the euro sign in code page 936) is left
  // out on purpose, since every byte of 0x80 or more starts a two-byte character here and a lone
  // 0x80 would swallow the next one.
  for (std::uint16_t& code : t->down) {
    if (code < 0x100 || t->up[code] == kReplacement) code = 0;
  }
  t->down[kReplacement] = 0;
  for (unsigned c = 1; c < 0x80; ++c) t->down[c] = static_cast<std::uint16_t>(c);
  AddUserDefinedAreas(*t);
  AddEmptyCells(*t);
  return t;
}

const Tables& GetTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

// Writes the UTF-8 form of a BMP unit; returns the position after it.
inline char* PutUtf8(char* o, char16_t u) {
  if (u < 0x80) {
    *o++ = static_cast<char>(u);
  } else if (u < 0x800) {
    *o++ = static_cast<char>(0xC0 | u >> 6);
    *o++ = static_cast<char>(0x80 | (u & 0x3F));
  } else {
    *o++ = static_cast<char>(0xE0 | u >> 12);
    *o++ = static_cast<char>(0x80 | (u >> 6 & 0x3F));
    *o++ = static_cast<char>(0x80 | (u & 0x3F));
  }
  return o;
}

// Writes the GBK form of one BMP unit (never a surrogate, never 0).
inline char* PutGbk(char* o, const Tables& t, char16_t unit) {
  std::uint16_t code = t.down[unit];
  if (code == 0) {
    *o++ = '?';
  } else if (code < 0x100) {
    *o++ = static_cast<char>(code);
  } else {
    *o++ = static_cast<char>(code >> 8);
    *o++ = static_cast<char>(code & 0xFF);
  }
  return o;
}

// Length of the run of ASCII bytes starting at p, checked eight bytes at a time.
inline std::size_t AsciiRun(const unsigned char* p, std::size_t n) {
  std::size_t i = 0;
  while (i + 8 <= n) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (w & 0x8080808080808080ull) break;
    i += 8;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  const Tables& t = GetTables();
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  std::u16string out(n, u'\0');
  char16_t* o = out.data();
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = AsciiRun(p + i, n - i);
    for (std::size_t end = i + run; i < end; ++i) *o++ = static_cast<char16_t>(p[i]);
    if (i >= n) break;
    // p[i] is a lead byte.
    if (i + 1 < n) {
      *o++ = t.up[static_cast<unsigned>(p[i]) << 8 | p[i + 1]];
      i += 2;
    } else {
      *o++ = kReplacement;
      ++i;
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::string GbkToUtf8(std::string_view gbk) {
  const Tables& t = GetTables();
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  // At most three bytes out for every byte in (a lone lead byte becomes U+FFFD).
  std::string out(n * 3, '\0');
  char* o = out.data();
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = AsciiRun(p + i, n - i);
    std::memcpy(o, p + i, run);
    o += run;
    i += run;
    if (i >= n) break;
    if (i + 1 < n) {
      o = PutUtf8(o, t.up[static_cast<unsigned>(p[i]) << 8 | p[i + 1]]);
      i += 2;
    } else {
      o = PutUtf8(o, kReplacement);
      ++i;
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

Text Utf16ToGbk(std::u16string_view utf16) {
  const Tables& t = GetTables();
  const std::size_t n = utf16.size();
  std::string out(n * 2, '\0');
  char* o = out.data();
  for (std::size_t i = 0; i < n; ++i) {
    char16_t u = utf16[i];
    if (u < 0x80) {
      if (u == 0) break;
      *o++ = static_cast<char>(u);
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      // A pair is one character beyond the BMP; a lone half is one broken character.
      if (u <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) ++i;
      *o++ = '?';
    } else {
      o = PutGbk(o, t, u);
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return Text(std::move(out));
}

Text Utf8ToGbk(std::string_view utf8) {
  const Tables& t = GetTables();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  // Never longer than the input: each sequence or broken piece gives at most as many bytes.
  std::string out(n, '\0');
  char* o = out.data();
  std::size_t i = 0;
  while (i < n) {
    unsigned b = p[i];
    if (b < 0x80) {
      const std::size_t run = AsciiRun(p + i, n - i);
      if (const void* nul = std::memchr(p + i, 0, run)) {
        const auto k = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - (p + i));
        std::memcpy(o, p + i, k);
        o += k;
        break;
      }
      std::memcpy(o, p + i, run);
      o += run;
      i += run;
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
      *o++ = '?';
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
      *o++ = '?';
    } else {
      o = PutGbk(o, t, static_cast<char16_t>(cp));
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return Text(std::move(out));
}

Text Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8);
}

}  // namespace kovarra
