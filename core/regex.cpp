#include "core/regex.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/codepage.hpp"
#include "core/extract.hpp"
#include "core/regex_chain.hpp"
#include "core/regex_match_list.hpp"
#include "core/regex_pcre2.hpp"

namespace kovarra {

namespace regex_detail {

// A pattern ready to run with the options it was prepared for: by the literal-chain matcher
// when it has that shape, otherwise by PCRE2 (empty when PCRE2 rejects it).
struct Engine {
  Text pattern;  // as written to the engine, placeholder replaced
  std::shared_ptr<const LiteralChain> chain;
  std::shared_ptr<const Pcre2Pattern> pcre2;
  Budget budget = Budget::Bounded;

  bool valid() const { return chain || pcre2; }
};

}  // namespace regex_detail

namespace {

using regex_detail::Engine;
using regex_detail::Matcher;
using regex_detail::MatchList;

// ---- Engine choice ---------------------------------------------------------------------------

// Preparing a pattern costs more than a page's search, and a program runs the same few
// patterns again and again: keep the last few, per thread so nothing needs a lock.
struct PreparedKey {
  Text pattern;
  bool caseSensitive;
  bool multiline;
  Matcher matcher;
  friend bool operator==(const PreparedKey&, const PreparedKey&) = default;
};
constexpr std::size_t kPreparedKept = 8;

std::shared_ptr<const Engine> Prepare(const PreparedKey& key) {
  thread_local std::vector<std::pair<PreparedKey, std::shared_ptr<const Engine>>> kept;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (kept[i].first == key) {
      std::rotate(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(i),
                  kept.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return kept.front().second;
    }
  }
  auto engine = std::make_shared<Engine>();
  engine->pattern = key.pattern;
  const std::u16string wide = GbkToUtf16(key.pattern.view());
  // ^ and $ are never part of a literal chain, so the line option cannot change its matches.
  if (key.matcher == Matcher::Chosen)
    engine->chain = regex_detail::ParseLiteralChain(wide, key.caseSensitive);
  if (!engine->chain)
    engine->pcre2 = regex_detail::CompilePcre2(wide, key.caseSensitive, key.multiline);
  engine->budget = key.matcher == Matcher::Pcre2Unlimited ? regex_detail::Budget::Unlimited
                                                          : regex_detail::Budget::Bounded;
  if (kept.size() == kPreparedKept) kept.pop_back();
  kept.insert(kept.begin(), {key, engine});
  return engine;
}

// ---- Replacement -----------------------------------------------------------------------------

// Appends the JScript-style expansion of a replacement for the given match.
template <typename SliceFn>
void ExpandReplacement(const Text& replacement, const MatchList& m, int match,
                       std::uint32_t subjectEnd, SliceFn slice, std::string& out) {
  const std::string_view r = replacement.view();
  const std::uint32_t* whole = m.span(match, 0);
  auto group = [&](std::uint32_t g) {
    const std::uint32_t* s = m.span(match, static_cast<int>(g));
    if (s[0] != MatchList::kUnset) out.append(slice(s[0], s[1]).view());
  };
  auto digit = [&](std::size_t i) { return i < r.size() && r[i] >= '0' && r[i] <= '9'; };
  for (std::size_t i = 0; i < r.size();) {
    const unsigned char b = static_cast<unsigned char>(r[i]);
    if (b >= 0x80) {  // a double-byte character is never the start of a $ form
      out.append(r.substr(i, 2));
      i += 2;
      continue;
    }
    if (b != '$' || i + 1 >= r.size()) {
      out.push_back(r[i++]);
      continue;
    }
    const char c = r[i + 1];
    if (c == '$') {
      out.push_back('$');
      i += 2;
    } else if (c == '&') {
      out.append(slice(whole[0], whole[1]).view());
      i += 2;
    } else if (c == '`') {
      out.append(slice(0, whole[0]).view());
      i += 2;
    } else if (c == '\'') {
      out.append(slice(whole[1], subjectEnd).view());
      i += 2;
    } else if (digit(i + 1)) {
      const std::uint32_t one = static_cast<std::uint32_t>(c - '0');
      const std::uint32_t two =
          digit(i + 2) ? one * 10 + static_cast<std::uint32_t>(r[i + 2] - '0') : 0;
      if (two >= 1 && two <= m.groups) {
        group(two);
        i += 3;
      } else if (one >= 1 && one <= m.groups) {
        group(one);
        i += 2;
      } else {
        out.push_back('$');
        ++i;
      }
    } else {
      out.push_back('$');
      ++i;
    }
  }
}

}  // namespace

namespace regex_detail {

bool RunPatternWith(Matcher matcher, RegexObject& re, const Text& pattern, const Text& subject,
                    bool caseSensitive, bool multiline, bool global, bool quotePlaceholder) {
  return re.Run(matcher, pattern, subject, caseSensitive, multiline, global, quotePlaceholder);
}

bool RanAsLiteralChain(const RegexObject& re) {
  return re.engine_ && re.engine_->chain;
}

}  // namespace regex_detail

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject& other) = default;
RegexObject& RegexObject::operator=(const RegexObject& other) = default;
RegexObject::RegexObject(RegexObject&& other) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&& other) noexcept = default;

