#include "platform/machine/disk_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>

#include "platform/machine/host_open.h"

namespace w95 {

namespace {

constexpr std::size_t kSector = 512;
constexpr std::size_t kPartitionTable = 446;
constexpr std::size_t kPartitionEntry = 16;
constexpr unsigned char kActive = 0x80;
// FAT12, FAT16 (< 32 MB), FAT16, FAT32, FAT32 (LBA), FAT16 (LBA), and their hidden forms.
constexpr std::array<unsigned char, 12> kFatTypes = {0x01, 0x04, 0x06, 0x0B, 0x0C, 0x0E,
                                                     0x11, 0x14, 0x16, 0x1B, 0x1C, 0x1E};

unsigned Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }
std::uint32_t Little32(std::string_view bytes, std::size_t at) {
  return Byte(bytes, at) | Byte(bytes, at + 1) << 8 | Byte(bytes, at + 2) << 16 |
         static_cast<std::uint32_t>(Byte(bytes, at + 3)) << 24;
}

bool HasSignature(std::string_view sector) { return Byte(sector, 510) == 0x55 && Byte(sector, 511) == 0xAA; }

// A FAT boot sector: a jump, a power-of-two sector size of 512 to 4096 bytes,
// a power-of-two cluster, reserved sectors and one or two FATs.
bool IsFatBootSector(std::string_view sector) {
  const unsigned jump = Byte(sector, 0);
  if (jump != 0xEB && jump != 0xE9) return false;
  const unsigned bytesPerSector = Byte(sector, 11) | Byte(sector, 12) << 8;
  const unsigned sectorsPerCluster = Byte(sector, 13);
  const unsigned reserved = Byte(sector, 14) | Byte(sector, 15) << 8;
  const unsigned fats = Byte(sector, 16);
  auto powerOfTwo = [](unsigned n) { return n != 0 && (n & (n - 1)) == 0; };
  return bytesPerSector >= 512 && bytesPerSector <= 4096 && powerOfTwo(bytesPerSector) &&
         powerOfTwo(sectorsPerCluster) && reserved > 0 && (fats == 1 || fats == 2);
}

bool IsFatType(unsigned char type) {
  for (unsigned char fat : kFatTypes)
    if (type == fat) return true;
  return false;
}

}  // namespace

std::optional<std::uint64_t> FatVolumeOffsetIn(std::string_view sector0, std::string& problem) {
  if (sector0.size() < kSector) {
    problem = "it is too short to hold a drive";
    return std::nullopt;
  }
  if (IsFatBootSector(sector0)) return 0;
  if (!HasSignature(sector0)) {
    problem = "it holds neither a FAT drive nor a partition table";
    return std::nullopt;
  }
  std::optional<std::uint64_t> first, active;
  for (std::size_t entry = 0; entry < 4; ++entry) {
    const std::size_t at = kPartitionTable + entry * kPartitionEntry;
    const std::uint32_t start = Little32(sector0, at + 8);
    if (!IsFatType(static_cast<unsigned char>(sector0[at + 4])) || start == 0) continue;
    const std::uint64_t offset = std::uint64_t{start} * kSector;
    if (!first) first = offset;
    if (Byte(sector0, at) == kActive && !active) active = offset;
  }
  if (active) return active;
  if (first) return first;
  problem = "its partition table holds no FAT partition";
  return std::nullopt;
}

std::optional<std::uint64_t> FatVolumeOffset(const std::filesystem::path& image, std::string& problem) {
  UniqueFd fd(open(image.c_str(), O_RDONLY | O_CLOEXEC));
  std::string sector(kSector, '\0');
  if (fd.get() < 0 || pread(fd.get(), sector.data(), kSector, 0) != static_cast<ssize_t>(kSector)) {
    problem = fd.get() < 0 ? "it cannot be opened" : "it is too short to hold a drive";
    return std::nullopt;
  }
  return FatVolumeOffsetIn(sector, problem);
}

}  // namespace w95
