#pragma once

#include <cstddef>
#include <memory>
#include <utility>

// Address space for one body. The range is reserved first and made usable only as the body
// grows, so the memory in use follows the bytes received and growing never copies them.
struct BodyMemoryRelease {
  std::size_t reserved = 0;
  void operator()(char* p) const;
};

class BodyMemory {
public:
  BodyMemory() = default;
  BodyMemory(BodyMemory&& other) noexcept
      : data_(std::move(other.data_)), usable_(std::exchange(other.usable_, 0)) {}
  BodyMemory& operator=(BodyMemory&& other) noexcept {
    data_ = std::move(other.data_);
    usable_ = std::exchange(other.usable_, 0);
    return *this;
  }

  char* data() const { return data_.get(); }
  std::size_t reserved() const { return data_ ? data_.get_deleter().reserved : 0; }

  // Address space for at least size bytes, keeping the contents; false when it cannot be had.
  bool Reserve(std::size_t size);
  // Makes the first size bytes writable, reserving more where the platform can; false when
  // the address space or the memory is exhausted.
  bool Provide(std::size_t size);

private:
  std::unique_ptr<char, BodyMemoryRelease> data_;
  std::size_t usable_ = 0;
};
