// Where the FAT drive of a disk image starts, and which mount holds a path.
#include "platform/machine/disk_image.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "platform/machine/mount_kind.h"

namespace w95 {
namespace {

// A first sector with an MBR partition table; each partition is (type, active, start sector).
std::string Mbr(std::initializer_list<std::tuple<unsigned char, bool, std::uint32_t>> partitions) {
  std::string sector(512, '\0');
  std::size_t at = 446;
  for (auto [type, active, start] : partitions) {
    sector[at] = static_cast<char>(active ? 0x80 : 0);
    sector[at + 4] = static_cast<char>(type);
    for (int i = 0; i < 4; ++i) sector[at + 8 + i] = static_cast<char>(start >> (8 * i));
    at += 16;
  }
  sector[510] = '\x55';
  sector[511] = '\xAA';
  return sector;
}

// The start of a FAT boot sector: jump, name, 512-byte sectors, 8 per cluster, 32 reserved, 2 FATs.
std::string BootSector() {
  std::string sector = Mbr({});
  sector.replace(0, 17, std::string("\xEB\x58\x90mkfs.fat\x00\x02\x08\x20\x00\x02", 17));
  return sector;
}

TEST(DiskImage, TheActiveFatPartitionElseTheFirst) {
  struct Case {
    const char* what;
    std::string sector;
    std::optional<std::uint64_t> offset;
  };
  const Case cases[] = {
      {"a bare drive", BootSector(), 0},
      {"one partition", Mbr({{0x0C, false, 2048}}), 2048 * 512},
      {"the active one", Mbr({{0x06, false, 63}, {0x0B, true, 4096}}), 4096 * 512},
      {"no active: the first FAT", Mbr({{0x83, false, 63}, {0x0E, false, 8192}, {0x0C, false, 9000}}), 8192 * 512},
      {"an active Linux partition is no drive", Mbr({{0x83, true, 63}, {0x1C, false, 100}}), 100 * 512},
      {"no FAT partition", Mbr({{0x83, true, 63}}), std::nullopt},
      {"nothing", std::string(512, '\0'), std::nullopt},
      {"too short", std::string(100, '\xEB'), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string problem;
    EXPECT_EQ(FatVolumeOffsetIn(c.sector, problem), c.offset);
    EXPECT_EQ(problem.empty(), c.offset.has_value()) << problem;
  }
}

TEST(MountKind, TheLongestMountPointAboveThePathDecides) {
  const std::string mountinfo =
      "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "40 22 0:39 / /tmp/fat rw,nosuid - fuse.fusefat fusefat rw\n"
      "41 22 7:0 / /media/with\\040blank rw - vfat /dev/loop0 rw\n";
  EXPECT_EQ(MountTypeIn(mountinfo, "/tmp/fat/WINDOWS"), "fuse.fusefat");
  EXPECT_EQ(MountTypeIn(mountinfo, "/tmp/fat"), "fuse.fusefat");
  EXPECT_EQ(MountTypeIn(mountinfo, "/tmp/fatter"), "ext4");
  EXPECT_EQ(MountTypeIn(mountinfo, "/media/with blank/x"), "vfat");
}

}  // namespace
}  // namespace w95
