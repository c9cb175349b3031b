#pragma once

#include <cstddef>
#include <memory>

// Raw memory for a body buffer. Large blocks come straight from the system (on Linux backed by
// huge pages where possible, so filling half a gigabyte does not fault page by page).
// Gives a block of body memory back the way it was taken.
struct BodyMemoryRelease {
  std::size_t size = 0;
  bool mapped = false;
  void operator()(char* p) const;
};

class BodyMemory {
public:
  BodyMemory() = default;
  // Empty (data() null) when the memory cannot be had.
  explicit BodyMemory(std::size_t size);

  char* data() const { return data_.get(); }

private:
  std::unique_ptr<char[], BodyMemoryRelease> data_;
};
