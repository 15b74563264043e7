// GetDiskFreeSpaceA and GlobalMemoryStatus: the host's figures for the
// machine's C: drive and memory, as Windows 95 reports them (32-bit values,
// disks of at most 2 GB), or the fixed figures of MACHINE.INI [System].
#include <sys/statvfs.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <string>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/system/system.h"

namespace w95 {

namespace {

constexpr DWORD ERROR_NOT_READY = 21;

constexpr std::uint64_t kKilobyte = 1024;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

// FAT16 geometry: 512-byte sectors, at most 64 sectors (32 KB) a cluster and
// 65535 clusters, so no figure exceeds 2 GB and the product of the three
// always fits a signed 32-bit integer.
constexpr DWORD kBytesPerSector = 512;
constexpr DWORD kMaxSectorsPerCluster = 64;
constexpr std::uint64_t kMaxClusters = 65535;

// Windows 95 has 2 GB of address space for a process, less its lowest 4 MB.
constexpr DWORD kTotalVirtual = 0x7FC00000;

constexpr std::uint64_t kMaxDword = 0xFFFFFFFFu;

// A non-negative decimal figure of MACHINE.INI [System]; nullopt when it is
// missing or is not a plain number.
std::optional<std::uint64_t> FixedFigure(std::string_view key, std::uint64_t unit) {
  auto value = MachineSetting(Machine::Current(), "System", key);
  if (!value) return std::nullopt;
  std::string_view digits = Trim(*value);
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    return std::nullopt;
  return std::stoull(std::string(digits)) * unit;
}

bool IsOff(std::string_view value) {
  value = Trim(value);
  return value == "0" || EqualsNoCase(value, "no") || EqualsNoCase(value, "false") || EqualsNoCase(value, "off");
}

struct Figures {
  std::uint64_t total = 0;
  std::uint64_t available = 0;
};

std::optional<Figures> HostDisk() {
  struct statvfs info {};
  if (statvfs(Machine::Current().Root().c_str(), &info) != 0) return std::nullopt;
  return Figures{std::uint64_t{info.f_blocks} * info.f_frsize, std::uint64_t{info.f_bavail} * info.f_frsize};
}

// The smallest cluster that keeps the drive within 65535 clusters.
DWORD SectorsPerClusterFor(std::uint64_t totalBytes) {
  DWORD sectors = 1;
  while (sectors < kMaxSectorsPerCluster && totalBytes / (std::uint64_t{sectors} * kBytesPerSector) > kMaxClusters)
    sectors *= 2;
  return sectors;
}

DWORD Clusters(std::uint64_t bytes, DWORD sectorsPerCluster) {
  return static_cast<DWORD>(std::min(bytes / (std::uint64_t{sectorsPerCluster} * kBytesPerSector), kMaxClusters));
}

// Host figures in kilobytes from /proc/meminfo.
struct HostMemory {
  Figures physical;
  Figures swap;
};

HostMemory ReadHostMemory() {
  HostMemory memory;
  std::optional<std::uint64_t> available;
  std::uint64_t free = 0;
  std::ifstream meminfo("/proc/meminfo");
  std::string name;
  std::uint64_t kilobytes = 0;
  std::string unit;
  while (meminfo >> name >> kilobytes) {
    std::getline(meminfo, unit);
    std::uint64_t bytes = kilobytes * kKilobyte;
    if (name == "MemTotal:") memory.physical.total = bytes;
    if (name == "MemAvailable:") available = bytes;
    if (name == "MemFree:") free = bytes;
    if (name == "SwapTotal:") memory.swap.total = bytes;
    if (name == "SwapFree:") memory.swap.available = bytes;
  }
  memory.physical.available = available.value_or(free);
  return memory;
}

DWORD Capped(std::uint64_t bytes) { return static_cast<DWORD>(std::min(bytes, kMaxDword)); }

}  // namespace

bool GetDiskFreeSpaceA(DWORD& sectorsPerCluster, DWORD& bytesPerSector, DWORD& freeClusters, DWORD& totalClusters) {
  if (auto ready = MachineSetting(Machine::Current(), "System", "DiskReady"); ready && IsOff(*ready))
    return Fail(ERROR_NOT_READY, false);
  auto fixedFree = FixedFigure("FreeDiskMB", kMegabyte);
  auto fixedTotal = FixedFigure("TotalDiskMB", kMegabyte);
  auto host = HostDisk();
  if (!host && !fixedFree) return Fail(ERROR_NOT_READY, false);
  Figures disk = host.value_or(Figures{});
  if (fixedFree) disk.available = *fixedFree;
  if (fixedTotal) disk.total = *fixedTotal;
  disk.total = std::max(disk.total, disk.available);

  sectorsPerCluster = SectorsPerClusterFor(disk.total);
  bytesPerSector = kBytesPerSector;
  freeClusters = Clusters(disk.available, sectorsPerCluster);
  totalClusters = Clusters(disk.total, sectorsPerCluster);
  return true;
}

void GlobalMemoryStatus(MemoryStatus& status) {
  HostMemory host = ReadHostMemory();
  Figures physical = host.physical;
  if (auto fixed = FixedFigure("FreeMemoryKB", kKilobyte)) physical.available = *fixed;
  if (auto fixed = FixedFigure("TotalMemoryKB", kKilobyte)) physical.total = *fixed;
  physical.total = std::max(physical.total, physical.available);

  status = MemoryStatus{};
  status.dwTotalPhys = Capped(physical.total);
  status.dwAvailPhys = Capped(physical.available);
  status.dwMemoryLoad =
      physical.total == 0 ? 0 : static_cast<DWORD>((physical.total - physical.available) * 100 / physical.total);
  status.dwTotalPageFile = Capped(host.swap.total);
  status.dwAvailPageFile = Capped(std::min(host.swap.available, host.swap.total));
  status.dwTotalVirtual = kTotalVirtual;
  status.dwAvailVirtual = kTotalVirtual;
}

}  // namespace w95
