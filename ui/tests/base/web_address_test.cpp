#include "ui/web_address.hpp"

#include <gtest/gtest.h>

#include "core/codepage.hpp"

namespace kovarra {
namespace {

struct AddressCase {
  const char* name;
  const char* utf8;
  const char* expected;  // null: not handed on
};

class WebAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(WebAddressTest, HandsOnOnlyWebAddressesInAFormTheShellTakes) {
  const AddressCase& c = GetParam();
  const std::optional<std::string> address = WebAddress(Gbk(c.utf8));
  if (!c.expected) {
    EXPECT_FALSE(address) << *address;
  } else {
    ASSERT_TRUE(address);
    EXPECT_EQ(*address, c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebAddressTest,
    testing::Values(
        AddressCase{"Video", "https://lpl.qq.com/es/video_detail.shtml?nid=123",
                    "https://lpl.qq.com/es/video_detail.shtml?nid=123"},
        AddressCase{"UpperCaseScheme", "HTTP://example.test/a", "HTTP://example.test/a"},
        AddressCase{"SpacesAndQuotes", "http://h/a b\"c", "http://h/a%20b%22c"},
        AddressCase{"ChineseAsUtf8", "http://h/?q=比赛", "http://h/?q=%E6%AF%94%E8%B5%9B"},
        AddressCase{"EscapesKeptStrayPercentEncoded", "http://h/%41%zz%", "http://h/%41%25zz%25"},
        AddressCase{"OtherScheme", "file:///etc/passwd", nullptr},
        AddressCase{"Command", "calc.exe", nullptr}, AddressCase{"NoHost", "https://", nullptr},
        AddressCase{"NoHostPath", "http:///path", nullptr}, AddressCase{"Empty", "", nullptr}),
    [](const testing::TestParamInfo<AddressCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kovarra
