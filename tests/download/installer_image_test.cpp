#include "download/installer_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/program_image.h"

namespace {

using testsupport::kPeHeader;
using testsupport::ProgramImage;

// Field offsets in the images of ProgramImage, written out from the PE format.
constexpr std::size_t kMachine = kPeHeader + 4;
constexpr std::size_t kSectionCount = kPeHeader + 6;
constexpr std::size_t kOptionalSize = kPeHeader + 20;
constexpr std::size_t kOptional = kPeHeader + 24;
constexpr std::size_t kSizeOfHeaders = kOptional + 60;
constexpr std::size_t kSecurity32 = kOptional + 96 + 4 * 8;
constexpr std::size_t kSection32 = kOptional + 224;
constexpr std::size_t kSection64 = kOptional + 240;

std::string With(std::string bytes, std::size_t at, std::uint32_t value, int width = 4) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Cut(std::string bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

struct Case {
  const char* what;
  std::string bytes;
  bool whole;
};

TEST(InstallerImage, OnlyAWholeProgramOfARunnableMachinePasses) {
  const std::string x86 = ProgramImage(0x3000, {false, 0x300});
  const std::string x64 = ProgramImage(0x3000, {true, 0x300});
  const std::string bare = ProgramImage(testsupport::kMinimalProgram);
  const Case cases[] = {
      {"32-bit with overlay and certificate table", x86, true},
      {"64-bit with overlay and certificate table", x64, true},
      {"headers and one section, nothing more", bare, true},
      {"ARM64", With(x64, kMachine, 0xaa64, 2), true},
      {"a section of no raw data points anywhere",
       With(With(x86, kSection32 + 16, 0), kSection32 + 20, 0xffffffff), true},
      {"a portal's page with 200",
       "<!DOCTYPE html><html><head><title>Hotel WiFi</title></head><body>Please log in</body>"
       "</html>\n",
       false},
      {"empty", "", false},
      {"MZ only", "MZ", false},
      {"a DOS header only", Cut(bare, 64), false},
      {"e_lfanew beyond the body", With(bare, 0x3c, 0x10000), false},
      {"e_lfanew just short of 4 GiB", With(bare, 0x3c, 0xfffffff0), false},
      {"no PE signature", With(bare, kPeHeader, 0x00004550 + 1), false},
      {"unsupported machine (ARM, 32-bit)", With(bare, kMachine, 0x01c4, 2), false},
      {"unsupported machine (Itanium)", With(x64, kMachine, 0x0200, 2), false},
      {"i386 with a PE32+ header", With(x86, kOptional, 0x020b, 2), false},
      {"x86-64 with a PE32 header", With(x64, kOptional, 0x010b, 2), false},
      {"optional header shorter than its fixed fields", With(bare, kOptionalSize, 0x20, 2), false},
      {"optional header size pushes the section table past the end",
       With(bare, kOptionalSize, 0xffff, 2), false},
      {"section count pushes the table past the end", With(bare, kSectionCount, 0xffff, 2), false},
      {"headers cut", Cut(bare, 0x180), false},
      {"SizeOfHeaders beyond the body", With(bare, kSizeOfHeaders, 0x10000), false},
      {"a section cut", Cut(bare, 0x300), false},
      {"a 64-bit section cut", With(x64, kSection64 + 16, 0x4000), false},
      {"raw data end wraps past 4 GiB", With(x86, kSection32 + 20, 0xffffff00), false},
      {"cut inside the payload", Cut(x86, 0x1800), false},
      {"certificate table cut", Cut(x86, 0x2f00), false},
      {"certificate table end wraps past 4 GiB",
       With(With(x86, kSecurity32, 0xffffff00), kSecurity32 + 4, 0x200), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Exactly as long as the body, so that a read past its end shows under ASan.
    const std::vector<char> body(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(IsWholeProgram(body.data(), body.size()), c.whole);
  }
}

}  // namespace
