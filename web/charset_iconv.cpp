// The other character sets through glibc's iconv.

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <string>

#include "web/charset_system.hpp"

namespace kovarra::web::system_charset {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr const char* kUtf16Native =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// The stream object's names for UTF-16 as iconv knows them; any other name is iconv's own.
std::string IconvName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  if (lower == "unicode") return "UTF-16LE";
  if (lower == "unicodefffe") return "UTF-16BE";
  return std::string(name);
}

// One descriptor for one direction of one call, closed on every path.
class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

bool Knows(std::string_view name) {
  const std::string iconvName = IconvName(name);
  return Iconv(kUtf16Native, iconvName).ok() && Iconv(iconvName, kUtf16Native).ok();
}

std::u16string Decode(std::string_view name, std::string_view s) {
  Iconv cd(kUtf16Native, IconvName(name));
  std::u16string units;
  if (!cd.ok()) return units;
  units.reserve(s.size());
  std::array<char16_t, 4096> block;
  char* in = const_cast<char*>(s.data());
  std::size_t inLeft = s.size();
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(block.data());
    std::size_t outLeft = sizeof(block);
    const std::size_t rc = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
    const int err = errno;
    units.append(block.data(), (sizeof(block) - outLeft) / sizeof(char16_t));
    if (rc != static_cast<std::size_t>(-1)) break;
    if (err == E2BIG) continue;
    units.push_back(kReplacement);
    if (err != EILSEQ) break;  // EINVAL: cut short at the end
    ++in, --inLeft;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return units;
}

std::string Encode(std::string_view name, std::u16string_view units) {
  Iconv cd(IconvName(name), kUtf16Native);
  std::string out;
  if (!cd.ok()) return out;
  out.reserve(units.size() * 2);
  std::array<char, 8192> block;
  char* in = const_cast<char*>(reinterpret_cast<const char*>(units.data()));
  std::size_t inLeft = units.size() * sizeof(char16_t);
  while (inLeft > 0) {
    char* o = block.data();
    std::size_t outLeft = block.size();
    const std::size_t rc = iconv(cd.get(), &in, &inLeft, &o, &outLeft);
    const int err = errno;
    out.append(block.data(), block.size() - outLeft);
    if (rc != static_cast<std::size_t>(-1)) break;
    if (err == E2BIG) continue;
    // Skip the character the target cannot hold, write "?".
    in += sizeof(char16_t), inLeft -= sizeof(char16_t);
    char16_t question = u'?';
    char* qIn = reinterpret_cast<char*>(&question);
    std::size_t qLeft = sizeof question;
    char* qo = block.data();
    std::size_t qOutLeft = block.size();
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd.get(), &qIn, &qLeft, &qo, &qOutLeft) != static_cast<std::size_t>(-1)) {
      out.append(block.data(), block.size() - qOutLeft);
    }
  }
  char* o = block.data();
  std::size_t outLeft = block.size();
  iconv(cd.get(), nullptr, nullptr, &o, &outLeft);  // closing shift sequence, if any
  out.append(block.data(), block.size() - outLeft);
  return out;
}

}  // namespace kovarra::web::system_charset
