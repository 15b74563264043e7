#include "ports/system_figures.h"

#include <algorithm>

#include "platform/system/system.h"

namespace dxl {

namespace {
constexpr std::uint64_t kMegabyte = 1048576;
constexpr std::uint64_t kMaxInt32 = 0x7FFFFFFF;
}  // namespace

std::int32_t FreeDiskMegabytes() {
  w95::DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!w95::GetDiskFreeSpaceA(sectorsPerCluster, bytesPerSector, freeClusters, totalClusters)) return 0;
  // The free bytes are a signed 32-bit figure; a drive that reports more is
  // shown at that figure's limit rather than wrapping to a negative one.
  std::uint64_t clusterBytes = std::uint64_t{bytesPerSector} * sectorsPerCluster;
  if (clusterBytes == 0) return 0;
  std::uint64_t freeBytes = std::min<std::uint64_t>(freeClusters, kMaxInt32 / clusterBytes + 1) * clusterBytes;
  return static_cast<std::int32_t>(std::min<std::uint64_t>(freeBytes, kMaxInt32) / kMegabyte);
}

std::int32_t FreeMemoryKilobytes() {
  w95::MemoryStatus status;
  w95::GlobalMemoryStatus(status);
  return static_cast<std::int32_t>(status.dwAvailPhys >> 10);
}

}  // namespace dxl
