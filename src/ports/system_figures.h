// The two figures of the start page's system information.
#pragma once

#include <cstdint>

namespace dxl {

// Free space of the current drive in whole megabytes; 0 when the drive
// cannot be queried.
std::int32_t FreeDiskMegabytes();

// Available physical memory in kilobytes.
std::int32_t FreeMemoryKilobytes();

}  // namespace dxl
