#pragma once

// Shared by the fuzz targets: a property check that libFuzzer sees as a crash, and the few
// facts about local text (character stepping, blanks, well-formed GBK) the properties are
// stated in.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.hpp"

namespace kovarra::fuzz {

// A broken property is a finding: name it and abort, so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "\nproperty broken: %s (%s:%d)\n", what, file, line);
  std::abort();
}

#define FUZZ_REQUIRE(cond) ((cond) ? void(0) : ::kovarra::fuzz::Fail(#cond, __FILE__, __LINE__))

inline unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

inline bool HasNul(std::string_view s) {
  return s.find('\0') != std::string_view::npos;
}

// Every Text a routine hands back must keep the type's promise even when the routine built it
// by hand.
inline void RequireText(const Text& t) {
  FUZZ_REQUIRE(!HasNul(t.view()));
}

// Offsets at which characters begin when s is walked from `from`: a byte of 0x80 or more
// takes the byte after it along. A lead byte on the last byte is listed too (a lone lead).
inline std::vector<std::size_t> CharStarts(std::string_view s, std::size_t from = 0) {
  std::vector<std::size_t> starts;
  for (std::size_t i = from; i < s.size(); i += At(s, i) >= 0x80 ? 2 : 1) starts.push_back(i);
  return starts;
}

inline bool IsLoneLead(std::string_view s, std::size_t i) {
  return i + 1 == s.size() && At(s, i) >= 0x80;
}

// The character starting at i is a blank: the ASCII space or the full-width space A1 A1.
inline bool BlankAt(std::string_view s, std::size_t i) {
  if (At(s, i) == 0x20) return true;
  return At(s, i) == 0xA1 && i + 1 < s.size() && At(s, i + 1) == 0xA1;
}

inline bool HasBlankCharacter(std::string_view s) {
  for (std::size_t i : CharStarts(s))
    if (BlankAt(s, i)) return true;
  return false;
}

// Decodable as GBK: ASCII bytes, or a lead byte 81..FE followed by a trail byte 40..FE other
// than 7F.
inline bool WellFormedGbk(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    unsigned char b = At(s, i);
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b == 0x80 || b == 0xFF || i + 1 >= s.size()) return false;
    unsigned char t = At(s, i + 1);
    if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
    i += 2;
  }
  return true;
}

inline unsigned char FoldAscii(unsigned char b) {
  return b >= 'A' && b <= 'Z' ? b + 0x20 : b;
}

inline bool SameAt(std::string_view text, std::size_t at, std::string_view sought, bool fold) {
  if (at + sought.size() > text.size()) return false;
  for (std::size_t i = 0; i < sought.size(); ++i) {
    unsigned char a = At(text, at + i), b = At(sought, i);
    if (fold ? FoldAscii(a) != FoldAscii(b) : a != b) return false;
  }
  return true;
}

inline Text TakeText(FuzzedDataProvider& in, std::size_t maxLength = 256) {
  return Text(in.ConsumeRandomLengthString(maxLength));
}

inline std::optional<int> TakeOptionalInt(FuzzedDataProvider& in, int low, int high) {
  if (!in.ConsumeBool()) return std::nullopt;
  return in.ConsumeIntegralInRange<int>(low, high);
}

}  // namespace kovarra::fuzz
