#include "web/charset.hpp"

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

// The local code page is core's, so that every byte of 0x80 or more begins a two-byte character
// here too: a single-byte euro sign (0x80) would swallow the character after it elsewhere.
std::u16string LocalToUtf16(std::string_view local) {
  return GbkToUtf16(local);
}

// The text ends at the first NUL.
Text Utf16ToLocal(std::u16string_view units) {
  return Utf16ToGbk(units);
}

// UTF-8 to local text. A leading byte-order mark is dropped; each maximal invalid subpart, and
// each character the code page lacks, becomes "?"; the text ends at the first NUL.
Text Utf8ToLocal(std::string_view s) {
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  return Utf8ToGbk(s);
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
