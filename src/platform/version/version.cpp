#include "platform/version/version.h"

#include <algorithm>
#include <optional>

#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/version/version_image.h"

namespace w95 {

namespace {

using version::ImageReader;
using version::ResourceSpan;

constexpr std::uint16_t kMzSignature = 0x5A4D;
constexpr std::uint16_t kNeSignature = 0x454E;
constexpr std::uint16_t kLeSignature = 0x454C;
constexpr std::uint32_t kPeSignature = 0x00004550;
constexpr std::uint64_t kMzHeaderSize = 0x40;
constexpr std::uint32_t kNewHeaderOffset = 0x3C;

std::optional<ResourceSpan> FindVersionResource(ImageReader& image) {
  std::string mz;
  if (!image.Read(0, kMzHeaderSize, mz) || version::Le16(mz, 0) != kMzSignature) return std::nullopt;
  const std::uint32_t header = version::Le32(mz, kNewHeaderOffset);
  std::uint16_t signature = 0;
  if (!image.U16(header, signature)) return std::nullopt;
  if (signature == kNeSignature) return version::FindNeVersion(image, header);
  if (signature == kLeSignature) return version::FindLeVersion(image, header);
  std::uint32_t peSignature = 0;
  if (image.U32(header, peSignature) && peSignature == kPeSignature) return version::FindPeVersion(image, header);
  return std::nullopt;
}

// The file's VS_VERSIONINFO block, whole, or nullopt with the last error set.
std::optional<std::string> ReadVersionBlock(std::string_view fileName) {
  FileHandle file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (!file) return std::nullopt;
  return FileVersionBlock(file);
}

}  // namespace

std::optional<std::string> FileVersionBlock(FileHandle& file) {
  ImageReader image(file);
  auto resource = FindVersionResource(image);
  std::uint16_t length = 0;
  std::string block;
  if (!resource || !image.U16(resource->offset, length) || length > resource->length ||
      !image.Read(resource->offset, length, block) || !version::IsVersionBlock(block))
    return Fail(ERROR_FILE_NOT_FOUND, std::nullopt);
  return block;
}

DWORD GetFileVersionInfoSizeA(std::string_view fileName, DWORD& handle) {
  handle = 0;
  auto block = ReadVersionBlock(fileName);
  return block ? static_cast<DWORD>(block->size()) : 0;
}

bool GetFileVersionInfoA(std::string_view fileName, DWORD, std::span<char> data) {
  if (data.empty()) return Fail(ERROR_INSUFFICIENT_BUFFER, false);
  auto block = ReadVersionBlock(fileName);
  if (!block) return false;
  const std::size_t copied = std::min(block->size(), data.size());
  std::copy_n(block->begin(), copied, data.begin());
  std::fill(data.begin() + static_cast<std::ptrdiff_t>(copied), data.end(), '\0');
  return true;
}

}  // namespace w95
