#pragma once

#include <cstddef>
#include <utility>

#include "http/body_memory.h"

// The in-memory body of a transfer. Reserve sets address space aside for an announced length
// without using memory for it; Append makes room as bytes arrive, so a received block lands
// straight in its final place and the memory in use follows the body. Both throw
// std::bad_alloc when the body cannot be held, which the client reports as a body too large.
class BodyBuffer {
public:
  BodyBuffer() = default;
  BodyBuffer(const BodyBuffer&) = delete;
  BodyBuffer& operator=(const BodyBuffer&) = delete;
  BodyBuffer(BodyBuffer&& other) noexcept
      : memory_(std::move(other.memory_)), size_(std::exchange(other.size_, 0)) {}
  BodyBuffer& operator=(BodyBuffer&& other) noexcept {
    memory_ = std::move(other.memory_);
    size_ = std::exchange(other.size_, 0);
    return *this;
  }

  const char* data() const { return memory_.data(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Address space for capacity bytes in all; no memory is used before the bytes arrive.
  void Reserve(std::size_t capacity);
  // Room for n more bytes at the end, to be filled and then Commit'ed.
  char* Append(std::size_t n);
  void Commit(std::size_t n) { size_ += n; }
  void Clear() { size_ = 0; }
  // Empties the buffer and gives its memory back.
  void Release();

private:
  BodyMemory memory_;
  std::size_t size_ = 0;
};
