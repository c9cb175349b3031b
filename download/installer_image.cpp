#include "download/installer_image.h"

#include <cstdint>

namespace {

struct Machine {
  std::uint16_t id;
  std::uint16_t magic;      // of the optional header: 0x10b PE32, 0x20b PE32+
  std::uint32_t fixedPart;  // of the optional header, up to its data directories
};

constexpr Machine kMachines[] = {
    {0x014c, 0x010b, 96},   // i386
    {0x8664, 0x020b, 112},  // x86-64
    {0xaa64, 0x020b, 112},  // ARM64
};

constexpr std::uint32_t kCoffHeader = 4 + 20;  // "PE\0\0" and the file header
constexpr std::uint32_t kSectionHeader = 40;
constexpr std::uint32_t kSecurityDirectory = 4;

// The bytes as little-endian fields; every offset is 64-bit, so no sum of 32-bit fields wraps.
class Image {
public:
  Image(const char* data, std::size_t size) : data_(data), size_(size) {}

  bool Holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  std::uint32_t U16(std::uint64_t at) const { return Byte(at) | Byte(at + 1) << 8; }
  std::uint32_t U32(std::uint64_t at) const { return U16(at) | U16(at + 2) << 16; }

private:
  std::uint32_t Byte(std::uint64_t at) const {
    return static_cast<unsigned char>(data_[static_cast<std::size_t>(at)]);
  }

  const char* data_;
  std::uint64_t size_;
};

const Machine* Find(std::uint32_t id) {
  for (const Machine& machine : kMachines) {
    if (machine.id == id) return &machine;
  }
  return nullptr;
}

}  // namespace

bool IsWholeProgram(const char* data, std::size_t size) {
  const Image image(data, size);
  if (!image.Holds(0, 64) || image.U16(0) != 0x5a4d) return false;  // "MZ"
  const std::uint64_t pe = image.U32(0x3c);
  if (!image.Holds(pe, kCoffHeader) || image.U32(pe) != 0x00004550) return false;  // "PE\0\0"
  const Machine* machine = Find(image.U16(pe + 4));
  if (machine == nullptr) return false;
  const std::uint32_t sections = image.U16(pe + 6);
  const std::uint32_t optionalSize = image.U16(pe + 20);

  const std::uint64_t optional = pe + kCoffHeader;
  if (optionalSize < machine->fixedPart || !image.Holds(optional, optionalSize)) return false;
  if (image.U16(optional) != machine->magic) return false;
  if (!image.Holds(0, image.U32(optional + 60))) return false;  // SizeOfHeaders

  const std::uint64_t table = optional + optionalSize;
  if (!image.Holds(table, std::uint64_t{sections} * kSectionHeader)) return false;
  for (std::uint32_t i = 0; i < sections; ++i) {
    const std::uint64_t header = table + std::uint64_t{i} * kSectionHeader;
    const std::uint32_t rawSize = image.U32(header + 16);
    if (rawSize != 0 && !image.Holds(image.U32(header + 20), rawSize)) return false;
  }

  // The security directory holds a file offset, not an address, and installers put it last.
  const std::uint32_t directories = image.U32(optional + machine->fixedPart - 4);
  const std::uint64_t security = optional + machine->fixedPart + 8 * kSecurityDirectory;
  if (directories > kSecurityDirectory && security + 8 <= table) {
    const std::uint32_t offset = image.U32(security);
    const std::uint32_t length = image.U32(security + 4);
    if ((offset != 0 || length != 0) && !image.Holds(offset, length)) return false;
  }
  return true;
}
