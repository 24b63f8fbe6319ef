// The program's large blocks on Windows. The system heap hands every block above about 512 KB
// back to the system when it is freed, so the next answer of that size faults all its pages in
// again: under wine a 1.6 MB copy costs 4 ms that way against 0.1 ms from a block already
// touched. A few freed large blocks are kept here and handed out again.

#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

constexpr std::size_t kHeader = 16;  // keeps the malloc alignment of 16
constexpr std::size_t kLarge = 256 * 1024;
constexpr std::size_t kLargest = 32u << 20;  // larger blocks go straight back
constexpr std::size_t kKeptBytes = 64u << 20;
constexpr int kSlots = 8;

struct Kept {
  void* block = nullptr;
  std::size_t size = 0;
};

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}
Kept kept[kSlots];
std::size_t keptBytes = 0;

// A kept block of at least size and at most twice it, or null.
void* TakeKept(std::size_t size) {
  const std::lock_guard<std::mutex> hold(Lock());
  for (Kept& k : kept) {
    if (k.block && k.size >= size && k.size / 2 <= size) {
      void* block = k.block;
      keptBytes -= k.size;
      k = Kept{};
      return block;
    }
  }
  return nullptr;
}

// Room is made by letting go of smaller kept blocks: a larger block costs more to fault in
// again, and small ones kept from start-up would otherwise hold every place for good.
bool Keep(void* block, std::size_t size) {
  void* dropped[kSlots] = {};
  int drops = 0;
  {
    const std::lock_guard<std::mutex> hold(Lock());
    if (size > kKeptBytes) return false;
    for (;;) {
      Kept* free = nullptr;
      Kept* smallest = nullptr;
      for (Kept& k : kept) {
        if (!k.block) {
          free = &k;
        } else if (!smallest || k.size < smallest->size) {
          smallest = &k;
        }
      }
      if (free && keptBytes + size <= kKeptBytes) {
        *free = Kept{block, size};
        keptBytes += size;
        break;
      }
      if (!smallest || smallest->size >= size) return false;  // nothing here is worth less
      dropped[drops++] = smallest->block;
      keptBytes -= smallest->size;
      *smallest = Kept{};
    }
  }
  for (int i = 0; i < drops; ++i) std::free(dropped[i]);
  return true;
}

void* Allocate(std::size_t size) noexcept {
  if (size >= kLarge && size <= kLargest) {
    if (void* block = TakeKept(size)) return static_cast<char*>(block) + kHeader;
  }
  if (size > static_cast<std::size_t>(-1) - kHeader) return nullptr;
  void* block = std::malloc(size + kHeader);
  if (!block) return nullptr;
  *static_cast<std::size_t*>(block) = size;
  return static_cast<char*>(block) + kHeader;
}

void Release(void* p) noexcept {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  const std::size_t size = *static_cast<std::size_t*>(block);
  if (size >= kLarge && size <= kLargest && Keep(block, size)) return;
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = Allocate(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return ::operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
