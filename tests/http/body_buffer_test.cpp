#include <cstring>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "http/body_buffer.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kBlock = 32768;

long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, field.size(), field) == 0) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// Peak resident memory from here on: the kernel's high-water mark is set back to the present.
class PeakMemory {
public:
  PeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
    start_ = StatusKiB("VmRSS");
  }
  std::size_t GrowthBytes() const {
    long peak = StatusKiB("VmHWM");
    return peak > start_ ? static_cast<std::size_t>(peak - start_) * 1024 : 0;
  }

private:
  long start_ = 0;
};

char Pattern(std::size_t offset) { return static_cast<char>((offset / kBlock * 7 + 3) & 0xff); }

void AppendBlocks(BodyBuffer& body, std::size_t bytes) {
  for (std::size_t done = 0; done < bytes; done += kBlock) {
    char* p = body.Append(kBlock);
    std::memset(p, Pattern(body.size()), kBlock);
    body.Commit(kBlock);
  }
}

bool HoldsPattern(const BodyBuffer& body) {
  for (std::size_t at = 0; at < body.size(); at += kBlock)
    if (body.data()[at] != Pattern(at) || body.data()[at + kBlock - 1] != Pattern(at)) return false;
  return true;
}

TEST(BodyBuffer, AnnouncedLengthUsesNoMemoryBeforeTheBytesArrive) {
  PeakMemory peak;
  BodyBuffer body;
  body.Reserve(std::size_t{1} << 30);
  std::memcpy(body.Append(3), "abc", 3);
  body.Commit(3);
  EXPECT_EQ(std::string(body.data(), body.size()), "abc");
  EXPECT_LT(peak.GrowthBytes(), 16 * kMiB);

  // Once bytes stream in, the memory in use follows them: nothing is made present ahead.
  AppendBlocks(body, 32 * kMiB);
  EXPECT_LT(peak.GrowthBytes(), 48 * kMiB);
}

TEST(BodyBuffer, UnknownLengthGrowsWithoutCopyingAndKeepsEveryByte) {
  constexpr std::size_t kBody = 96 * kMiB;
  PeakMemory peak;
  BodyBuffer body;
  AppendBlocks(body, kBody);
  EXPECT_LE(peak.GrowthBytes(), kBody + 16 * kMiB);
  ASSERT_EQ(body.size(), kBody);
  EXPECT_TRUE(HoldsPattern(body));

  // A reservation after bytes arrived keeps them, and the buffer grows on from there.
  body.Reserve(2 * kBody);
  AppendBlocks(body, 4 * kMiB);
  EXPECT_TRUE(HoldsPattern(body));
}

TEST(BodyBuffer, MovedFromAndReleasedBuffersStartAfresh) {
  BodyBuffer first;
  AppendBlocks(first, kMiB);
  BodyBuffer second(std::move(first));
  EXPECT_EQ(second.size(), kMiB);
  EXPECT_TRUE(HoldsPattern(second));
  for (BodyBuffer* b : {&first, &second}) {
    if (b == &second) b->Release();
    EXPECT_TRUE(b->empty());
    AppendBlocks(*b, 2 * kBlock);
    EXPECT_TRUE(HoldsPattern(*b));
  }
}

}  // namespace
