#pragma once

#include <cstddef>
#include <utility>

// Raw memory for a body buffer. Large blocks come straight from the system (on Linux backed by
// huge pages where possible, so filling half a gigabyte does not fault page by page).
class BodyMemory {
public:
  BodyMemory() = default;
  // Empty (data() null) when the memory cannot be had.
  explicit BodyMemory(std::size_t size);
  ~BodyMemory();
  BodyMemory(BodyMemory&& other) noexcept : data_(other.data_), size_(other.size_), mapped_(other.mapped_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  BodyMemory& operator=(BodyMemory&& other) noexcept {
    BodyMemory old(std::move(*this));
    data_ = other.data_;
    size_ = other.size_;
    mapped_ = other.mapped_;
    other.data_ = nullptr;
    other.size_ = 0;
    return *this;
  }
  BodyMemory(const BodyMemory&) = delete;
  BodyMemory& operator=(const BodyMemory&) = delete;

  char* data() const { return data_; }

private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
};
