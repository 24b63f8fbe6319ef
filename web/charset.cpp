#include "web/charset.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/codepage.hpp"
#include "web/charset_system.hpp"

namespace kovarra::web {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kByteOrderMark = 0xFEFF;

enum class CharsetKind { kUtf8, kLocal, kOther, kUnknown };

struct Charset {
  CharsetKind kind = CharsetKind::kUnknown;
  std::string name;  // for kOther: the system converts it
};

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return out;
}

Charset Classify(const Text& name) {
  const std::string n = AsciiLower(name.view());
  if (n.empty() || n.find('/') != std::string::npos) return {};  // "/" would pass options
  if (n == "utf-8" || n == "utf8") return {CharsetKind::kUtf8, {}};
  // The stream object treats gb2312 as code page 936, which is the local code page.
  if (n == "gbk" || n == "gb2312" || n == "cp936" || n == "windows-936" || n == "x-gbk") {
    return {CharsetKind::kLocal, {}};
  }
  if (!system_charset::Knows(name.view())) return {};
  return {CharsetKind::kOther, std::string(name.view())};
}

// Gathers UTF-16 in a small buffer and moves it into local text a block at a time, so the
// table lookups of the code page run over long runs and nothing is kept twice.
class LocalTextSink {
 public:
  explicit LocalTextSink(std::size_t reserve) { out_.Reserve(reserve); }

  // Pairs are written whole, so a block never ends between their halves.
  void Put(char32_t cp) {
    if (cp < 0x10000) return PutUnit(static_cast<char16_t>(cp));
    if (fill_ + 2 > buffer_.size()) Flush();
    cp -= 0x10000;
    buffer_[fill_++] = static_cast<char16_t>(0xD800 + (cp >> 10));
    buffer_[fill_++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
  void PutUnits(std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
      const char16_t u = units[i];
      const bool high = u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size();
      if (high && fill_ + 2 > buffer_.size()) Flush();
      PutUnit(u);
    }
  }
  Text Finish() {
    Flush();
    return std::move(out_);
  }

 private:
  void PutUnit(char16_t u) {
    if (fill_ + 1 > buffer_.size()) Flush();
    buffer_[fill_++] = u;
  }
  void Flush() {
    if (fill_ == 0) return;
    out_ += Utf16ToGbk(std::u16string_view(buffer_.data(), fill_));
    fill_ = 0;
  }

  std::array<char16_t, 8192> buffer_{};
  std::size_t fill_ = 0;
  Text out_;
};

// The local code page is core's, so that every byte of 0x80 or more begins a two-byte character
// here too: a single-byte euro sign (0x80) would swallow the character after it elsewhere.
std::u16string LocalToUtf16(std::string_view local) {
  return GbkToUtf16(local);
}

Text Utf16ToLocal(std::u16string_view units) {
  LocalTextSink sink(units.size() * 2);
  sink.PutUnits(units.substr(0, units.find(u'\0')));
  return sink.Finish();
}

// UTF-8 to local text. A leading byte-order mark is dropped; each maximal invalid subpart
// becomes U+FFFD; the text ends at the first NUL.
Text Utf8ToLocal(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  std::size_t n = s.size();
  std::size_t i = 0;
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) i = 3;

  LocalTextSink sink(n);
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      if (b == 0) break;
      sink.Put(b);
      ++i;
      continue;
    }
    int need;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2, cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3, cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      sink.Put(kReplacement);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool valid = true;
    for (int k = 0; k < need; ++k, ++j) {
      if (j >= n || p[j] < lo || p[j] > hi) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (p[j] & 0x3F);
      lo = 0x80, hi = 0xBF;
    }
    sink.Put(valid ? cp : kReplacement);
    i = j;
  }
  return sink.Finish();
}

// Local text to UTF-8; a lone surrogate half becomes U+FFFD.
std::string LocalToUtf8(const Text& local) {
  const std::u16string u = LocalToUtf16(local.view());
  std::string out;
  out.reserve(u.size() * 3);
  for (std::size_t i = 0; i < u.size(); ++i) {
    char32_t cp = u[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
        u[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (u[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

// Bytes of any other character set to local text; a leading byte-order mark is dropped.
Text OtherToLocal(std::string_view s, const std::string& name) {
  const std::u16string units = system_charset::Decode(name, s);
  std::u16string_view view(units);
  if (!view.empty() && view.front() == kByteOrderMark) view.remove_prefix(1);
  return Utf16ToLocal(view);
}

// Local text to any other character set; a character the target cannot hold becomes its "?".
std::string LocalToOther(const Text& local, const std::string& name) {
  return system_charset::Encode(name, LocalToUtf16(local.view()));
}

}  // namespace

Bytes ConvertCharset(const Bytes& data, Text& fromCharset, Text& toCharset,
                     std::optional<int> skipBytes) {
  if (fromCharset.empty()) fromCharset = "UTF-8";
  if (toCharset.empty()) toCharset = "GBK";
  return StreamConvert(data, fromCharset, toCharset, skipBytes);
}

Bytes ConvertCharset(const Bytes& data) {
  Text from;
  Text to;
  return ConvertCharset(data, from, to);
}

Bytes StreamConvert(const Bytes& data, const Text& fromCharset, const Text& toCharset,
                    std::optional<int> skipBytes) {
  const Charset from = Classify(fromCharset);
  const Charset to = Classify(toCharset);
  // Both names are checked before any work; an unknown one gives nothing.
  if (from.kind == CharsetKind::kUnknown || to.kind == CharsetKind::kUnknown) return Bytes();

  Text local;
  if (from.kind == CharsetKind::kUtf8) {
    local = Utf8ToLocal(data.view());
  } else if (from.kind == CharsetKind::kLocal) {
    // Through Unicode and back, as the stream object does: invalid sequences come out as "?".
    local = Utf16ToLocal(LocalToUtf16(Text(data.view()).view()));
  } else {
    local = OtherToLocal(data.view(), from.name);
  }

  std::string out;
  if (to.kind == CharsetKind::kLocal) {
    out = local.str();
  } else if (to.kind == CharsetKind::kUtf8) {
    out = LocalToUtf8(local);
  } else {
    out = LocalToOther(local, to.name);
  }

  if (skipBytes) {
    const std::size_t skip = *skipBytes < 0 ? 0 : static_cast<std::size_t>(*skipBytes);
    out.erase(0, skip < out.size() ? skip : out.size());
  }
  return Bytes(std::move(out));
}

}  // namespace kovarra::web
