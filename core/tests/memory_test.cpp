// The byte search every text operation rests on (the Windows build brings its own).

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Every start alignment, every length up to a few blocks, the byte at every place, and a copy
// of it just past the end, which must not be found.
TEST(Memchr, FindsTheFirstByteWithinTheCountOnly) {
  std::vector<unsigned char> buffer(16 + 160 + 16, 'a');
  for (std::size_t skew = 0; skew < 16; ++skew) {
    unsigned char* start = buffer.data() + skew;
    for (std::size_t count = 0; count <= 140; ++count) {
      start[count] = 'z';  // beyond the end
      ASSERT_EQ(std::memchr(start, 'z', count), nullptr) << skew << ' ' << count;
      for (std::size_t at = 0; at < count; ++at) {
        start[at] = 'z';
        ASSERT_EQ(std::memchr(start, 'z', count), start + at) << skew << ' ' << count << ' ' << at;
        start[at] = 'a';
      }
      start[count] = 'a';
    }
  }
}

TEST(Memchr, ComparesTheValueAsAByte) {
  const unsigned char bytes[] = {1, 0x80, 0xFF, 0};
  EXPECT_EQ(std::memchr(bytes, 0x1FF, sizeof bytes), bytes + 2);
  EXPECT_EQ(std::memchr(bytes, -128, sizeof bytes), bytes + 1);
  EXPECT_EQ(std::memchr(bytes, 0, sizeof bytes), bytes + 3);
}

}  // namespace
