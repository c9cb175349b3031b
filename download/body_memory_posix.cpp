#include <sys/mman.h>

#include <new>

#include "body_memory.h"

namespace {
constexpr std::size_t kMapThreshold = std::size_t{4} << 20;
}

BodyMemory::BodyMemory(std::size_t size) : size_(size) {
  if (size < kMapThreshold) {
    data_ = new (std::nothrow) char[size];
    return;
  }
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return;
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  data_ = static_cast<char*>(p);
  mapped_ = true;
}

BodyMemory::~BodyMemory() {
  if (!data_) return;
  if (mapped_) ::munmap(data_, size_);
  else delete[] data_;
}
