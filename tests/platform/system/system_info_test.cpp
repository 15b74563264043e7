// Free disk space and memory as the emulated Windows 95 reports them: the
// host's figures or MACHINE.INI's fixed ones, within 32-bit limits.
#include <gtest/gtest.h>

#include "platform/base/last_error.h"
#include "platform/system/system.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::TempMachine;

struct Disk {
  bool ok = false;
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  std::uint64_t FreeBytes() const { return std::uint64_t{freeClusters} * bytesPerSector * sectorsPerCluster; }
  std::uint64_t TotalBytes() const { return std::uint64_t{totalClusters} * bytesPerSector * sectorsPerCluster; }
};

Disk QueryDisk() {
  Disk d;
  d.ok = GetDiskFreeSpaceA(d.sectorsPerCluster, d.bytesPerSector, d.freeClusters, d.totalClusters);
  return d;
}

constexpr std::uint64_t kMB = 1024 * 1024;
constexpr std::uint64_t kLargestDrive = 65535ull * 32768;  // just under 2 GB

TEST(DiskFreeSpace, TheHostDriveWithinWindows95Limits) {
  TempMachine machine;
  Disk disk = QueryDisk();
  ASSERT_TRUE(disk.ok);
  EXPECT_EQ(disk.bytesPerSector, 512u);
  EXPECT_LE(disk.FreeBytes(), disk.TotalBytes());
  EXPECT_LE(disk.TotalBytes(), kLargestDrive);
  EXPECT_GT(disk.TotalBytes(), 0u);
}

TEST(DiskFreeSpace, FixedFiguresAreReportedExactlyUpTo2GB) {
  TempMachine machine;
  machine.Builder().MachineIni("System", "FreeDiskMB", "512");
  machine.Builder().MachineIni("System", "TotalDiskMB", "1000");
  Disk disk = QueryDisk();
  ASSERT_TRUE(disk.ok);
  EXPECT_EQ(disk.FreeBytes(), 512 * kMB);
  EXPECT_EQ(disk.sectorsPerCluster, 32u);  // 16 KB clusters keep 1000 MB within 65535 clusters

  machine.Builder().MachineIni("System", "FreeDiskMB", "50");
  machine.Builder().MachineIni("System", "TotalDiskMB", "100");
  disk = QueryDisk();
  EXPECT_EQ(disk.sectorsPerCluster, 4u);
  EXPECT_EQ(disk.FreeBytes(), 50 * kMB);
  EXPECT_EQ(disk.TotalBytes(), 100 * kMB);

  machine.Builder().MachineIni("System", "FreeDiskMB", "4000");
  machine.Builder().MachineIni("System", "TotalDiskMB", "8000");
  disk = QueryDisk();
  EXPECT_EQ(disk.FreeBytes(), kLargestDrive);
  EXPECT_EQ(disk.TotalBytes(), kLargestDrive);
  // The product the caller forms in a signed 32-bit integer stays positive.
  EXPECT_LT(disk.FreeBytes(), 0x80000000ull);

  // Free space larger than the stated total: the total grows to hold it.
  machine.Builder().MachineIni("System", "TotalDiskMB", "10");
  machine.Builder().MachineIni("System", "FreeDiskMB", "20");
  disk = QueryDisk();
  EXPECT_EQ(disk.FreeBytes(), disk.TotalBytes());
}

TEST(DiskFreeSpace, GarbledFiguresAreIgnoredAndADriveThatIsNotReadyFails) {
  TempMachine machine;
  for (const char* garbled : {"lots", "-5", "12MB", "", "99999999999999"}) {
    machine.Builder().MachineIni("System", "FreeDiskMB", garbled);
    Disk disk = QueryDisk();
    EXPECT_TRUE(disk.ok) << garbled;
    EXPECT_LE(disk.TotalBytes(), kLargestDrive) << garbled;
  }
  machine.Builder().MachineIni("System", "DiskReady", "off");
  SetLastError(0);
  EXPECT_FALSE(QueryDisk().ok);
  EXPECT_EQ(GetLastError(), 21u);  // ERROR_NOT_READY
  machine.Builder().MachineIni("System", "DiskReady", "1");
  EXPECT_TRUE(QueryDisk().ok);
}

TEST(MemoryStatus, TheHostsMemoryOrTheFixedFigures) {
  TempMachine machine;
  MemoryStatus status;
  GlobalMemoryStatus(status);
  EXPECT_EQ(status.dwLength, 32u);
  EXPECT_GT(status.dwTotalPhys, 0u);
  EXPECT_LE(status.dwAvailPhys, status.dwTotalPhys);
  EXPECT_LE(status.dwMemoryLoad, 100u);

  machine.Builder().MachineIni("System", "FreeMemoryKB", "16384");
  machine.Builder().MachineIni("System", "TotalMemoryKB", "32768");
  GlobalMemoryStatus(status);
  EXPECT_EQ(status.dwAvailPhys, 16384u * 1024);
  EXPECT_EQ(status.dwTotalPhys, 32768u * 1024);
  EXPECT_EQ(status.dwMemoryLoad, 50u);

  // More than 32 bits can hold is reported at the limit.
  machine.Builder().MachineIni("System", "FreeMemoryKB", "999999999");
  GlobalMemoryStatus(status);
  EXPECT_EQ(status.dwAvailPhys, 0xFFFFFFFFu);
  EXPECT_EQ(status.dwTotalPhys, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace w95
