#pragma once

#include <cstddef>
#include <utility>

#include "http/body_memory.h"

// The in-memory body of a transfer. Reserve sizes it at once without touching the bytes, so a
// received block lands straight in its final place.
class BodyBuffer {
public:
  BodyBuffer() = default;
  BodyBuffer(const BodyBuffer&) = delete;
  BodyBuffer& operator=(const BodyBuffer&) = delete;
  BodyBuffer(BodyBuffer&& other) noexcept
      : data_(std::move(other.data_)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  BodyBuffer& operator=(BodyBuffer&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }

  const char* data() const { return data_.data(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Ensures room for at least capacity bytes; throws std::bad_alloc when it cannot.
  void Reserve(std::size_t capacity);
  // Room for n more bytes at the end (grows geometrically), to be filled and then Commit'ed.
  char* Append(std::size_t n);
  void Commit(std::size_t n) { size_ += n; }
  void Clear() { size_ = 0; }
  // Empties the buffer and gives its memory back.
  void Release();

private:
  BodyMemory data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
