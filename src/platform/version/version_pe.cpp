// The version resource of a 32-bit (PE) executable: the resource directory of
// the optional header's data directory, walked type 16 (RT_VERSION), name 1
// (VS_VERSION_INFO), first language.
#include <vector>

#include "platform/version/version_image.h"

namespace w95::version {

namespace {

constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryPe32 = 112;
constexpr std::uint32_t kResourceDirectoryPe32Plus = 128;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kDirectoryHeaderSize = 16;
constexpr std::uint32_t kDirectoryEntrySize = 8;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kVersionType = 16;
constexpr std::uint32_t kVersionName = 1;

struct Section {
  std::uint32_t virtualAddress = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawPointer = 0;
};

std::optional<std::vector<Section>> ReadSections(ImageReader& image, std::uint64_t at, std::uint16_t count) {
  std::string table;
  if (!image.Read(at, std::uint64_t{count} * kSectionHeaderSize, table)) return std::nullopt;
  std::vector<Section> sections;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = i * kSectionHeaderSize;
    sections.push_back({Le32(table, entry + 12), Le32(table, entry + 16), Le32(table, entry + 20)});
  }
  return sections;
}

// The file offset of a relative virtual address, through the section that holds it.
std::optional<std::uint64_t> FileOffset(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const Section& section : sections) {
    if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize)
      return std::uint64_t{rva} - section.virtualAddress + section.rawPointer;
  }
  return std::nullopt;
}

// The OffsetToData of an entry of the directory at `base` + `directory`: the
// one with integer id `id`, or the first entry of all when `id` is empty.
std::optional<std::uint32_t> DirectoryEntry(ImageReader& image, std::uint64_t base, std::uint32_t directory,
                                            std::optional<std::uint32_t> id) {
  std::string header;
  if (!image.Read(base + directory, kDirectoryHeaderSize, header)) return std::nullopt;
  const std::uint32_t named = Le16(header, 12);
  const std::uint32_t total = named + Le16(header, 14);
  std::string entries;
  if (!image.Read(base + directory + kDirectoryHeaderSize, std::uint64_t{total} * kDirectoryEntrySize, entries))
    return std::nullopt;
  for (std::uint32_t i = id ? named : 0; i < total; ++i) {
    const std::size_t entry = std::size_t{i} * kDirectoryEntrySize;
    if (!id || Le32(entries, entry) == *id) return Le32(entries, entry + 4);
  }
  return std::nullopt;
}

std::optional<std::uint32_t> Subdirectory(std::optional<std::uint32_t> offset) {
  if (!offset || !(*offset & kSubdirectoryBit)) return std::nullopt;
  return *offset & ~kSubdirectoryBit;
}

// Where the optional header keeps the resource entry of its data directory.
std::optional<std::uint32_t> ResourceDirectoryOffset(std::uint16_t magic) {
  if (magic == kPe32Magic) return kResourceDirectoryPe32;
  if (magic == kPe32PlusMagic) return kResourceDirectoryPe32Plus;
  return std::nullopt;
}

}  // namespace

std::optional<ResourceSpan> FindPeVersion(ImageReader& image, std::uint32_t header) {
  std::string fileHeader;
  if (!image.Read(std::uint64_t{header} + 4, 20, fileHeader)) return std::nullopt;
  const std::uint16_t sectionCount = Le16(fileHeader, 2);
  const std::uint16_t optionalSize = Le16(fileHeader, 16);
  const std::uint64_t optional = std::uint64_t{header} + 24;

  std::uint16_t magic = 0;
  if (!image.U16(optional, magic)) return std::nullopt;
  auto directory = ResourceDirectoryOffset(magic);
  if (!directory || optionalSize < *directory + 8) return std::nullopt;
  const std::uint32_t directoryAt = *directory;
  std::uint32_t resourceRva = 0, resourceSize = 0;
  if (!image.U32(optional + directoryAt, resourceRva) || !image.U32(optional + directoryAt + 4, resourceSize))
    return std::nullopt;
  if (resourceSize == 0) return std::nullopt;

  auto sections = ReadSections(image, optional + optionalSize, sectionCount);
  if (!sections) return std::nullopt;
  auto base = FileOffset(*sections, resourceRva);
  if (!base) return std::nullopt;

  auto names = Subdirectory(DirectoryEntry(image, *base, 0, kVersionType));
  if (!names) return std::nullopt;
  auto languages = Subdirectory(DirectoryEntry(image, *base, *names, kVersionName));
  if (!languages) return std::nullopt;
  auto data = DirectoryEntry(image, *base, *languages, std::nullopt);
  if (!data || (*data & kSubdirectoryBit)) return std::nullopt;

  std::uint32_t dataRva = 0, dataSize = 0;
  if (!image.U32(*base + *data, dataRva) || !image.U32(*base + *data + 4, dataSize)) return std::nullopt;
  auto offset = FileOffset(*sections, dataRva);
  if (!offset) return std::nullopt;
  return ResourceSpan{*offset, dataSize};
}

}  // namespace w95::version
