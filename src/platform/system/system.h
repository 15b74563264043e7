// Process and system calls of the emulated Windows 95.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/win_types.h"
#include "platform/network/network.h"

namespace w95 {

// Ends the process at once with `exitCode`.
[[noreturn]] void ExitProcess(UINT exitCode);

// GetDiskFreeSpaceA for the current drive (the machine's C:): Windows 95
// reports at most 2 GB. MACHINE.INI can fix the figures (docs/machine.md).
bool GetDiskFreeSpaceA(DWORD& sectorsPerCluster, DWORD& bytesPerSector, DWORD& freeClusters, DWORD& totalClusters);

struct MemoryStatus {
  DWORD dwLength = 32;
  DWORD dwMemoryLoad = 0;
  DWORD dwTotalPhys = 0;
  DWORD dwAvailPhys = 0;
  DWORD dwTotalPageFile = 0;
  DWORD dwAvailPageFile = 0;
  DWORD dwTotalVirtual = 0;
  DWORD dwAvailVirtual = 0;
};
void GlobalMemoryStatus(MemoryStatus& status);

constexpr UINT EWX_LOGOFF = 0;
constexpr UINT EWX_SHUTDOWN = 1;
constexpr UINT EWX_REBOOT = 2;

// Asks Windows to restart (EWX_REBOOT). On the emulated machine the restart is
// carried out at once, as Windows 95 would do it at the next boot: WININIT.INI
// [Rename] processed in file order (NUL= deletes) and renamed WININIT.BAK, the
// persistent network connections restored.
bool ExitWindowsEx(UINT flags, DWORD reserved);

// What the last ExitWindowsEx of the process did, and the same in one line of
// English (for the user who would have watched Windows start again).
struct RestartRecord {
  bool wininit = false;  // WININIT.INI was there and carried out
  int renamed = 0;
  int deleted = 0;
  int skipped = 0;
  NetworkRestart network;
};
const RestartRecord& LastRestart();
std::string DescribeRestart(const RestartRecord& record);

}  // namespace w95
