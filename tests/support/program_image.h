#pragma once

#include <cstddef>
#include <string>

namespace testsupport {

struct ProgramShape {
  bool x64 = false;
  // Bytes of the certificate table at the very end, named by the security directory; 0: none.
  std::size_t certificate = 0;
};

// A minimal Windows GUI program of exactly size bytes (at least kMinimalProgram and the
// certificate table): headers, one
// code section whose entry returns 0, then an overlay of patterned bytes and the certificate
// table.
constexpr std::size_t kMinimalProgram = 0x400;
std::string ProgramImage(std::size_t size, ProgramShape shape = {});
// Where ProgramImage puts the "PE\0\0" signature (e_lfanew).
constexpr std::size_t kPeHeader = 0x40;

}  // namespace testsupport
