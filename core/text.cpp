#include "core/text.hpp"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kovarra {
namespace {

using Size = std::size_t;

inline unsigned char At(std::string_view s, Size i) {
  return static_cast<unsigned char>(s[i]);
}

inline bool IsLead(unsigned char b) {
  return b >= 0x80;
}

// A lead byte with nothing after it: the character it starts is cut off by the end of the text.
inline bool IsLoneLead(std::string_view s, Size i) {
  return IsLead(At(s, i)) && i + 1 >= s.size();
}

inline bool IsFullWidthSpace(std::string_view s, Size i) {
  return i + 1 < s.size() && At(s, i) == 0xA1 && At(s, i + 1) == 0xA1;
}

inline unsigned char FoldAscii(unsigned char b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 0x20) : b;
}

inline bool SameAt(std::string_view s, Size pos, std::string_view sought, bool ci) {
  if (!ci) return std::memcmp(s.data() + pos, sought.data(), sought.size()) == 0;
  for (Size i = 0; i < sought.size(); ++i)
    if (FoldAscii(At(s, pos + i)) != FoldAscii(At(sought, i))) return false;
  return true;
}

inline Size CharWidth(std::string_view s, Size i) {
  return IsLead(At(s, i)) ? 2 : 1;
}

// Scans candidates in [begin, end) of s by characters counted from begin. Returns the 1-based
// position of the first (or last) match, or -1.
int ScanRegion(std::string_view s, Size begin, Size end, std::string_view sought, bool ci,
               bool wantLast) {
  if (begin >= end) return -1;
  if (sought.empty()) return 1;
  const Size m = sought.size();
  int found = -1;
  Size pos = begin;
  while (pos < end && end - pos >= m) {
    if (IsLoneLead(s, pos)) break;
    if (SameAt(s, pos, sought, ci)) {
      found = static_cast<int>(pos + 1);
      if (!wantLast) return found;
    }
    pos += CharWidth(s, pos);
  }
  return found;
}

// start − 1 raised to 0, computed without overflow.
inline std::int64_t Offset(std::optional<int> start) {
  if (!start) return 0;
  std::int64_t k = static_cast<std::int64_t>(*start) - 1;
  return k < 0 ? 0 : k;
}

inline int Length(Size n) {
  return n > static_cast<Size>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

}  // namespace

// --- Texts ---

int TextLength(const Text& text) {
  return Length(text.size());
}

int CompareText(const Text& a, const Text& b) {
  int c = a.view().compare(b.view());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Text LeftText(const Text& text, int n) {
  if (n <= 0) return Text();
  return Text(text.view().substr(0, static_cast<Size>(n)));
}

Text RightText(const Text& text, int n) {
  if (n <= 0) return Text();
  Size k = static_cast<Size>(n);
  if (k >= text.size()) return text;
  return Text(text.view().substr(text.size() - k));
}

Text MidText(const Text& text, int start, int n) {
  if (start < 1 || n <= 0 || static_cast<Size>(start) > text.size()) return Text();
  return Text(text.view().substr(static_cast<Size>(start) - 1, static_cast<Size>(n)));
}

int FindText(const Text& text, const Text& sought, std::optional<int> start, bool caseInsensitive) {
  const Size len = text.size();
  const std::int64_t k = Offset(start);
  if (static_cast<std::uint64_t>(k) >= len && k != 0) return -1;
  return ScanRegion(text.view(), static_cast<Size>(k), len, sought.view(), caseInsensitive, false);
}

int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start,
                    bool caseInsensitive) {
  const Size len = text.size();
  Size end = len;
  if (start) {
    const std::int64_t k = Offset(start);
    end = static_cast<std::uint64_t>(k) < len ? static_cast<Size>(k) : len;
  }
  return ScanRegion(text.view(), 0, end, sought.view(), caseInsensitive, true);
}

Text ToLower(const Text& text) {
  std::string out(text.str());
  const Size n = out.size();
  for (Size i = 0; i < n;) {
    unsigned char b = static_cast<unsigned char>(out[i]);
    if (IsLead(b)) {
      i += 2;
    } else {
      out[i] = static_cast<char>(FoldAscii(b));
      ++i;
    }
  }
  return Text(std::move(out));
}

Text TrimBoth(const Text& text) {
  std::string_view s = text.view();
  const Size n = s.size();
  Size first = 0;
  while (first < n) {
    if (At(s, first) == 0x20) {
      ++first;
    } else if (IsFullWidthSpace(s, first)) {
      first += 2;
    } else {
      break;
    }
  }
  Size end = n;
  Size runStart = n;  // n: not inside a run of blanks
  Size i = first;
  while (i < n) {
    if (IsLoneLead(s, i)) {
      end = i;
      runStart = n;
      break;
    }
    bool blank = At(s, i) == 0x20 || IsFullWidthSpace(s, i);
    if (!blank) {
      runStart = n;
    } else if (runStart == n) {
      runStart = i;
    }
    i += CharWidth(s, i);
  }
  if (runStart != n) end = runStart;
  return Text(s.substr(first, end - first));
}

