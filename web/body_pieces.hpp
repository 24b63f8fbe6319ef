#pragma once

// An answer's body as it arrived, in pieces: each piece is freed once it has been read out, so
// a large answer is not held twice while the caller copies it.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <deque>
#include <string>
#include <utility>

namespace kovarra::web {

class BodyPieces {
 public:
  std::size_t size() const { return size_; }

  void clear() {
    pieces_.clear();
    size_ = 0;
    front_ = 0;
  }

  // Copied into pieces of kPiece bytes.
  void append(const char* data, std::size_t n) {
    size_ += n;
    while (n) {
      if (pieces_.empty() || pieces_.back().size() >= kPiece) {
        pieces_.emplace_back();
        pieces_.back().reserve(kPiece);
      }
      std::string& last = pieces_.back();
      const std::size_t take = std::min(n, kPiece - last.size());
      last.append(data, take);
      data += take;
      n -= take;
    }
  }

  // Taken as it is, of any size.
  void append(std::string piece) {
    if (piece.empty()) return;
    size_ += piece.size();
    pieces_.push_back(std::move(piece));
  }

  std::size_t read(unsigned char* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n && !pieces_.empty()) {
      const std::string& first = pieces_.front();
      const std::size_t take = std::min(n - done, first.size() - front_);
      std::memcpy(out + done, first.data() + front_, take);
      done += take;
      front_ += take;
      if (front_ == first.size()) {
        pieces_.pop_front();
        front_ = 0;
      }
    }
    return done;
  }

 private:
  static constexpr std::size_t kPiece = 16 * 1024;
  std::deque<std::string> pieces_;
  std::size_t size_ = 0;   // bytes delivered in all
  std::size_t front_ = 0;  // bytes of the first piece already read
};

}  // namespace kovarra::web
