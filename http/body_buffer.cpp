#include "http/body_buffer.h"

#include <new>

void BodyBuffer::Reserve(std::size_t capacity) {
  if (!memory_.Reserve(capacity)) throw std::bad_alloc();
}

char* BodyBuffer::Append(std::size_t n) {
  if (n > static_cast<std::size_t>(-1) - size_ || !memory_.Provide(size_ + n))
    throw std::bad_alloc();
  return memory_.data() + size_;
}

void BodyBuffer::Release() {
  memory_ = BodyMemory();
  size_ = 0;
}
