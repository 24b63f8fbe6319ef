#include "web/url.hpp"

#include <gtest/gtest.h>

namespace kovarra::web {
namespace {

struct UrlCase {
  const char* url;
  const char* host;
  int port;
  const char* path;
};
void PrintTo(const UrlCase& c, std::ostream* os) {
  *os << c.url;
}

class UrlPieces : public ::testing::TestWithParam<UrlCase> {};

TEST_P(UrlPieces, HostPortAndPath) {
  const UrlCase& c = GetParam();
  EXPECT_EQ(UrlHost(c.url), Text(c.host));
  EXPECT_EQ(UrlPort(c.url), c.port);
  EXPECT_EQ(UrlPath(c.url), Text(c.path));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, UrlPieces,
    ::testing::Values(UrlCase{"HTTP://Shop.Example.COM/A/b?x=1", "shop.example.com", 80,
                              "/A/b?x=1"},
                      UrlCase{"https://example.com", "example.com", 443, "/"},
                      UrlCase{"HTTPS://Example.com:8443/Path", "example.com", 8443, "/Path"},
                      UrlCase{"example.com:8080/x", "example.com", 8080, "/x"},
                      UrlCase{"shop.example.com", "shop.example.com", 80, "/"},
                      UrlCase{"https://example.com/a:b", "example.com", 443, "/a:b"},
                      // The query without a path stays in the host and never reaches the path.
                      UrlCase{"http://a.example?x=1", "a.example?x=1", 80, "/"},
                      // A later "http://" counts as the scheme: no prefix is added.
                      UrlCase{"a.example/go?u=http://b.example/x", "b.example", 80, "/x"},
                      UrlCase{"https://a.example/?r=http://b.example/", "a.example", 443,
                              "/?r=http://b.example/"},
                      UrlCase{"http:///x", "", 80, "///x"}, UrlCase{"", "", 80, "/"},
                      // The port is read from the text; an empty one reads as 0.
                      UrlCase{"example.com:443/", "example.com", 443, "/"},
                      UrlCase{"http://example.com:/x", "example.com", 0, "/x"}));

struct HostOptionCase {
  const char* url;
  bool mainDomainOnly;
  bool keepPort;
  const char* host;
};
void PrintTo(const HostOptionCase& c, std::ostream* os) {
  *os << c.url << (c.mainDomainOnly ? " main" : "") << (c.keepPort ? " port" : "");
}

class UrlHostOptions : public ::testing::TestWithParam<HostOptionCase> {};

TEST_P(UrlHostOptions, MainDomainAndPort) {
  const HostOptionCase& c = GetParam();
  EXPECT_EQ(UrlHost(c.url, c.mainDomainOnly, c.keepPort), Text(c.host));
}

INSTANTIATE_TEST_SUITE_P(
    Options, UrlHostOptions,
    ::testing::Values(HostOptionCase{"http://a.b.example.com/", true, false, "example.com"},
                      HostOptionCase{"http://localhost/", true, false, "localhost"},
                      HostOptionCase{"http://10.0.0.1/", true, false, "0.1"},
                      HostOptionCase{"http://shop.example.com:81/", true, false, "example.com"},
                      HostOptionCase{"http://shop.example.com:81/", true, true, "example.com:81"},
                      HostOptionCase{"http://example.com:81/", false, true, "example.com:81"},
                      HostOptionCase{"http://example.com./", true, false, "example.com"}));

TEST(UrlHost, DoubleByteHostKeepsItsBytes) {
  // The second byte 0x41 of a two-byte character is not a capital letter.
  const Text url("http://\xB0\x41.Example/");
  EXPECT_EQ(UrlHost(url), Text("\xB0\x41.example"));
}

}  // namespace
}  // namespace kovarra::web
