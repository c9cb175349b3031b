// Body memory on Windows: committed as the bytes arrive, never ahead for an announced length.

#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "http/body_buffer.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

DWORD StateAt(const char* p) {
  MEMORY_BASIC_INFORMATION info{};
  if (!VirtualQuery(p, &info, sizeof info)) return 0;
  return info.State;
}

TEST(WinDownloadBodyBuffer, AnnouncedLengthIsReservedAndCommittedAsBytesArrive) {
  BodyBuffer body;
  body.Reserve(256 * kMiB);
  std::memcpy(body.Append(3), "abc", 3);
  body.Commit(3);
  EXPECT_EQ(StateAt(body.data()), static_cast<DWORD>(MEM_COMMIT));
  EXPECT_EQ(StateAt(body.data() + 128 * kMiB), static_cast<DWORD>(MEM_RESERVE));
  EXPECT_EQ(StateAt(body.data() + 256 * kMiB - 1), static_cast<DWORD>(MEM_RESERVE));
}

TEST(WinDownloadBodyBuffer, UnknownLengthGrowsInPlace) {
  BodyBuffer body;
  char* first = body.Append(32768);
  std::memset(first, 'x', 32768);
  body.Commit(32768);
  for (int i = 0; i < 100; ++i) {
    std::memset(body.Append(65536), 'y', 65536);
    body.Commit(65536);
  }
  EXPECT_EQ(body.data(), first);
  EXPECT_EQ(body.data()[32767], 'x');
  EXPECT_EQ(body.data()[body.size() - 1], 'y');
  EXPECT_EQ(StateAt(body.data() + 64 * kMiB), static_cast<DWORD>(MEM_RESERVE));
}

TEST(WinDownloadBodyBuffer, BufferUsedAgainOutgrowsItsAnnouncedLength) {
  BodyBuffer body;
  body.Reserve(100);
  std::memcpy(body.Append(5), "first", 5);
  body.Commit(5);
  for (int i = 0; i < 40; ++i) {
    std::memset(body.Append(65536), 'z', 65536);
    body.Commit(65536);
  }
  EXPECT_EQ(std::string(body.data(), 5), "first");
  EXPECT_EQ(body.data()[body.size() - 1], 'z');
}

}  // namespace
