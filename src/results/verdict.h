// The one-line verdict of a run, chosen from statusFlags: shown by the results
// dialog and written as the report's closing summary line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dxl {

// The verdict (code page 936, no line end) for `statusFlags`, with
// `portDescription` in place of %s; at most 255 bytes, as its buffer holds.
std::string FormatVerdict(std::uint8_t statusFlags, std::string_view portDescription);

}  // namespace dxl
