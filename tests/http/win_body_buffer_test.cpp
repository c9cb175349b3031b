// Body memory on Windows: committed as the bytes arrive, never ahead for an announced length;
// in the 32-bit program, the 1 GiB limit and an address space too fragmented for a body.

#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "http/body_buffer.h"
#include "http/client.h"
#include "tests/support/scripted_connector.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
constexpr bool k32Bit = sizeof(void*) == 4;

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

struct Fetched {
  std::optional<http::Error> error;
  std::size_t size = 0;
  bool sawBody = false;  // a begin event came
};

// Content-Length: announced; otherwise the body runs until the connection ends.
Fetched FetchGenerated(std::uint64_t length, bool announced) {
  std::string head = "HTTP/1.1 200 OK\r\n";
  if (announced) head += "Content-Length: " + std::to_string(length) + "\r\n";
  head += "\r\n";
  Fetched fetched;
  http::Events events;
  events.workBegin = [&](std::int64_t) { fetched.sawBody = true; };
  events.pump = [] {};
  auto stream = std::make_shared<testsupport::ScriptedStream>(
      testsupport::ScriptedStream{{head}, std::size_t{1} << 16, false, 0, {}, length});
  http::HttpClient client(http::Settings{}, std::move(events),
                          std::make_unique<testsupport::ScriptedConnector>(stream));
  BodyBuffer body;
  try {
    client.Get("http://127.0.0.1:1/big", body);
    fetched.size = body.size();
    if (fetched.size && body.data()[fetched.size - 1] != 'b') fetched.size = 0;
  } catch (const http::HttpError& e) {
    fetched.error = e.code();
  }
  return fetched;
}

TEST(WinDownloadBodyLimit, TheShippedProgramTakesOneGibibyteAndNotOneByteMore) {
  if (!k32Bit) GTEST_SKIP() << "the 1 GiB limit is the 32-bit program's";
  ASSERT_EQ(http::kMaxBodyBytes, kGiB);
  for (bool announced : {true, false}) {
    Fetched atLimit = FetchGenerated(kGiB, announced);
    EXPECT_FALSE(atLimit.error) << "announced " << announced << ": "
                                << http::to_string(atLimit.error.value_or(http::Error{}));
    EXPECT_EQ(atLimit.size, kGiB) << "announced " << announced;

    Fetched beyond = FetchGenerated(kGiB + 1, announced);
    EXPECT_EQ(beyond.error, http::Error::BodyTooLarge) << "announced " << announced;
    // An announced length beyond the limit is refused before any of the body is taken.
    EXPECT_EQ(beyond.sawBody, !announced);
  }
}

// Address space taken in blocks of `block` bytes until no such block is left, given back at
// the end.
class AddressSpaceSqueeze {
public:
  explicit AddressSpaceSqueeze(std::size_t block) {
    while (void* p = VirtualAlloc(nullptr, block, MEM_RESERVE, PAGE_NOACCESS))
      blocks_.emplace_back(p);
  }
  std::size_t LargestFree() const {
    std::size_t largest = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
         p = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
      if (info.State == MEM_FREE) largest = std::max<std::size_t>(largest, info.RegionSize);
      if (info.RegionSize == 0) break;
    }
    return largest;
  }
  // The first block given back but for its last half gibibyte: a free range of exactly 1 GiB.
  bool LeaveOneGibibyte() {
    if (blocks_.empty()) return false;
    char* p = static_cast<char*>(blocks_.front().get());
    blocks_.front().reset();
    blocks_.front().reset(VirtualAlloc(p + kGiB, kGiB / 2, MEM_RESERVE, PAGE_NOACCESS));
    return blocks_.front() != nullptr;
  }

private:
  struct Release {
    void operator()(void* p) const { VirtualFree(p, 0, MEM_RELEASE); }
  };
  std::vector<std::unique_ptr<void, Release>> blocks_;
};

TEST(WinDownloadBodyLimit, AnAnnouncedBodyWithoutAddressSpaceFailsAndTheNextOneFits) {
  if (!k32Bit) GTEST_SKIP() << "only a 32-bit address space runs out";
  constexpr std::uint64_t kAnnounced = 96 * kMiB;
  {
    AddressSpaceSqueeze squeeze(64 * kMiB);
    ASSERT_LT(squeeze.LargestFree(), kAnnounced);
    Fetched fetched = FetchGenerated(kAnnounced, true);
    EXPECT_EQ(fetched.error, http::Error::BodyTooLarge);
    EXPECT_FALSE(fetched.sawBody);
  }
  Fetched fetched = FetchGenerated(kAnnounced, true);
  EXPECT_FALSE(fetched.error);
  EXPECT_EQ(fetched.size, kAnnounced);
}

TEST(WinDownloadBodyLimit, AnUnknownLengthTakesTheLimitWhereNoLargerRangeIsFree) {
  if (!k32Bit) GTEST_SKIP() << "only a 32-bit address space runs out";
  AddressSpaceSqueeze squeeze(3 * kGiB / 2);
  ASSERT_TRUE(squeeze.LeaveOneGibibyte());
  Fetched fetched = FetchGenerated(kGiB, false);
  EXPECT_FALSE(fetched.error);
  EXPECT_EQ(fetched.size, kGiB);
}

}  // namespace
