#pragma once

// Text, Bytes and TextArray and the fixed set of operations on them.
//
// Text is a run of bytes in the local code page (GBK) that never holds a NUL: every way of
// making one cuts at the first NUL. Positions are 1-based byte positions and -1 means
// "not found". Where an operation steps by characters, a byte of 0x80 or more starts a
// two-byte character together with the byte after it; a lone lead byte at the end ends the scan.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kovarra {

class Text {
 public:
  Text() = default;
  Text(const char* s) : s_(s ? s : "") {}                      // NOLINT: literals convert
  Text(std::string_view s) : s_(s.substr(0, s.find('\0'))) {}  // NOLINT
  Text(std::string s) : s_(std::move(s)) { CutAtNul(); }       // NOLINT

  const std::string& str() const noexcept { return s_; }
  std::string_view view() const noexcept { return s_; }
  const char* c_str() const noexcept { return s_.c_str(); }
  std::size_t size() const noexcept { return s_.size(); }
  bool empty() const noexcept { return s_.empty(); }
  unsigned char byte(std::size_t i) const noexcept { return static_cast<unsigned char>(s_[i]); }
  // Up to n bytes from pos (clamped): a piece of a Text holds no NUL, so none is searched for.
  Text Piece(std::size_t pos, std::size_t n) const {
    Text t;
    if (pos < s_.size()) t.s_.assign(s_, pos, n);
    return t;
  }

  // Appends in place (no copy of what is already held); stops at a NUL in the appended piece.
  Text& Append(std::string_view more) {
    s_.append(more.substr(0, more.find('\0')));
    return *this;
  }
  Text& operator+=(const Text& more) {
    s_.append(more.s_);
    return *this;
  }
  void Reserve(std::size_t n) { s_.reserve(n); }

  friend bool operator==(const Text&, const Text&) = default;
  friend auto operator<=>(const Text& a, const Text& b) { return a.s_ <=> b.s_; }

 private:
  void CutAtNul() {
    auto nul = s_.find('\0');
    if (nul != std::string::npos) s_.resize(nul);
  }
  std::string s_;
};

// A counted run of bytes of any value, NUL included. Kept apart from Text on purpose:
// nothing converts between the two without an explicit operation.
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(std::string data) : d_(std::move(data)) {}
  explicit Bytes(std::string_view data) : d_(data) {}
  Bytes(const void* data, std::size_t n) : d_(static_cast<const char*>(data), n) {}

  const std::string& str() const noexcept { return d_; }
  std::string_view view() const noexcept { return d_; }
  const unsigned char* data() const noexcept {
    return reinterpret_cast<const unsigned char*>(d_.data());
  }
  unsigned char* data() noexcept { return reinterpret_cast<unsigned char*>(d_.data()); }
  std::size_t size() const noexcept { return d_.size(); }
  bool empty() const noexcept { return d_.empty(); }

  Bytes& Append(const void* data, std::size_t n) {
    d_.append(static_cast<const char*>(data), n);
    return *this;
  }
  Bytes& Append(const Bytes& more) {
    d_.append(more.d_);
    return *this;
  }
  void Reserve(std::size_t n) { d_.reserve(n); }
  void Resize(std::size_t n) { d_.resize(n); }
  // Hands the storage over, leaving this value empty.
  std::string Release() noexcept { return std::move(d_); }

  friend bool operator==(const Bytes&, const Bytes&) = default;

 private:
  std::string d_;
};

// Indexed from 1 to ElementCount by the callers' loops: element i is array[i - 1].
using TextArray = std::vector<Text>;

// --- Texts ---
int TextLength(const Text& text);
int CompareText(const Text& a, const Text& b);
Text LeftText(const Text& text, int n);
Text RightText(const Text& text, int n);
Text MidText(const Text& text, int start, int n);
int FindText(const Text& text, const Text& sought, std::optional<int> start = std::nullopt,
             bool caseInsensitive = false);
int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start = std::nullopt,
                    bool caseInsensitive = false);
Text ToLower(const Text& text);
Text TrimBoth(const Text& text);
Text RemoveAllSpaces(const Text& text);
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement = Text(),
                 std::optional<int> start = std::nullopt, std::optional<int> count = std::nullopt,
                 bool caseSensitive = false);
TextArray SplitText(const Text& text, const Text& delimiter = Text(","),
                    std::optional<int> maxCount = std::nullopt);
int ToInt(const Text& text);
Text NumberToText(int value);
Text NumberToText(double value);
Text BlankText(int n);
Text CharFromCode(int code);
int TruncateToInteger(double x);

namespace detail {
inline std::string_view PieceView(const Text& t) {
  return t.view();
}
inline std::string_view PieceView(std::string_view s) {
  return s.substr(0, s.find('\0'));
}
inline std::string_view PieceView(const std::string& s) {
  return PieceView(std::string_view(s));
}
inline std::string_view PieceView(const char* s) {
  return s ? std::string_view(s) : "";
}
}  // namespace detail

template <typename... Parts>
Text ConcatText(const Parts&... parts) {
  std::string out;
  out.reserve((detail::PieceView(parts).size() + ... + 0));
  (out.append(detail::PieceView(parts)), ...);
  return Text(std::move(out));
}

template <typename... Ints>
int BitOr(int first, Ints... rest) {
  return (first | ... | static_cast<int>(rest));
}

// --- Bytes ---
int BytesLength(const Bytes& bytes);
Bytes ToBytes(const Text& text);
Text BytesToText(const Bytes& bytes);
Text BytesToText(Bytes&& bytes);  // the same, reusing the storage
Bytes LeftBytes(const Bytes& bytes, int n);
int FindBytes(const Bytes& bytes, const Bytes& sought, std::optional<int> start = std::nullopt);
Bytes BlankBytes(int n);
bool BytesEqual(const Bytes& a, const Bytes& b);

template <typename... Parts>
Bytes ConcatBytes(const Parts&... parts) {
  Bytes out;
  out.Reserve((parts.size() + ... + 0));
  (out.Append(parts), ...);
  return out;
}

// --- Arrays ---
int ElementCount(const TextArray& array);

}  // namespace kovarra
