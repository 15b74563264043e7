// Executable files with real version resources, byte for byte as Windows 95
// finds them: 16-bit NE (drivers, Windows 3.x programs), LE (Windows 95
// virtual device drivers) and 32-bit PE files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dxl::tools {

enum class ImageFormat { Ne, Le, Pe };

// "a.b.c.d" as four 16-bit numbers; throws std::invalid_argument otherwise.
std::array<std::uint16_t, 4> ParseFileVersion(std::string_view version);

// A VS_VERSIONINFO block with the fixed information, a string table
// (Simplified Chinese, code page 936) and the translation: the 16-bit form
// (ANSI keys) or the 32-bit form (UTF-16 keys and texts).
std::string VersionBlock16(std::string_view fileVersion, std::string_view description);
std::string VersionBlock32(std::string_view fileVersion, std::string_view description);

// An executable of `format` whose version resource gives `fileVersion`,
// padded with zero bytes to `size` when that is larger than the image.
std::string MakeExecutable(ImageFormat format, std::string_view fileVersion, std::string_view description,
                           std::size_t size = 0);

// The same image with `block` as its version resource, as it is.
std::string MakeExecutableWithBlock(ImageFormat format, std::string_view block);

// A file of `size` bytes without any executable header (data, help, text).
std::string MakeDataFile(std::string_view name, std::size_t size);

}  // namespace dxl::tools
