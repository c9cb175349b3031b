#include <sys/mman.h>

#include "http/body_memory.h"

// Pages of an anonymous mapping are backed only when first written, so reserving is mapping.
// Growth moves the page tables with mremap instead of copying the bytes.
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kFirstOpenEnded = std::size_t{8} << 20;

std::size_t RoundUp(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }
}  // namespace

bool BodyMemory::Reserve(std::size_t size) {
  const std::size_t old = reserved();
  if (size <= old) return true;
  if (size > static_cast<std::size_t>(-1) - kHugePage) return false;
  size = RoundUp(size, kHugePage);
  void* p = old ? ::mremap(data_.get(), old, size, MREMAP_MAYMOVE)
                : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return false;
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  static_cast<void>(data_.release());
  data_ = {static_cast<char*>(p), BodyMemoryRelease{size}};
  usable_ = size;
  return true;
}

bool BodyMemory::Provide(std::size_t size) {
  if (size <= usable_) return true;
  const std::size_t old = reserved();
  std::size_t doubled = old > static_cast<std::size_t>(-1) / 2 ? size : old * 2;
  if (doubled < kFirstOpenEnded) doubled = kFirstOpenEnded;
  return Reserve(size > doubled ? size : doubled) || Reserve(size);
}

void BodyMemoryRelease::operator()(char* p) const { ::munmap(p, reserved); }
