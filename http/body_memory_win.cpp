#include <windows.h>

#include <cstring>

#include "http/body_memory.h"
#include "http/settings.h"

// The range is reserved once and committed in steps as the body arrives. A body of unknown
// length gets the largest range the address space still offers, since a reservation cannot
// be grown in place; a body that outgrows it is too large for this process. Only a buffer
// used again after a smaller announced length moves its bytes, once, into the larger range.
namespace {
constexpr std::size_t kCommitStep = std::size_t{1} << 20;
constexpr std::size_t kLargestOpenEnded =
    sizeof(void*) == 8 ? std::size_t{1} << 36 : (std::size_t{3} << 29);
constexpr std::size_t kSmallestOpenEnded = std::size_t{16} << 20;

// Halving from the largest range, but the body limit itself is tried before going below it.
std::size_t NextSmaller(std::size_t want) {
  const std::size_t half = want / 2;
  return want > http::kMaxBodyBytes && half < http::kMaxBodyBytes ? http::kMaxBodyBytes : half;
}

std::size_t RoundUp(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }

char* ReserveRange(std::size_t size) {
  return static_cast<char*>(::VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS));
}

bool CommitRange(char* p, std::size_t size) {
  return ::VirtualAlloc(p, size, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}
}  // namespace

bool BodyMemory::Reserve(std::size_t size) {
  const std::size_t old = reserved();
  if (size <= old) return true;
  if (size > static_cast<std::size_t>(-1) - kCommitStep) return false;
  size = RoundUp(size, kCommitStep);
  char* p = ReserveRange(size);
  if (!p) return false;
  // Moving a body that already holds bytes is left to explicit reservations; the receive
  // path reserves before the first byte or takes the open-ended range.
  if (usable_) {
    if (!CommitRange(p, usable_)) {
      ::VirtualFree(p, 0, MEM_RELEASE);
      return false;
    }
    std::memcpy(p, data_.get(), usable_);
  }
  data_ = {p, BodyMemoryRelease{size}};
  return true;
}

bool BodyMemory::Provide(std::size_t size) {
  if (size <= usable_) return true;
  if (size > reserved()) {
    std::size_t want = kLargestOpenEnded;
    while (want >= kSmallestOpenEnded && want >= size && !Reserve(want)) want = NextSmaller(want);
    if (size > reserved() && !Reserve(size)) return false;
  }
  const std::size_t limit = reserved();
  std::size_t target = RoundUp(size, kCommitStep);
  if (target > limit) target = limit;
  if (!CommitRange(data_.get() + usable_, target - usable_)) return false;
  usable_ = target;
  return true;
}

void BodyMemoryRelease::operator()(char* p) const { ::VirtualFree(p, 0, MEM_RELEASE); }
