// Where the FAT drive of a disk image file starts: at byte 0 for the image of
// a bare drive (a FAT12, FAT16 or FAT32 boot sector first), else behind an MBR
// partition table. Of the partitions, the active FAT partition is the drive
// (it is the one Windows 95 boots and calls C:), else the first FAT partition
// in the table. Only the first sector is read; the file systems themselves are
// left to mtools.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace w95 {

// The byte offset of the FAT drive in the image `sector0` begins (at least
// 512 bytes); nullopt with `problem` set when it holds none.
std::optional<std::uint64_t> FatVolumeOffsetIn(std::string_view sector0, std::string& problem);

// The same for the image file `image`.
std::optional<std::uint64_t> FatVolumeOffset(const std::filesystem::path& image, std::string& problem);

}  // namespace w95
