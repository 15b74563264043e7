#include "platform/version/version_image.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace w95::version {

namespace {

constexpr std::uint64_t kMaxRead = 4u << 20;  // no header structure is larger
constexpr std::uint64_t kWindowBytes = 4096;

constexpr std::uint16_t kNeVersionType = 0x8010;  // RT_VERSION as an integer type
constexpr std::uint16_t kNeVersionName = 0x8001;  // VS_VERSION_INFO as an integer id
constexpr std::uint32_t kNeTypeInfoSize = 8;
constexpr std::uint32_t kNeNameInfoSize = 12;
constexpr std::uint16_t kNeMaxAlignShift = 16;

constexpr std::uint32_t kLeWinResOffset = 0xB8;
constexpr std::uint32_t kLeWinResHeaderSize = 12;

}  // namespace

std::uint16_t Le16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                << 8);
}

std::uint32_t Le32(std::string_view bytes, std::size_t at) {
  return Le16(bytes, at) | static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16;
}

ImageReader::ImageReader(FileHandle& file) : file_(file) {
  DWORD size = GetFileSize(file_);
  size_ = size == INVALID_FILE_SIZE ? 0 : size;
}

bool ImageReader::Read(std::uint64_t offset, std::uint64_t length, std::string& out) {
  if (length > kMaxRead || offset > size_ || length > size_ - offset) return false;
  if (offset >= windowStart_ && offset - windowStart_ + length <= window_.size()) {
    out.assign(window_, offset - windowStart_, length);
    return true;
  }
  if (length > kWindowBytes) return ReadAt(offset, length, out);
  // The headers and tables of a format lie close together: one read of the
  // aligned window around them serves the many small reads that follow.
  const std::uint64_t start = offset / kWindowBytes * kWindowBytes;
  const std::uint64_t end = std::min(size_, start + 2 * kWindowBytes);
  if (!ReadAt(start, end - start, window_)) {
    window_.clear();
    return false;
  }
  windowStart_ = start;
  out.assign(window_, offset - start, length);
  return true;
}

bool ImageReader::ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<LONG>::max()) || !file_) return false;
  out.assign(length, '\0');
  DWORD read = 0;
  return file_.Object()->ReadAt(offset, out, read) && read == length;
}

bool ImageReader::U16(std::uint64_t offset, std::uint16_t& value) {
  std::string bytes;
  if (!Read(offset, 2, bytes)) return false;
  value = Le16(bytes, 0);
  return true;
}

bool ImageReader::U32(std::uint64_t offset, std::uint32_t& value) {
  std::string bytes;
  if (!Read(offset, 4, bytes)) return false;
  value = Le32(bytes, 0);
  return true;
}

// The resource table of a 16-bit executable: an alignment shift, then type
// records (type id, count, reserved) each followed by its name records, until
// a type id of 0. Offsets and lengths are in units of 1 << shift.
std::optional<ResourceSpan> FindNeVersion(ImageReader& image, std::uint32_t header) {
  std::uint16_t tableOffset = 0, namesOffset = 0;
  if (!image.U16(header + 0x24, tableOffset) || !image.U16(header + 0x26, namesOffset)) return std::nullopt;
  if (namesOffset <= tableOffset) return std::nullopt;  // no resources, or a garbled header
  std::string table;
  if (!image.Read(std::uint64_t{header} + tableOffset, namesOffset - tableOffset, table)) return std::nullopt;
  if (table.size() < 2) return std::nullopt;
  const std::uint16_t shift = Le16(table, 0);
  if (shift > kNeMaxAlignShift) return std::nullopt;
  std::size_t at = 2;
  while (at + kNeTypeInfoSize <= table.size()) {
    const std::uint16_t type = Le16(table, at);
    const std::uint16_t count = Le16(table, at + 2);
    if (type == 0) return std::nullopt;
    at += kNeTypeInfoSize;
    for (std::uint16_t i = 0; i < count; ++i, at += kNeNameInfoSize) {
      if (at + kNeNameInfoSize > table.size()) return std::nullopt;
      if (type != kNeVersionType || Le16(table, at + 6) != kNeVersionName) continue;
      return ResourceSpan{std::uint64_t{Le16(table, at)} << shift, std::uint64_t{Le16(table, at + 2)} << shift};
    }
  }
  return std::nullopt;
}

// A Windows 95 virtual device driver keeps one Windows resource, the version,
// at e32_winresoff: the 12-byte header of a 16-bit resource file entry
// (0xFF and type 16, 0xFF and name 1, flags, size) and then the data.
std::optional<ResourceSpan> FindLeVersion(ImageReader& image, std::uint32_t header) {
  std::string fields;
  if (!image.Read(std::uint64_t{header} + kLeWinResOffset, 8, fields)) return std::nullopt;
  const std::uint32_t offset = Le32(fields, 0);
  const std::uint32_t length = Le32(fields, 4);
  if (length <= kLeWinResHeaderSize) return std::nullopt;
  std::string resourceHeader;
  if (!image.Read(offset, kLeWinResHeaderSize, resourceHeader)) return std::nullopt;
  const bool isVersion = static_cast<unsigned char>(resourceHeader[0]) == 0xFF && Le16(resourceHeader, 1) == 0x10 &&
                         static_cast<unsigned char>(resourceHeader[3]) == 0xFF && Le16(resourceHeader, 4) == 1;
  if (!isVersion) return std::nullopt;
  const std::uint32_t dataSize = Le32(resourceHeader, 8);
  if (dataSize > length - kLeWinResHeaderSize) return std::nullopt;
  return ResourceSpan{std::uint64_t{offset} + kLeWinResHeaderSize, dataSize};
}

}  // namespace w95::version