Text RemoveAllSpaces(const Text& text) {
  std::string_view s = text.view();
  std::string out;
  out.reserve(s.size());
  for (Size i = 0; i < s.size();) {
    if (IsLoneLead(s, i)) break;
    if (At(s, i) == 0x20) {
      ++i;
    } else if (IsFullWidthSpace(s, i)) {
      i += 2;
    } else {
      Size w = CharWidth(s, i);
      out.append(s.substr(i, w));
      i += w;
    }
  }
  return Text(std::move(out));
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement,
                 std::optional<int> start, std::optional<int> count, bool caseSensitive) {
  std::string_view s = text.view();
  std::string_view f = sought.view();
  const Size n = s.size();
  const std::int64_t k = Offset(start);
  if (n == 0 || f.empty() || static_cast<std::uint64_t>(k) >= n || (count && *count == 0))
    return text;
  const int limit = (count && *count > 0) ? *count : 0;  // 0: no limit
  const bool ci = !caseSensitive;
  const Size m = f.size();

  std::string out;
  out.reserve(n);
  Size pos = static_cast<Size>(k);
  out.append(s.substr(0, pos));
  int done = 0;
  while (pos < n && n - pos >= m) {
    if (IsLoneLead(s, pos)) {
      ++pos;  // dropped
      break;
    }
    if (SameAt(s, pos, f, ci)) {
      out.append(replacement.view());
      pos += m;
      if (limit && ++done == limit) break;
    } else {
      Size w = CharWidth(s, pos);
      out.append(s.substr(pos, w));
      pos += w;
    }
  }
  if (pos < n) out.append(s.substr(pos));
  return Text(std::move(out));
}

TextArray SplitText(const Text& text, const Text& delimiter, std::optional<int> maxCount) {
  TextArray out;
  std::string_view s = text.view();
  std::string_view d = delimiter.view();
  const int limit = maxCount ? (*maxCount < 0 ? 0 : *maxCount) : -1;  // -1: no limit
  if (s.empty() || limit == 0) return out;
  if (d.empty()) {
    out.push_back(text);
    return out;
  }
  const Size n = s.size();
  const Size m = d.size();
  Size pieceStart = 0;
  Size pos = 0;
  while (pos < n && n - pos >= m) {
    if (IsLoneLead(s, pos)) break;
    if (std::memcmp(s.data() + pos, d.data(), m) == 0) {
      out.emplace_back(s.substr(pieceStart, pos - pieceStart));
      pos += m;
      pieceStart = pos;
      if (limit > 0 && static_cast<Size>(limit) == out.size()) return out;
    } else {
      pos += CharWidth(s, pos);
    }
  }
  if (pieceStart < n) out.emplace_back(s.substr(pieceStart));
  return out;
}

int ToInt(const Text& text) {
  std::string_view s = text.view();
  std::string folded;
  folded.reserve(s.size());
  for (Size i = 0; i < s.size();) {
    unsigned char b = At(s, i);
    if (!IsLead(b)) {
      folded.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    if (i + 1 >= s.size()) break;
    unsigned char t = At(s, i + 1);
    if (b == 0xA3 && t >= 0xA1 && t <= 0xFE) {
      folded.push_back(static_cast<char>(t - 0x80));
    } else if (b == 0xA1 && t == 0xA1) {
      folded.push_back(' ');
    } else if (b == 0xA1 && t == 0xAB) {
      folded.push_back('~');
    } else if (b == 0xA1 && (t == 0xEE || t == 0xEF)) {
      folded.push_back('*');
    } else {
      folded.push_back(static_cast<char>(b));
      folded.push_back(static_cast<char>(t));
    }
    i += 2;
  }
  Size i = 0;
  while (i < folded.size() && (folded[i] == ' ' || (folded[i] >= 0x09 && folded[i] <= 0x0D))) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) negative = folded[i++] == '-';
  // Unsigned arithmetic wraps like the 32-bit two's-complement sum, without undefined behaviour.
  std::uint32_t value = 0;
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i)
    value = value * 10u + static_cast<std::uint32_t>(folded[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

Text NumberToText(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", value);
  return Text(buf);
}

Text NumberToText(double value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.13g", value);
  return Text(buf);
}

Text BlankText(int n) {
  if (n <= 0) return Text();
  return Text(std::string(static_cast<Size>(n), ' '));
}

Text CharFromCode(int code) {
  char c = static_cast<char>(static_cast<unsigned>(code) & 0xFFu);
  if (c == '\0') return Text();
  return Text(std::string(1, c));
}

int TruncateToInteger(double x) {
  // Out of range and NaN have no integer; clamp rather than invoke undefined behaviour.
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return INT_MAX;
  if (x <= -2147483648.0) return INT_MIN;
  return static_cast<int>(x);
}

// --- Bytes ---

int BytesLength(const Bytes& bytes) {
  return Length(bytes.size());
}

Bytes ToBytes(const Text& text) {
  return Bytes(text.view());
}

Text BytesToText(const Bytes& bytes) {
  return Text(bytes.view());
}

Text BytesToText(Bytes&& bytes) {
  return Text(bytes.Release());
}

Bytes LeftBytes(const Bytes& bytes, int n) {
  if (n <= 0) return Bytes();
  return Bytes(bytes.view().substr(0, static_cast<Size>(n)));
}

int FindBytes(const Bytes& bytes, const Bytes& sought, std::optional<int> start) {
  const std::int64_t k = Offset(start);
  if (sought.empty() || static_cast<std::uint64_t>(k) >= bytes.size()) return -1;
  Size at = bytes.view().find(sought.view(), static_cast<Size>(k));
  return at == std::string_view::npos ? -1 : static_cast<int>(at + 1);
}

Bytes BlankBytes(int n) {
  if (n <= 0) return Bytes();
  return Bytes(std::string(static_cast<Size>(n), '\0'));
}

bool BytesEqual(const Bytes& a, const Bytes& b) {
  return a == b;
}

// --- Arrays ---

int ElementCount(const TextArray& array) {
  return Length(array.size());
}

}  // namespace kovarra
