// MACHINE.INI of any bytes under every reader of its sections: the parallel
// ports open or fail as a port does, the disk and memory figures are figures
// Windows 95 can give, the clock tells a valid date, connections name a
// server, and a restart of the network leaves no current connection behind
// while every other section keeps its settings.
#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/base/case_rules.h"
#include "platform/base/ini_text.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/machine/paths.h"
#include "platform/network/network.h"
#include "platform/system/clock.h"
#include "platform/system/system.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kPath = "C:\\MACHINE.INI";

void CheckPorts() {
  for (int n = 1; n <= 9; ++n) {
    w95::FileHandle port = w95::CreateFileA("LPT" + std::to_string(n) + ":", w95::GENERIC_WRITE, 0, w95::OPEN_EXISTING,
                                            w95::FILE_ATTRIBUTE_NORMAL);
    const w95::DWORD error = w95::GetLastError();
    Require(port || error == w95::ERROR_ACCESS_DENIED || error == w95::ERROR_FILE_NOT_FOUND,
            "a parallel port opens, is in use or is absent");
  }
}

void CheckFigures() {
  w95::DWORD sectors = 0, bytes = 0, free = 0, total = 0;
  if (w95::GetDiskFreeSpaceA(sectors, bytes, free, total)) {
    Require(bytes == 512 && sectors >= 1 && sectors <= 64 && (sectors & (sectors - 1)) == 0,
            "a cluster is 1 to 64 sectors of 512 bytes");
    Require(free <= total && total <= 65535, "free clusters within at most 65535");
  } else {
    Require(w95::GetLastError() == 21, "a drive that does not answer is not ready");
  }
  w95::MemoryStatus memory;
  w95::GlobalMemoryStatus(memory);
  Require(memory.dwAvailPhys <= memory.dwTotalPhys && memory.dwMemoryLoad <= 100, "memory figures that add up");
}

bool ValidDate(const w95::SystemTime& t) {
  constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return t.wYear >= 1601 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 && t.wDay <= kDays[t.wMonth - 1] &&
         t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000 && t.wDayOfWeek < 7;
}

void CheckClock() {
  w95::SystemTime now;
  w95::GetLocalTime(now);
  Require(ValidDate(now), "the clock tells a valid date and time");
  std::string date, time;
  Require(w95::GetDateFormatA(w95::LOCALE_USER_DEFAULT, w95::DATE_SHORTDATE, &now, std::nullopt, date, 64) > 0,
          "the date formats");
  Require(w95::GetTimeFormatA(w95::LOCALE_USER_DEFAULT, 0, &now, std::nullopt, time, 64) > 0, "the time formats");
}

// Connections at "logon" and after a restart of the network.
void CheckConnections(const w95::Machine& machine) {
  for (int n = 1; n <= 9; ++n) {
    std::string remote;
    w95::DWORD length = 260;
    if (w95::WNetGetConnectionA("LPT" + std::to_string(n), remote, length) == w95::ERROR_SUCCESS)
      Require(remote.starts_with("\\\\"), "a connection names a server");
  }
  const w95::IniText before(w95::ReadHostFile(w95::MachineIniPath(machine)).value_or(""));
  w95::RestartNetwork();
  for (int n = 1; n <= 9; ++n) {
    std::string remote;
    w95::DWORD length = 260;
    Require(w95::WNetGetConnectionA("LPT" + std::to_string(n), remote, length) == w95::ERROR_NOT_CONNECTED,
            "no connection outlives a restart (the machine has no persistent one)");
  }
  const w95::IniText after(w95::ReadHostFile(w95::MachineIniPath(machine)).value_or(""));
  for (const auto& section : before.SectionNames()) {
    if (w95::EqualsNoCase(section, "Connections")) continue;
    for (const auto& key : before.KeyNames(section))
      Require(after.Value(section, key) == before.Value(section, key), "a restart keeps the other settings");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write(kPath, std::string_view(reinterpret_cast<const char*>(data), size));
  w95::Machine::Use(machine.Root());
  CheckPorts();
  CheckFigures();
  CheckClock();
  CheckConnections(w95::Machine::Current());
  machine.CheckOutsideUntouched();
  return 0;
}
