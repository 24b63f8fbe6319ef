#include "tests/support/match_object.hpp"

#include <cstdio>
#include <cstdlib>

#include "matches/match_rows.hpp"

namespace kovarra::testing {

std::string MatchObjectJson(const std::map<std::string, std::string>& values,
                            const std::string& others) {
  std::size_t used = 0;
  std::string out = "{";
  for (const char* key : MatchObjectKeys()) {
    if (out.size() > 1) out += ',';
    const auto it = values.find(key);
    if (it != values.end()) ++used;
    out += '"';
    out += key;
    out += "\":\"";
    out += it == values.end() ? others : it->second;
    out += '"';
  }
  out += '}';
  if (used != values.size()) {
    for (const auto& [key, value] : values) {
      bool known = false;
      for (const char* k : MatchObjectKeys()) known = known || key == k;
      if (!known) std::fprintf(stderr, "MatchObjectJson: no such key \"%s\"\n", key.c_str());
    }
    std::abort();
  }
  return out;
}

}  // namespace kovarra::testing
