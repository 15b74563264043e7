// Texts that the program keeps in fixed-size buffers (a 256-byte line, a
// 260-byte path): what does not fit is cut off, never written past the end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dxl {

// The longest prefix of `text` that fits `bufferSize` bytes with its
// terminating NUL, cut at a character boundary of code page 936 so that no
// lead byte is left without its trail byte.
std::string FitBuffer(std::string_view text, std::size_t bufferSize);

}  // namespace dxl
