#include "tests/support/program_image.h"

#include <cstdint>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;

}  // namespace

std::string ProgramImage(std::size_t size, ProgramShape shape) {
  if (size < kMinimalProgram + shape.certificate) throw std::invalid_argument("too small");
  std::string bytes(size, '\0');
  for (std::size_t i = kMinimalProgram; i < size; ++i)
    bytes[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
  // Little-endian, as every field of the format.
  auto put = [&bytes](std::size_t at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  auto U16 = [&put](std::size_t at, std::uint64_t value) { put(at, value, 2); };
  auto U32 = [&put](std::size_t at, std::uint64_t value) { put(at, value, 4); };

  U16(0, 0x5a4d);  // "MZ"
  U32(0x3c, kPeHeader);
  U32(kPeHeader, 0x00004550);  // "PE\0\0"
  const std::size_t file = kPeHeader + 4;
  U16(file, shape.x64 ? 0x8664 : 0x014c);
  U16(file + 2, 1);
  const std::uint32_t optionalSize = shape.x64 ? 240 : 224;
  U16(file + 16, optionalSize);
  U16(file + 18, shape.x64 ? 0x0022 : 0x0102);  // executable; large-address-aware or 32-bit

  const std::size_t opt = file + 20;
  U16(opt, shape.x64 ? 0x020b : 0x010b);
  U32(opt + 4, kFileAlignment);      // SizeOfCode
  U32(opt + 16, kSectionAlignment);  // AddressOfEntryPoint
  U32(opt + 20, kSectionAlignment);  // BaseOfCode
  put(opt + (shape.x64 ? 24 : 28), shape.x64 ? 0x140000000 : 0x400000, shape.x64 ? 8 : 4);
  U32(opt + 32, kSectionAlignment);
  U32(opt + 36, kFileAlignment);
  U16(opt + 40, 6);                      // operating system 6.0
  U16(opt + 48, 6);                      // subsystem 6.0
  U32(opt + 56, 2 * kSectionAlignment);  // SizeOfImage
  U32(opt + 60, kFileAlignment);         // SizeOfHeaders
  U16(opt + 68, 2);                      // Windows GUI
  U16(opt + 70, 0x0140);                 // dynamic base, NX compatible
  const std::size_t stacks = opt + 72;
  const std::size_t word = shape.x64 ? 8 : 4;
  for (std::size_t i = 0; i < 4; ++i) {
    put(stacks + i * word, i % 2 == 0 ? 0x100000 : 0x1000, word);  // reserve, commit
  }
  const std::size_t dirs = stacks + 4 * word + 8;
  U32(dirs - 4, 16);  // NumberOfRvaAndSizes
  if (shape.certificate != 0) {
    const std::size_t at = size - shape.certificate;
    U32(dirs + 4 * 8, at);
    U32(dirs + 4 * 8 + 4, shape.certificate);
    if (shape.certificate >= 8) {
      U32(at, shape.certificate);
      U16(at + 4, 0x0200);  // WIN_CERT_REVISION_2_0
      U16(at + 6, 0x0002);  // WIN_CERT_TYPE_PKCS_SIGNED_DATA
    }
  }

  const std::size_t section = opt + optionalSize;
  bytes.replace(section, 5, ".text");
  U32(section + 8, kFileAlignment);      // VirtualSize
  U32(section + 12, kSectionAlignment);  // VirtualAddress
  U32(section + 16, kFileAlignment);     // SizeOfRawData
  U32(section + 20, kFileAlignment);     // PointerToRawData
  U32(section + 36, 0x60000020);         // code, execute, read
  // xor eax, eax; ret
  bytes[kFileAlignment] = '\x31';
  bytes[kFileAlignment + 1] = '\xc0';
  bytes[kFileAlignment + 2] = '\xc3';
  return bytes;
}

}  // namespace testsupport
