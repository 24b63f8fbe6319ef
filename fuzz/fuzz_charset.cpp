// ConvertCharset on arbitrary bytes: whatever comes in, what comes out for the target "GBK" is
// decodable local text without a NUL, ASCII passes unchanged, and skipBytes only drops the
// front of the output. Any source and target names, known or not, are handled safely. The
// code page conversions underneath get the same treatment.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/codepage.hpp"
#include "core/text.hpp"
#include "fuzz/fuzz_support.hpp"
#include "web/charset.hpp"

namespace kovarra::fuzz {
namespace {

// Code page 936 as Windows has it: ASCII, the single byte 80 (the euro sign), or a lead byte
// 81..FE with a trail byte 40..FE other than 7F.
bool DecodableGbk(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    unsigned char b = At(s, i);
    if (b <= 0x80) {
      ++i;
      continue;
    }
    if (b == 0xFF || i + 1 >= s.size()) return false;
    unsigned char t = At(s, i + 1);
    if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
    i += 2;
  }
  return true;
}

Text TakeCharsetName(FuzzedDataProvider& in) {
  static const std::array<const char*, 10> names = {
      "", "UTF-8", "utf-8", "GBK", "gb2312", "unicode", "unicodeFFFE", "iso-8859-1", "bogus", "/"};
  if (in.ConsumeBool()) return Text(in.ConsumeRandomLengthString(16));
  return Text(names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)]);
}

// The local code page conversions underneath: any units or bytes down give decodable text,
// and Unicode that came up from local text survives the way down and up again.
void CheckCodePage(std::string_view bytes) {
  Text fromUtf8 = Utf8ToGbk(bytes);
  RequireText(fromUtf8);
  FUZZ_REQUIRE(DecodableGbk(fromUtf8.view()));

  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), units.size() * 2);
  Text down = Utf16ToGbk(units);
  RequireText(down);
  FUZZ_REQUIRE(DecodableGbk(down.view()));

  std::u16string up = GbkToUtf16(bytes.substr(0, bytes.find('\0')));
  if (up.find(u'\xFFFD') == std::u16string::npos)
    FUZZ_REQUIRE(GbkToUtf16(Utf16ToGbk(up).view()) == up);
}

}  // namespace
}  // namespace kovarra::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovarra;
  using namespace kovarra::fuzz;
  FuzzedDataProvider in(data, size);
  Text fromName = TakeCharsetName(in);
  Text toName = TakeCharsetName(in);
  std::optional<int> skip = TakeOptionalInt(in, -4, 64);
  const Bytes input(in.ConsumeRemainingBytesAsString());
  CheckCodePage(input.view());

  Bytes local = web::ConvertCharset(input);
  FUZZ_REQUIRE(!HasNul(local.view()));
  FUZZ_REQUIRE(DecodableGbk(local.view()));
  std::string_view upToNul = input.view().substr(0, input.view().find('\0'));
  bool ascii = true;
  for (unsigned char c : input.view()) ascii = ascii && c < 0x80;
  if (ascii) FUZZ_REQUIRE(local.view() == upToNul);

  Text from = fromName, to = toName;
  Bytes converted = web::ConvertCharset(input, from, to);
  FUZZ_REQUIRE(from == (fromName.empty() ? Text("UTF-8") : fromName));
  FUZZ_REQUIRE(to == (toName.empty() ? Text("GBK") : toName));
  if (to == Text("GBK")) FUZZ_REQUIRE(DecodableGbk(converted.view()));

  Bytes skipped = web::ConvertCharset(input, from, to, skip);
  if (skip && *skip >= 0) {
    std::string_view whole = converted.view();
    std::size_t k = std::min(static_cast<std::size_t>(*skip), whole.size());
    FUZZ_REQUIRE(skipped.view() == whole.substr(k));
  }
  return 0;
}
