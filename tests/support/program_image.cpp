#include "tests/support/program_image.h"

#include <cstdint>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;

class Writer {
public:
  explicit Writer(std::string& bytes) : bytes_(bytes) {}
  void U16(std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 2; ++i) bytes_[at + i] = static_cast<char>(value >> (8 * i));
  }
  void U32(std::size_t at, std::uint32_t value) {
    U16(at, value & 0xffff);
    U16(at + 2, value >> 16);
  }
  void U64(std::size_t at, std::uint64_t value) {
    U32(at, static_cast<std::uint32_t>(value));
    U32(at + 4, static_cast<std::uint32_t>(value >> 32));
  }

private:
  std::string& bytes_;
};

}  // namespace

std::string ProgramImage(std::size_t size, ProgramShape shape) {
  if (size < kMinimalProgram + shape.certificate) throw std::invalid_argument("too small");
  std::string bytes(size, '\0');
  for (std::size_t i = kMinimalProgram; i < size; ++i)
    bytes[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
  Writer w(bytes);

  w.U16(0, 0x5a4d);  // "MZ"
  w.U32(0x3c, kPeHeader);
  w.U32(kPeHeader, 0x00004550);  // "PE\0\0"
  const std::size_t file = kPeHeader + 4;
  w.U16(file, shape.x64 ? 0x8664 : 0x014c);
  w.U16(file + 2, 1);
  const std::uint32_t optionalSize = shape.x64 ? 240 : 224;
  w.U16(file + 16, optionalSize);
  w.U16(file + 18, shape.x64 ? 0x0022 : 0x0102);  // executable; large-address-aware or 32-bit

  const std::size_t opt = file + 20;
  w.U16(opt, shape.x64 ? 0x020b : 0x010b);
  w.U32(opt + 4, kFileAlignment);      // SizeOfCode
  w.U32(opt + 16, kSectionAlignment);  // AddressOfEntryPoint
  w.U32(opt + 20, kSectionAlignment);  // BaseOfCode
  if (shape.x64) {
    w.U64(opt + 24, 0x140000000);
  } else {
    w.U32(opt + 28, 0x400000);
  }
  w.U32(opt + 32, kSectionAlignment);
  w.U32(opt + 36, kFileAlignment);
  w.U16(opt + 40, 6);                      // operating system 6.0
  w.U16(opt + 48, 6);                      // subsystem 6.0
  w.U32(opt + 56, 2 * kSectionAlignment);  // SizeOfImage
  w.U32(opt + 60, kFileAlignment);         // SizeOfHeaders
  w.U16(opt + 68, 2);                      // Windows GUI
  w.U16(opt + 70, 0x0140);                 // dynamic base, NX compatible
  const std::size_t stacks = opt + 72;
  const std::size_t word = shape.x64 ? 8 : 4;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::uint32_t value = i % 2 == 0 ? 0x100000 : 0x1000;  // reserve, commit
    if (shape.x64) {
      w.U64(stacks + i * word, value);
    } else {
      w.U32(stacks + i * word, value);
    }
  }
  const std::size_t dirs = stacks + 4 * word + 8;
  w.U32(dirs - 4, 16);  // NumberOfRvaAndSizes
  if (shape.certificate != 0) {
    const std::size_t at = size - shape.certificate;
    w.U32(dirs + 4 * 8, static_cast<std::uint32_t>(at));
    w.U32(dirs + 4 * 8 + 4, static_cast<std::uint32_t>(shape.certificate));
    if (shape.certificate >= 8) {
      w.U32(at, static_cast<std::uint32_t>(shape.certificate));
      w.U16(at + 4, 0x0200);  // WIN_CERT_REVISION_2_0
      w.U16(at + 6, 0x0002);  // WIN_CERT_TYPE_PKCS_SIGNED_DATA
    }
  }

  const std::size_t section = opt + optionalSize;
  bytes.replace(section, 5, ".text");
  w.U32(section + 8, kFileAlignment);      // VirtualSize
  w.U32(section + 12, kSectionAlignment);  // VirtualAddress
  w.U32(section + 16, kFileAlignment);     // SizeOfRawData
  w.U32(section + 20, kFileAlignment);     // PointerToRawData
  w.U32(section + 36, 0x60000020);         // code, execute, read
  // xor eax, eax; ret
  bytes[kFileAlignment] = '\x31';
  bytes[kFileAlignment + 1] = '\xc0';
  bytes[kFileAlignment + 2] = '\xc3';
  return bytes;
}

}  // namespace testsupport
