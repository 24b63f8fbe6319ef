#include "ui/web_address.hpp"

#include <cctype>
#include <string_view>

#include "core/codepage.hpp"

namespace kovarra {

namespace {

bool IsHex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool NeedsEncoding(unsigned char c) {
  return c <= 0x20 || c >= 0x7F ||
         std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> WebAddress(const Text& url) {
  const std::string utf8 = GbkToUtf8(url.view());
  std::size_t hostAt = 0;
  for (std::string_view scheme : {"http://", "https://"}) {
    if (StartsWithNoCase(utf8, scheme)) hostAt = scheme.size();
  }
  if (hostAt == 0 || hostAt >= utf8.size()) return std::nullopt;
  const char first = utf8[hostAt];
  if (first == '/' || first == '?' || first == '#' || first == ' ') return std::nullopt;

  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string address;
  address.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const bool escape = c == '%' && i + 2 < utf8.size() && IsHex(utf8[i + 1]) && IsHex(utf8[i + 2]);
    if (NeedsEncoding(c) || (c == '%' && !escape)) {
      address += '%';
      address += kDigits[c >> 4];
      address += kDigits[c & 0xF];
    } else {
      address += static_cast<char>(c);
    }
  }
  return address;
}

}  // namespace kovarra