void RegexObject::ReleaseRegexObject() {
  engine_.reset();
  matches_.reset();
  subject_ = Text();
}

RegexObject RegexObject::CopyRegexObject() const {
  return *this;
}

bool RegexObject::RunPattern(const Text& pattern, const Text& subject, bool caseSensitive,
                             bool multiline, bool global, bool quotePlaceholder) {
  return Run(Matcher::Chosen, pattern, subject, caseSensitive, multiline, global, quotePlaceholder);
}

bool RegexObject::Run(Matcher matcher, const Text& pattern, const Text& subject, bool caseSensitive,
                      bool multiline, bool global, bool quotePlaceholder) {
  engine_.reset();
  matches_.reset();
  // Most patterns hold no placeholder: a plain search is cheaper than a replacement.
  const bool replace =
      quotePlaceholder && pattern.view().find(QuotePlaceholder().view()) != std::string_view::npos;
  const Text written = replace ? ReplaceText(pattern, QuotePlaceholder(), Text("\""), std::nullopt,
                                             std::nullopt, true)
                               : pattern;
  engine_ = Prepare({written, caseSensitive, multiline, matcher});
  subject_ = subject;
  if (!engine_->valid() || subject.size() >= MatchList::kUnset) return false;

  auto matches = std::make_shared<MatchList>();
  if (engine_->chain) {
    regex_detail::MatchChain(*engine_->chain, subject_.view(), global, *matches);
  } else if (!regex_detail::MatchPcre2(*engine_->pcre2, subject_.view(), global, engine_->budget,
                                       *matches)) {
    return false;
  }
  matches_ = std::move(matches);
  return true;
}

Text RegexObject::PatternText() const {
  return engine_ ? engine_->pattern : Text();
}

Text RegexObject::Slice(std::uint32_t begin, std::uint32_t end) const {
  if (end <= begin) return Text();
  return subject_.Piece(begin, end - begin);
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
  if (!matches_) return Text();
  const MatchList& m = *matches_;
  const auto size = static_cast<std::uint32_t>(subject_.size());
  auto slice = [this](std::uint32_t a, std::uint32_t b) { return Slice(a, b); };
  std::string out;
  out.reserve(subject_.size());
  std::uint32_t done = 0;
  for (int i = 0; i < m.count(); ++i) {
    const std::uint32_t* whole = m.span(i, 0);
    out.append(Slice(done, whole[0]).view());
    ExpandReplacement(replacement, m, i, size, slice, out);
    done = whole[1];
  }
  out.append(Slice(done, size).view());
  return Text(std::move(out));
}

int RegexObject::MatchCount() const {
  return matches_ ? matches_->count() : 0;
}

Text RegexObject::Piece(int matchIndex, int group, int* position) const {
  if (position) *position = -1;
  if (!matches_ || matchIndex < 1 || matchIndex > matches_->count() || group < 0 ||
      static_cast<std::uint32_t>(group) > matches_->groups) {
    return Text();
  }
  const std::uint32_t* s = matches_->span(matchIndex - 1, group);
  if (s[0] == MatchList::kUnset) return Text();
  if (position) *position = static_cast<int>(s[0]);
  return Slice(s[0], s[1]);
}

Text RegexObject::MatchText(int matchIndex, int* position) const {
  return Piece(matchIndex, 0, position);
}

Text RegexObject::GroupText(int matchIndex, int groupIndex, int* position) const {
  if (groupIndex < 1) {
    if (position) *position = -1;
    return Text();
  }
  return Piece(matchIndex, groupIndex, position);
}

int RegexObject::GroupCount() const {
  return MatchCount() > 0 ? static_cast<int>(matches_->groups) : 0;
}

}  // namespace kovarra
