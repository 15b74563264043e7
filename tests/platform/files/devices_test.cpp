#include "platform/files/devices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "machine_builder/hives.h"
#include "machine_builder/parallel_ports.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::TempMachine;
using dxl::tools::AddEnumeratedParallelPort;
using dxl::tools::SetParallelPort;

// Opens a device as the port test does: no access, no sharing.
DWORD OpenError(std::string_view name) {
  SetLastError(ERROR_SUCCESS);
  FileHandle handle = CreateFileA(name, 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED);
  if (handle) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  EXPECT_NE(error, ERROR_SUCCESS) << name << " failed without an error code";
  return error;
}

TEST(ParallelPorts, MachineIniDecidesWhetherAPortOpens) {
  TempMachine machine;
  SetParallelPort(machine.Builder(), 1, PortHardware::InUse);
  SetParallelPort(machine.Builder(), 2, PortHardware::Present);
  SetParallelPort(machine.Builder(), 3, PortHardware::Absent);
  EXPECT_EQ(OpenError("LPT1:"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("LPT2:"), ERROR_SUCCESS);
  EXPECT_EQ(OpenError("LPT3:"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError("lpt2"), ERROR_SUCCESS);
  EXPECT_EQ(OpenError("PRN"), ERROR_ACCESS_DENIED);  // PRN is LPT1
  // Changes to MACHINE.INI are seen without switching machines.
  SetParallelPort(machine.Builder(), 1, std::nullopt);
  EXPECT_EQ(OpenError("LPT1:"), ERROR_SUCCESS);
}

TEST(ParallelPorts, DefaultsWithoutMachineIni) {
  TempMachine machine;
  ASSERT_FALSE(std::filesystem::exists(machine.Root() / "MACHINE.INI"));
  EXPECT_EQ(OpenError("LPT1:"), ERROR_SUCCESS);
  EXPECT_EQ(OpenError("LPT2:"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError("LPT3:"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError("LPT4:"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError("LPT9:"), ERROR_FILE_NOT_FOUND);
}

// A real installation has no MACHINE.INI: the ports Windows found, as its
// registry lists them, are there; MACHINE.INI's [ParallelPorts] still decides.
TEST(ParallelPorts, RegistryOfARealInstallationListsThePorts) {
  struct Case {
    const char* what;
    std::vector<unsigned> enumerated;
    bool describedInMachineIni;
    std::string expected;  // LPT1..LPT4: 'o' opens, 'x' not found, '-' in use
  };
  const Case cases[] = {
      {"two ports found", {1, 2}, false, "ooxx"},
      {"only the second", {2}, false, "xoxx"},
      {"none listed: the default", {}, false, "oxxx"},
      {"MACHINE.INI decides", {1, 2}, true, "o-xx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempMachine machine;
    for (unsigned number : c.enumerated) AddEnumeratedParallelPort(machine.Builder(), number);
    // Devices of other classes, and serial ports, are no parallel ports.
    dxl::tools::SetRegistryText(machine.Builder(), "HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\00", "Class", "Ports");
    dxl::tools::SetRegistryText(machine.Builder(), "HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\00", "PortName", "COM1");
    dxl::tools::SetRegistryText(machine.Builder(), "HKEY_LOCAL_MACHINE\\Enum\\Root\\X\\0000", "Class", "System");
    dxl::tools::SetRegistryText(machine.Builder(), "HKEY_LOCAL_MACHINE\\Enum\\Root\\X\\0000", "PortName", "LPT4");
    if (c.describedInMachineIni) SetParallelPort(machine.Builder(), 2, PortHardware::InUse);
    machine.Activate();
    std::string seen;
    for (const char* port : {"LPT1:", "LPT2:", "LPT3:", "LPT4:"}) {
      const DWORD error = OpenError(port);
      seen += error == ERROR_SUCCESS ? 'o' : error == ERROR_ACCESS_DENIED ? '-' : 'x';
    }
    EXPECT_EQ(seen, c.expected);
  }
}

TEST(ParallelPorts, PortsAboveThreeAndOddNames) {
  TempMachine machine;
  SetParallelPort(machine.Builder(), 4, PortHardware::Present);
  SetParallelPort(machine.Builder(), 5, PortHardware::InUse);
  EXPECT_EQ(OpenError("LPT4:"), ERROR_SUCCESS);
  EXPECT_EQ(OpenError("LPT5:"), ERROR_ACCESS_DENIED);
  EXPECT_NE(OpenError("LPT0:"), ERROR_SUCCESS);
  EXPECT_NE(OpenError("LPT10:"), ERROR_SUCCESS);
  EXPECT_EQ(OpenError("COM1:"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError("NUL"), ERROR_SUCCESS);
}

TEST(ParallelPorts, UnrecognisedStateTakesTheDefault) {
  TempMachine machine;
  machine.Builder().MachineIni("ParallelPorts", "LPT1", "broken").MachineIni("ParallelPorts", "LPT2", "  IN USE ");
  EXPECT_EQ(ParallelPortHardware(Machine::Current(), 1), PortHardware::Present);
  EXPECT_EQ(ParallelPortHardware(Machine::Current(), 2), PortHardware::InUse);
  EXPECT_EQ(ParallelPortHardware(Machine::Current(), 3), PortHardware::Absent);
}

TEST(ParallelPorts, AnOpenPortSwallowsWritesAndReadsNothing) {
  TempMachine machine;
  FileHandle port = CreateFileA("LPT1:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(port);
  DWORD count = 99;
  ASSERT_TRUE(WriteFile(port,
                        "\x1b"
                        "E page",
                        count));
  EXPECT_EQ(count, 7u);
  char buffer[16];
  ASSERT_TRUE(ReadFile(port, buffer, count));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(CloseHandle(port));

  FileHandle noAccess = CreateFileA("LPT1:", 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(noAccess);
  EXPECT_FALSE(WriteFile(noAccess, "x", count));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  // Nothing was written into the machine directory under the device's name.
  EXPECT_FALSE(machine.Exists("C:\\LPT1"));
  EXPECT_FALSE(machine.Exists("C:\\LPT1:"));
}

}  // namespace
}  // namespace w95
