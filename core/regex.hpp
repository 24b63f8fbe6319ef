#pragma once

// One regular expression run over one subject, with the JScript-style semantics the program's
// patterns were written for.
//
// Subjects and patterns are GBK Text; matching is by characters, as if the subject were widened
// to UTF-16, and texts handed back are the subject's own bytes. Patterns of literal texts joined
// by lazy groups, like the program's own, are matched in time linear in the subject
// (core/regex_chain.hpp); every other pattern runs on PCRE2 within a step budget for the whole
// run (core/regex_pcre2.hpp), so that a pattern that would backtrack for ever makes RunPattern
// return false instead of hanging.

#include <cstdint>
#include <memory>

#include "core/text.hpp"

namespace kovarra {

class RegexObject;

namespace regex_detail {
struct Engine;
struct MatchList;

// Which matcher runs a pattern: the one RunPattern picks, or PCRE2 even for a literal chain,
// with its budget or without; for tests that hold the two matchers against each other.
enum class Matcher { Chosen, Pcre2, Pcre2Unlimited };
bool RunPatternWith(Matcher matcher, RegexObject& re, const Text& pattern, const Text& subject,
                    bool caseSensitive, bool multiline, bool global, bool quotePlaceholder);
// Whether the last run went through the literal-chain matcher.
bool RanAsLiteralChain(const RegexObject& re);
}  // namespace regex_detail

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  // A copy shares the compiled pattern and the matches, and keeps its own copy of the subject.
  RegexObject(const RegexObject& other);
  RegexObject& operator=(const RegexObject& other);
  RegexObject(RegexObject&& other) noexcept;
  RegexObject& operator=(RegexObject&& other) noexcept;

  // Empties the object: no pattern, no matches, empty subject. It may be run again afterwards.
  void ReleaseRegexObject();
  RegexObject CopyRegexObject() const;

  // True when the search ran to its end (even with no match); false for an invalid pattern or a
  // search that ran out of its step or memory budget.
  bool RunPattern(const Text& pattern, const Text& subject, bool caseSensitive = false,
                  bool multiline = true, bool global = true, bool quotePlaceholder = false);

  // The pattern of the last run, after the placeholder replacement; empty before any run.
  Text PatternText() const;
  // The kept subject with each match replaced; $1…$99, $&, $$, $` and $' are understood.
  // Empty when the last run failed.
  Text ReplaceMatches(const Text& replacement) const;

  int MatchCount() const;
  // Indices count from 1. An absent match or group gives the empty text. When position is given
  // it receives the 0-based byte offset in the kept subject where that text was matched, or -1.
  Text MatchText(int matchIndex, int* position = nullptr) const;
  Text GroupText(int matchIndex, int groupIndex, int* position = nullptr) const;
  // Capture groups of the pattern; 0 when the last run found no match.
  int GroupCount() const;

 private:
  friend bool regex_detail::RunPatternWith(regex_detail::Matcher, RegexObject&, const Text&,
                                           const Text&, bool, bool, bool, bool);
  friend bool regex_detail::RanAsLiteralChain(const RegexObject&);

  bool Run(regex_detail::Matcher matcher, const Text& pattern, const Text& subject,
           bool caseSensitive, bool multiline, bool global, bool quotePlaceholder);
  // The kept subject's bytes between two offsets.
  Text Slice(std::uint32_t begin, std::uint32_t end) const;
  // Group 0 is the whole match.
  Text Piece(int matchIndex, int group, int* position) const;

  std::shared_ptr<const regex_detail::Engine> engine_;
  std::shared_ptr<const regex_detail::MatchList> matches_;
  Text subject_;
};

}  // namespace kovarra
