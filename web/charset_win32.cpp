// The other character sets through Windows' code pages, found by the stream object's names.

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <string>

#include "web/charset_system.hpp"

namespace kovarra::web::system_charset {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;

struct Named {
  const char* name;
  UINT codePage;
};

// Names of the Internet's character sets as Windows' MIME database gives them.
constexpr Named kNames[] = {
    {"unicode", kUtf16Le},     {"utf-16", kUtf16Le},   {"utf-16le", kUtf16Le},
    {"unicodefffe", kUtf16Be}, {"utf-16be", kUtf16Be}, {"utf-7", 65000},
    {"us-ascii", 20127},       {"ascii", 20127},       {"iso-8859-1", 28591},
    {"latin1", 28591},         {"iso-8859-2", 28592},  {"iso-8859-3", 28593},
    {"iso-8859-4", 28594},     {"iso-8859-5", 28595},  {"iso-8859-6", 28596},
    {"iso-8859-7", 28597},     {"iso-8859-8", 28598},  {"iso-8859-9", 28599},
    {"iso-8859-13", 28603},    {"iso-8859-15", 28605}, {"koi8-r", 20866},
    {"koi8-u", 21866},         {"big5", 950},          {"shift_jis", 932},
    {"shift-jis", 932},        {"sjis", 932},          {"euc-jp", 20932},
    {"iso-2022-jp", 50220},    {"euc-kr", 949},        {"ks_c_5601-1987", 949},
    {"gb18030", 54936},        {"hz-gb-2312", 52936},  {"ibm437", 437},
    {"ibm850", 850},           {"ibm866", 866},        {"macintosh", 10000},
};

// 0 when the name is none that Windows converts here.
UINT CodePageOf(std::string_view name) {
  std::string n(name);
  std::transform(n.begin(), n.end(), n.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  UINT codePage = 0;
  for (const Named& named : kNames) {
    if (n == named.name) codePage = named.codePage;
  }
  // "windows-1252", "cp1252" and the like name the code page itself.
  for (std::string_view prefix : {"windows-", "cp", "x-cp"}) {
    if (codePage == 0 && n.size() > prefix.size() && n.starts_with(prefix)) {
      const char* first = n.data() + prefix.size();
      const char* last = n.data() + n.size();
      auto [end, ec] = std::from_chars(first, last, codePage);
      if (ec != std::errc() || end != last) codePage = 0;
    }
  }
  if (codePage == kUtf16Le || codePage == kUtf16Be) return codePage;
  // UTF-8 and the local code page are charset.cpp's own; so are the UTF-32 forms, never named.
  if (codePage == CP_UTF8 || codePage == 936 || codePage == 0) return 0;
  return IsValidCodePage(codePage) ? codePage : 0;
}

// Code pages that take no flags (stateful and 7-bit forms).
bool TakesNoFlags(UINT codePage) {
  return codePage == 42 || codePage == 65000 || (codePage >= 50220 && codePage <= 50229) ||
         (codePage >= 57002 && codePage <= 57011);
}

std::u16string DecodeUtf16(std::string_view s, bool bigEndian) {
  std::u16string units;
  units.reserve(s.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    const auto a = static_cast<unsigned char>(s[i]);
    const auto b = static_cast<unsigned char>(s[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? a << 8 | b : b << 8 | a));
  }
  if (s.size() % 2) units.push_back(kReplacement);
  return units;
}

std::string EncodeUtf16(std::u16string_view units, bool bigEndian) {
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    const char hi = static_cast<char>(u >> 8);
    const char lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

// Appends the UTF-16 of bytes that are known to convert; false when they do not.
bool AppendStrict(UINT codePage, DWORD flags, std::string_view s, std::u16string& units) {
  if (s.empty()) return true;
  const int length = static_cast<int>(s.size());
  const int n = MultiByteToWideChar(codePage, flags, s.data(), length, nullptr, 0);
  if (n <= 0) return false;
  const std::size_t at = units.size();
  units.resize(at + static_cast<std::size_t>(n));
  MultiByteToWideChar(codePage, flags, s.data(), length, reinterpret_cast<wchar_t*>(&units[at]), n);
  return true;
}

}  // namespace

bool Knows(std::string_view name) {
  return CodePageOf(name) != 0;
}

std::u16string Decode(std::string_view name, std::string_view s) {
  const UINT codePage = CodePageOf(name);
  if (codePage == kUtf16Le || codePage == kUtf16Be) return DecodeUtf16(s, codePage == kUtf16Be);
  std::u16string units;
  if (codePage == 0 || s.size() > 0x7FFFFFFF) return units;
  units.reserve(s.size());
  const DWORD flags = TakesNoFlags(codePage) ? 0 : MB_ERR_INVALID_CHARS;
  if (AppendStrict(codePage, flags, s, units) || flags == 0) return units;
  // Something in it does not convert: one character at a time, the shortest sequence that
  // converts, and U+FFFD for a byte that begins none.
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t n = 1;
    while (n <= 4 && i + n <= s.size() && !AppendStrict(codePage, flags, s.substr(i, n), units)) {
      ++n;
    }
    if (n <= 4 && i + n <= s.size()) {
      i += n;
    } else {
      units.push_back(kReplacement);
      ++i;
    }
  }
  return units;
}

std::string Encode(std::string_view name, std::u16string_view units) {
  const UINT codePage = CodePageOf(name);
  if (codePage == kUtf16Le || codePage == kUtf16Be) return EncodeUtf16(units, codePage == kUtf16Be);
  std::string out;
  if (codePage == 0 || units.empty() || units.size() > 0x3FFFFFFF) return out;
  const bool plain = TakesNoFlags(codePage);
  const DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* question = plain ? nullptr : "?";
  const auto* in = reinterpret_cast<const wchar_t*>(units.data());
  const int length = static_cast<int>(units.size());
  const int n = WideCharToMultiByte(codePage, flags, in, length, nullptr, 0, question, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(codePage, flags, in, length, out.data(), n, question, nullptr);
  return out;
}

}  // namespace kovarra::web::system_charset
