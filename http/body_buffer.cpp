#include "http/body_buffer.h"

#include <cstring>
#include <limits>
#include <new>

void BodyBuffer::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  // A failed huge request must come back as an exception, also under sanitizers that would
  // otherwise end the process.
  BodyMemory grown(capacity);
  if (!grown.data()) throw std::bad_alloc();
  if (size_) std::memcpy(grown.data(), data_.data(), size_);
  data_ = std::move(grown);
  capacity_ = capacity;
}

char* BodyBuffer::Append(std::size_t n) {
  if (capacity_ - size_ < n) {
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    if (n > kMax - size_) throw std::bad_alloc();
    std::size_t wanted = size_ + n;
    std::size_t doubled = capacity_ > kMax / 2 ? kMax : capacity_ * 2;
    Reserve(wanted > doubled ? wanted : doubled);
  }
  return data_.data() + size_;
}

void BodyBuffer::Release() {
  data_ = BodyMemory();
  size_ = 0;
  capacity_ = 0;
}
