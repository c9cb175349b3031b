#include <sys/mman.h>

#include <cstdlib>

#include "http/body_memory.h"

namespace {
constexpr std::size_t kMapThreshold = std::size_t{4} << 20;
}

BodyMemory::BodyMemory(std::size_t size) {
  if (size < kMapThreshold) {
    data_ = {static_cast<char*>(std::malloc(size)), BodyMemoryRelease{size, false}};
    return;
  }
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return;
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  data_ = {static_cast<char*>(p), BodyMemoryRelease{size, true}};
}

void BodyMemoryRelease::operator()(char* p) const {
  if (mapped)
    ::munmap(p, size);
  else
    std::free(p);
}
