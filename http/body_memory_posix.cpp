#include <sys/mman.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "http/body_memory.h"

// Pages of an anonymous mapping are backed only when first written, so reserving is mapping.
// Growth moves the page tables with mremap instead of copying the bytes.
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kFirstOpenEnded = std::size_t{8} << 20;
// Pages made present ahead of the writes: a bounded window, so a server that announces much
// and sends little costs little, by threads that wait for the memory side by side.
constexpr std::size_t kAheadWindow = std::size_t{8} << 20;
constexpr int kAheadThreads = 4;
constexpr std::size_t kAheadFrom = std::size_t{8} << 20;  // smaller bodies start no threads

std::size_t RoundUp(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }
}  // namespace

// A first write to a page can be slow: on a virtual machine that hands freed memory back to its
// host, the host has to find memory for it again, one small page at a time. Threads that make
// pages present a few MiB ahead of the writes pay that wait in parallel with the receiving.
class BodyMemory::Ahead {
public:
  Ahead() {
    try {
      for (int i = 0; i < kAheadThreads; ++i) threads_.emplace_back([this] { Work(); });
    } catch (...) {
      Stop();
      throw;
    }
  }
  Ahead(const Ahead&) = delete;
  Ahead& operator=(const Ahead&) = delete;
  ~Ahead() { Stop(); }

  // Pages from written up to end are wanted soon.
  void Want(char* base, std::size_t written, std::size_t end) {
    end = end / kHugePage * kHugePage;
    std::lock_guard lock(mutex_);
    base_ = base;
    next_ = std::max(next_, RoundUp(written, kHugePage));
    if (end <= end_ || next_ >= end) return;
    end_ = end;
    more_.notify_all();
  }

  // Waits until no thread works on the range; the range may then move or go.
  void Pause() {
    std::unique_lock lock(mutex_);
    end_ = next_;
    idle_.wait(lock, [this] { return busy_ == 0; });
  }

private:
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    more_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      more_.wait(lock, [this] { return stop_ || next_ < end_; });
      if (stop_ || failed_) return;
      char* at = base_ + next_;
      const std::size_t size = std::min(kHugePage, end_ - next_);
      next_ += size;
      ++busy_;
      lock.unlock();
      // Only makes the pages present; the bytes the receiver writes meanwhile stay.
      const bool ok = ::madvise(at, size, MADV_POPULATE_WRITE) == 0;
      lock.lock();
      --busy_;
      if (!ok) failed_ = true;
      if (busy_ == 0) idle_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable more_, idle_;
  char* base_ = nullptr;
  std::size_t next_ = 0, end_ = 0;
  int busy_ = 0;
  bool stop_ = false, failed_ = false;
  std::vector<std::thread> threads_;
};

void BodyMemory::AheadStop::operator()(Ahead* ahead) const { std::default_delete<Ahead>()(ahead); }

bool BodyMemory::Reserve(std::size_t size) {
  const std::size_t old = reserved();
  if (size <= old) return true;
  if (size > static_cast<std::size_t>(-1) - kHugePage) return false;
  size = RoundUp(size, kHugePage);
  if (ahead_) ahead_->Pause();
  void* p = old ? ::mremap(data_.get(), old, size, MREMAP_MAYMOVE)
                : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return false;
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  static_cast<void>(data_.release());
  data_ = {static_cast<char*>(p), BodyMemoryRelease{size}};
  usable_ = size;
  return true;
}

bool BodyMemory::Provide(std::size_t size) {
  if (size > usable_) {
    const std::size_t old = reserved();
    std::size_t doubled = old > static_cast<std::size_t>(-1) / 2 ? size : old * 2;
    if (doubled < kFirstOpenEnded) doubled = kFirstOpenEnded;
    if (!Reserve(size > doubled ? size : doubled) && !Reserve(size)) return false;
  }
  if (size < kAheadFrom) return true;
  if (!ahead_) {
    try {
      ahead_.reset(std::make_unique<Ahead>().release());
    } catch (const std::system_error&) {
      return true;  // no threads to spare: the receiver makes its pages present itself
    }
  }
  ahead_->Want(data_.get(), size, std::min(usable_, size + kAheadWindow));
  return true;
}

void BodyMemoryRelease::operator()(char* p) const { ::munmap(p, reserved); }
