#include "checks/registry_entries.h"

#include <gtest/gtest.h>

#include "machine_builder/hives.h"
#include "machine_builder/registry_faults.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using tools::EntryFault;
using tools::RegistryEntry;

class RegistryEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_.Builder().InstallPrintingSystem(); }
  tools::MachineBuilder& Builder() { return machine_.Builder(); }
  int Check(std::string_view port = "LPT1:", int notLocal = 0) {
    machine_.Activate();  // load the hives as the builder left them
    return CheckRegistryEntries(port, notLocal);
  }
  void SetPortEntry(std::string_view subkey, std::string_view text, bool remote = false) {
    tools::SetRegistryText(Builder(), tools::PortKeyPath("LPT1:", remote) + "\\" + std::string(subkey), "", text);
  }
  void SetProviderEntry(std::string_view subkey, std::string_view text) {
    tools::SetRegistryText(Builder(), std::string(tools::kProviderKey) + "\\" + std::string(subkey), "", text);
  }

  testing::TempMachine machine_;
};

TEST_F(RegistryEntriesTest, StandardInstallationIsRightOnItsPortOnly) {
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(Check("lpt1:"), 1);
  EXPECT_EQ(Check("LPT2:"), 0);
  EXPECT_EQ(Check("LPT1:", 1), 0);
}

TEST_F(RegistryEntriesTest, EachEntryMadeWrongFailsTheCheck) {
  for (int i = 0; i < tools::kRegistryEntryCount; ++i) {
    testing::TempMachine machine;
    machine.Builder().InstallPrintingSystem();
    tools::BreakRegistryEntry(machine.Builder(), static_cast<RegistryEntry>(i), EntryFault::Wrong);
    machine.Activate();
    EXPECT_EQ(CheckRegistryEntries("LPT1:", 0), 0) << tools::RegistryEntryName(static_cast<RegistryEntry>(i));
  }
}

TEST_F(RegistryEntriesTest, ValuesTooLongForTheBufferCountAsRight) {
  for (int i = 0; i < tools::kRegistryEntryCount; ++i)
    tools::BreakRegistryEntry(Builder(), static_cast<RegistryEntry>(i), EntryFault::Overlong);
  EXPECT_EQ(Check(), 1);
  // 63 characters still fit, and are judged.
  SetPortEntry("Mfg", std::string(63, 'X'));
  EXPECT_EQ(Check(), 0);
}

TEST_F(RegistryEntriesTest, MissingKeysFailButMissingValuesCountAsRight) {
  for (auto entry :
       {RegistryEntry::Apd, RegistryEntry::Sleek, RegistryEntry::InitialSpoolMethod, RegistryEntry::Module}) {
    testing::TempMachine machine;
    machine.Builder().InstallPrintingSystem();
    tools::BreakRegistryEntry(machine.Builder(), entry, EntryFault::Missing);
    machine.Activate();
    EXPECT_EQ(CheckRegistryEntries("LPT1:", 0), 0) << tools::RegistryEntryName(entry);
  }
  for (int i = static_cast<int>(RegistryEntry::ConfigurationFile); i < tools::kRegistryEntryCount; ++i)
    tools::BreakRegistryEntry(Builder(), static_cast<RegistryEntry>(i), EntryFault::Missing);
  tools::DeleteRegistryValue(Builder(), tools::PortKeyPath("LPT1:", false) + "\\Model", "");
  EXPECT_EQ(Check(), 1);
}

TEST_F(RegistryEntriesTest, PortEntriesCompareWholeTextsWithoutRegardToCase) {
  SetPortEntry("Model", "krt-120");
  SetPortEntry("DeviceID", "TAVIXKRT-120__709D");
  SetPortEntry("Mfg", "TAVIX");
  SetPortEntry("APD", "c:\\windows\\dxl\\dxlq7apd.apd");
  EXPECT_EQ(Check(), 1);
  SetPortEntry("Provider", "DXLQ7PSM.DLL");
  EXPECT_EQ(Check(), 0);
  SetPortEntry("Provider", "DXLQ7PSM");
  SetPortEntry("Model", "KRT-310 ");
  EXPECT_EQ(Check(), 0);
}

TEST_F(RegistryEntriesTest, ProviderAndDriverEntriesNeedOnlyContainTheText) {
  SetProviderEntry("Module", "C:\\WINDOWS\\SYSTEM\\dxlq7psm.dll");
  SetProviderEntry("InitialSpoolMethod", "21");
  tools::SetRegistryText(Builder(), tools::kDriverKey, "Driver", "C:\\WINDOWS\\SYSTEM\\DXLQ7.DRV");
  tools::SetRegistryText(Builder(), tools::kDriverKey, "Monitor", "The DXL Monitor");
  EXPECT_EQ(Check(), 1);
  tools::SetRegistryText(Builder(), tools::kDriverKey, "Datatype", "RAW");
  EXPECT_EQ(Check(), 0);
}

TEST_F(RegistryEntriesTest, RemotePortsAreLookedUpAmongTheRemotePrinters) {
  tools::InstallPortKeys(Builder(), "LPT1:", true);
  tools::BreakRegistryEntry(Builder(), RegistryEntry::Emulation, EntryFault::Wrong, "LPT1:", false);
  EXPECT_EQ(Check("LPT1:", 1), 1);
  EXPECT_EQ(Check("LPT1:", 0), 0);
  tools::BreakRegistryEntry(Builder(), RegistryEntry::Sleek, EntryFault::Wrong, "LPT1:", true);
  EXPECT_EQ(Check("LPT1:", 1), 0);
}

TEST_F(RegistryEntriesTest, HelpDirMustEqualTheSetupValueOrBeEmptyWithoutIt) {
  SetPortEntry("HelpDir", "c:\\WINDOWS\\dxl");
  EXPECT_EQ(Check(), 1);
  tools::WriteCustomSetupInf(Builder(), "D:\\ELSEWHERE");
  EXPECT_EQ(Check(), 0);

  Builder().Remove(Builder().InSystem("DXLQ7CST.INF"));
  EXPECT_EQ(Check(), 0);
  SetPortEntry("HelpDir", "");
  EXPECT_EQ(Check(), 1);
  tools::DeleteRegistryValue(Builder(), tools::PortKeyPath("LPT1:", false) + "\\HelpDir", "");
  EXPECT_EQ(Check(), 1);
}

TEST_F(RegistryEntriesTest, HardwareProfileAndDriverKeysMustExist) {
  tools::DeleteRegistryKey(Builder(), tools::kHardwareProfileKey);
  EXPECT_EQ(Check(), 0);
  tools::CreateRegistryKey(Builder(), tools::kHardwareProfileKey);
  EXPECT_EQ(Check(), 1);
  tools::DeleteRegistryKey(Builder(), tools::kDriverKey);
  EXPECT_EQ(Check(), 0);
}

TEST_F(RegistryEntriesTest, BrokenMachineHiveFailsTheCheck) {
  Builder().File(tools::HiveFile(Builder(), false), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\X\r\n");
  EXPECT_EQ(Check(), 0);
}

}  // namespace
}  // namespace dxl
