#include "body_buffer.h"

#include <algorithm>
#include <cstring>

void BodyBuffer::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  auto grown = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_) std::memcpy(grown.get(), data_.get(), size_);
  data_ = std::move(grown);
  capacity_ = capacity;
}

char* BodyBuffer::Append(std::size_t n) {
  if (capacity_ - size_ < n) Reserve(std::max(size_ + n, capacity_ * 2));
  return data_.get() + size_;
}
