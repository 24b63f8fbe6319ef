#include "web/wire.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace kovarra::web::wire {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

bool IsSafeHost(std::string_view host) {
  if (host.empty()) return false;
  return std::none_of(host.begin(), host.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7f || std::strchr("/?#@\\%", c) != nullptr;
  });
}

bool IsToken(std::string_view s) {
  if (s.empty()) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u > 0x20 && u < 0x7f && std::strchr("()<>@,;:\\\"/[]?={}", c) == nullptr;
  });
}

std::string EscapeObject(std::string_view object) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(object.size() + 1);
  if (object.empty() || object.front() != '/') out += '/';
  for (char c : object) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7f || std::strchr("\"<>\\^`{|}", c) != nullptr) {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

bool CopyRawHeaders(const std::string& headers, char* buffer, std::uint32_t& length) {
  if (headers.empty()) return false;
  const std::size_t needed = headers.size() + 1;
  if (!buffer || length < needed) {
    length = static_cast<std::uint32_t>(std::min<std::size_t>(needed, UINT32_MAX));
    return false;
  }
  std::memcpy(buffer, headers.data(), headers.size());
  buffer[headers.size()] = '\0';
  length = static_cast<std::uint32_t>(headers.size());
  return true;
}

}  // namespace kovarra::web::wire
