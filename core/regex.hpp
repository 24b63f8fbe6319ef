#pragma once

// One regular expression run over one subject, with the JScript-style semantics the program's
// patterns were written for, on PCRE2 (16-bit, UTF, JIT where available).
//
// Subjects and patterns are GBK Text; the engine sees UTF-16, so it matches characters, and
// match offsets count UTF-16 units of the subject. Texts handed back are the subject's own bytes.
//
// A run has a step budget for all its searches together, and limits on the memory a search may
// use: a pattern that would backtrack for ever makes RunPattern return false instead of hanging.

#include <cstdint>
#include <memory>

#include "core/text.hpp"

namespace kovarra {

namespace regex_detail {
struct Engine;
struct MatchList;
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

  // The budget a run over a subject of this many UTF-16 units gets, in engine steps.
  static std::uint32_t StepBudget(std::size_t units);

 private:
  // The kept subject's text between two UTF-16 unit offsets.
  Text Slice(std::uint32_t unitBegin, std::uint32_t unitEnd) const;
  // Group 0 is the whole match.
  Text Piece(int matchIndex, int group, int* position) const;
  std::uint32_t ByteOffset(std::uint32_t unit) const;

  std::shared_ptr<const regex_detail::Engine> engine_;
  std::shared_ptr<const regex_detail::MatchList> matches_;
  Text subject_;
};

}  // namespace kovarra
