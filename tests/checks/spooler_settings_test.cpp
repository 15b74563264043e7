#include "checks/spooler_settings.h"

#include <gtest/gtest.h>

#include "machine_builder/hives.h"
#include "platform/profile/profile.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using tools::kPrinterName;
using tools::kSpoolerPrintersKey;

class SpoolerSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_.Builder().InstallPrintingSystem(); }
  tools::MachineBuilder& Builder() { return machine_.Builder(); }
  std::string PrinterKey() const { return std::string(kSpoolerPrintersKey) + "\\" + std::string(kPrinterName); }
  std::string SystemReg() const { return machine_.HiveText(); }
  std::string HiveBytes() const { return machine_.Read(machine_.HiveFile()); }
  std::string WinIni() const { return machine_.Read("C:\\WINDOWS\\WIN.INI"); }
  bool HiveHas(std::string_view line) const { return SystemReg().find(line) != std::string::npos; }
  // Builder edits are seen by a machine loaded afresh.
  void Reload() { machine_.Activate(); }

  testing::TempMachine machine_;
};

TEST_F(SpoolerSettingsTest, BidiFollowsTheAttributeBitAndCountsReadFailuresAsOn) {
  Reload();
  EXPECT_EQ(CheckBidiEnabled(), 1);
  tools::SetPrinterAttributes(Builder(), kPrinterName, 0xA00);
  Reload();
  EXPECT_EQ(CheckBidiEnabled(), 1);
  tools::SetPrinterAttributes(Builder(), kPrinterName, 0x200);
  Reload();
  EXPECT_EQ(CheckBidiEnabled(), 0);

  tools::DeleteRegistryValue(Builder(), PrinterKey(), "Attributes");
  Reload();
  EXPECT_EQ(CheckBidiEnabled(), 1);
  tools::DeleteRegistryKey(Builder(), PrinterKey());
  Reload();
  EXPECT_EQ(CheckBidiEnabled(), 1);
  EXPECT_EQ(EnableBidi(), 0);
}

TEST_F(SpoolerSettingsTest, EnableBidiSetsOnlyTheBidiBit) {
  tools::SetPrinterAttributes(Builder(), kPrinterName, 0x200);
  Reload();
  EXPECT_NE(EnableBidi(), 0);
  EXPECT_EQ(CheckBidiEnabled(), 1);
  EXPECT_TRUE(HiveHas("\"Attributes\"=dword:00000a00\r\n"));
  EXPECT_TRUE(HiveHas("\"Port\"=\"LPT1:\"\r\n"));
}

TEST_F(SpoolerSettingsTest, DosSpoolingChecksTheBitOfThePort) {
  tools::SetDosSpoolMask(Builder(), 2);
  Reload();
  EXPECT_EQ(CheckDosSpooling(2), 1);
  EXPECT_EQ(CheckDosSpooling(1), 0);
  EXPECT_EQ(CheckDosSpooling(34), 1);  // the shift count wraps at 32
  tools::SetDosSpoolMask(Builder(), 5);
  Reload();
  EXPECT_EQ(CheckDosSpooling(2), 0);
  EXPECT_EQ(CheckDosSpooling(3), 1);
  tools::SetDosSpoolMask(Builder(), 0x80000000u);
  Reload();
  EXPECT_EQ(CheckDosSpooling(0), 1);

  tools::DeleteRegistryValue(Builder(), kSpoolerPrintersKey, "DOSSpoolMask");
  Reload();
  EXPECT_EQ(CheckDosSpooling(2), 1);
}

TEST_F(SpoolerSettingsTest, EnableDosSpoolingSetsBothMasksKeepingTheirSizes) {
  tools::SetDosSpoolMask(Builder(), 5);
  tools::SetPrintersMask(Builder(), std::string("\x01\x00\x00\x00\x00\x00", 6));
  Reload();
  EXPECT_EQ(EnableDosSpooling(2), 1);
  EXPECT_EQ(CheckDosSpooling(2), 1);
  EXPECT_TRUE(HiveHas("\"DOSSpoolMask\"=dword:00000007\r\n"));
  EXPECT_TRUE(HiveHas("\"PrintersMask\"=hex:03,00,00,00,00,00\r\n"));

  // Port 9 has a DOSSpoolMask bit but none in the first byte of PrintersMask.
  EXPECT_EQ(EnableDosSpooling(9), 1);
  EXPECT_TRUE(HiveHas("\"DOSSpoolMask\"=dword:00000107\r\n"));
  EXPECT_TRUE(HiveHas("\"PrintersMask\"=hex:03,00,00,00,00,00\r\n"));
}

