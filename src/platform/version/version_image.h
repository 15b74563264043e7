// Pieces of the version-information calls shared by their source files: a
// bounds-checked reader of an executable's bytes, and where each executable
// format keeps its version resource.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files/files.h"

namespace w95::version {

// Little-endian numbers at `at` of `bytes`; the caller has checked the bounds.
std::uint16_t Le16(std::string_view bytes, std::size_t at);
std::uint32_t Le32(std::string_view bytes, std::size_t at);

// Random access to an open file; every read lies within the file or fails.
class ImageReader {
 public:
  explicit ImageReader(FileHandle& file);

  std::uint64_t Size() const { return size_; }
  bool Read(std::uint64_t offset, std::uint64_t length, std::string& out);
  bool U16(std::uint64_t offset, std::uint16_t& value);
  bool U32(std::uint64_t offset, std::uint32_t& value);

 private:
  bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out);

  FileHandle& file_;
  std::uint64_t size_ = 0;
  // The bytes last read from the file, from windowStart_.
  std::string window_;
  std::uint64_t windowStart_ = 0;
};

// Where the version resource lies in the file: its offset and the most bytes
// it may take (the resource's stored length).
struct ResourceSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// Each takes the offset of the format's header (e_lfanew of the MZ stub).
std::optional<ResourceSpan> FindNeVersion(ImageReader& image, std::uint32_t header);
std::optional<ResourceSpan> FindLeVersion(ImageReader& image, std::uint32_t header);
std::optional<ResourceSpan> FindPeVersion(ImageReader& image, std::uint32_t header);

// True when `block` is a whole VS_VERSIONINFO: its root node spans exactly the
// block and is keyed "VS_VERSION_INFO" (16-bit or 32-bit form).
bool IsVersionBlock(std::string_view block);

}  // namespace w95::version