TEST_F(SpoolerSettingsTest, EnableDosSpoolingCreatesNoMissingValue) {
  tools::DeleteRegistryValue(Builder(), kSpoolerPrintersKey, "DOSSpoolMask");
  Reload();
  std::string before = HiveBytes();
  EXPECT_EQ(EnableDosSpooling(1), 0);
  EXPECT_EQ(HiveBytes(), before);

  // A missing second value leaves the first as it was: no half-made fix.
  tools::SetDosSpoolMask(Builder(), 0);
  tools::DeleteRegistryValue(Builder(), kSpoolerPrintersKey, "PrintersMask");
  Reload();
  before = HiveBytes();
  EXPECT_EQ(EnableDosSpooling(1), 0);
  EXPECT_EQ(HiveBytes(), before);
  EXPECT_EQ(CheckDosSpooling(1), 0);

  tools::DeleteRegistryKey(Builder(), kSpoolerPrintersKey);
  Reload();
  EXPECT_EQ(EnableDosSpooling(1), 0);
  EXPECT_EQ(CheckDosSpooling(1), 1);
}

TEST_F(SpoolerSettingsTest, ChecksOfABrokenHiveCountAsOnAndRepairsFail) {
  Builder().File(machine_.HiveFile(), "REGEDIT4\r\n\r\nnot a registry line\r\n");
  Reload();
  EXPECT_EQ(CheckBidiEnabled(), 1);
  EXPECT_EQ(CheckDosSpooling(1), 1);
  EXPECT_EQ(EnableDosSpooling(1), 0);
  EXPECT_EQ(EnableBidi(), 0);
  EXPECT_EQ(HiveBytes(), "REGEDIT4\r\n\r\nnot a registry line\r\n");
}

TEST_F(SpoolerSettingsTest, MovePrinterToFileMovesAnotherPrinterOffThePort) {
  tools::InstallSpoolerPrinter(Builder(), "Other Printer", "LPT1:", 0x40);
  Builder().WinIni(
      "[windows]\r\ndevice=Tavix KRT-310,DXLQ7,LPT1:\r\n\r\n"
      "[Devices]\r\nTavix KRT-310=DXLQ7,LPT1:\r\nOther Printer=OTHER,LPT1:\r\n\r\n"
      "[PrinterPorts]\r\nTavix KRT-310=DXLQ7,LPT1:,15,45\r\nOther Printer=OTHER,LPT1:,15,90\r\n\r\n"
      "[Ports]\r\nLPT1:=\r\nFILE:=\r\n");
  Reload();
  EXPECT_NE(MovePrinterToFile("Other Printer"), 0);
  EXPECT_EQ(WinIni(),
            "[windows]\r\ndevice=Tavix KRT-310,DXLQ7,LPT1:\r\n\r\n"
            "[Devices]\r\nTavix KRT-310=DXLQ7,LPT1:\r\nOther Printer=OTHER,FILE:\r\n\r\n"
            "[PrinterPorts]\r\nTavix KRT-310=DXLQ7,LPT1:,15,45\r\nOther Printer=OTHER,FILE:,15,90\r\n\r\n"
            "[Ports]\r\nLPT1:=\r\nFILE:=\r\n");
  EXPECT_TRUE(HiveHas("\"Port\"=\"FILE:\"\r\n"));
}

TEST_F(SpoolerSettingsTest, MovingAnUnknownPrinterFailsAndChangesNothing) {
  Reload();
  std::string hive = HiveBytes();
  std::string winIni = WinIni();
  EXPECT_EQ(MovePrinterToFile("No Such Printer"), 0);
  EXPECT_EQ(SetPrinterPort(kPrinterName, "LPT7:"), 0);
  EXPECT_EQ(HiveBytes(), hive);
  EXPECT_EQ(WinIni(), winIni);
}

}  // namespace
}  // namespace dxl
