#include <gtest/gtest.h>

#include <string>

#include "checks/ini_checks.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;

TEST(CheckDeviceLine, RightLines) {
  EXPECT_EQ(CheckDeviceLine("\r\ndevice=DXLQ7EM.386\r\n", "DXLQ7EM.386", 4), 0);
  EXPECT_EQ(CheckDeviceLine("\r\nDevice = dxlq7em.386   \r\n", "DXLQ7EM.386", 4), 0);
  EXPECT_EQ(CheckDeviceLine("\r\n   device=DXLQ7EM.386\tx\r\n", "DXLQ7EM.386", 4), 0);     // a tab ends the line
  EXPECT_EQ(CheckDeviceLine("\r\nPaging=on\r\ndevice=DXLQ7EM.386", "DXLQ7EM.386", 4), 0);  // end of text
  EXPECT_EQ(CheckDeviceLine("\ndevice=DXLQ7EM.386\n", "DXLQ7EM.386", 4), 0);
}

TEST(CheckDeviceLine, WrongOrMissingLines) {
  EXPECT_EQ(CheckDeviceLine("\r\ndevice=*vpd\r\n", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("\r\n;device=DXLQ7EM.386\r\n", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("\r\nmydevice=DXLQ7EM.386\r\n", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("\r\ndevice=DXLQ7EM.386x\r\n", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("\r\ndevice=DXLQ7EM.386 old\r\n", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("\r\ndevice=\tDXLQ7EM.386\r\n", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("\r\ndevice=C:\\WINDOWS\\DXLQ7EM.386\r\n", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("\r\ndevice DXLQ7EM.386\r\n", "DXLQ7EM.386", 4), 4);
  // A name at the very end of the text, after a cut-off key, stays in bounds.
  EXPECT_EQ(CheckDeviceLine("\r\ndev=DXLQ7EM.386", "DXLQ7EM.386", 4), 4);
  EXPECT_EQ(CheckDeviceLine("DXLQ7EM.386", "DXLQ7EM.386", 4), 4);
}

TEST(CheckDeviceLine, OnlyTheFirstOccurrenceCounts) {
  EXPECT_EQ(CheckDeviceLine("\r\n;device=DXLCPEPY.386\r\ndevice=DXLCPEPY.386\r\n", "DXLCPEPY.386", 1), 1);
  EXPECT_EQ(CheckDeviceLine("\r\ndevice=DXLCPEPY.386\r\n;device=DXLCPEPY.386\r\n", "DXLCPEPY.386", 1), 0);
}

class SystemIniFile : public ::testing::Test {
 protected:
  void Write(const std::string& bytes) { machine_.Builder().SystemIni(bytes); }
  std::string Read() { return machine_.Read(Path()); }
  std::string Path() { return machine_.Builder().WindowsDirectory() + "\\SYSTEM.INI"; }
  bool Exists() { return machine_.Exists(Path()); }

  TempMachine machine_;
};

using CheckSystemIniDevicesTest = SystemIniFile;

TEST_F(CheckSystemIniDevicesTest, StandardInstallationIsRight) {
  machine_.Builder().InstallPrintingSystem();
  EXPECT_EQ(CheckSystemIniDevices(), 0);
}

TEST_F(CheckSystemIniDevicesTest, JudgesEachDriverWithinTheSection) {
  Write(
      "[boot]\r\ndevice=DXLBANDS.386\r\n\r\n[386ENH]\r\n"
      ";device=DXLCPEPY.386\r\n"
      "device=DXLCPEPY.386\r\n"
      "device = dxlbands.386 \r\n"
      "DEVICE=dxlq7em.386   \r\n");
  EXPECT_EQ(CheckSystemIniDevices(), 1);
  Write("[386Enh]\r\ndevice=DXLCPEPY.386\r\n\r\n[drivers]\r\ndevice=DXLBANDS.386\r\ndevice=DXLQ7EM.386\r\n");
  EXPECT_EQ(CheckSystemIniDevices(), 6);
}

TEST_F(CheckSystemIniDevicesTest, WithoutSectionAllThreeAreMissing) {
  Write("[boot]\r\nshell=Explorer.exe\r\ndevice=DXLCPEPY.386\r\n");
  EXPECT_EQ(CheckSystemIniDevices(), 7);
  Write("");
  EXPECT_EQ(CheckSystemIniDevices(), 7);
}

// The header counts only where Windows takes one: at the start of a line,
// after blanks. A "[386Enh]" in a comment or after other text is no header.
TEST_F(CheckSystemIniDevicesTest, HeaderOnlyAtTheStartOfALine) {
  const std::string devices = "device=DXLCPEPY.386\r\ndevice=DXLBANDS.386\r\ndevice=DXLQ7EM.386\r\n";
  Write("[boot]\r\n; see [386enh] below\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\n" + devices);
  EXPECT_EQ(CheckSystemIniDevices(), 0);
  Write("[boot]\r\n \t[386ENH]\r\n" + devices);
  EXPECT_EQ(CheckSystemIniDevices(), 0);
  Write("[boot]\r\nx=[386Enh]\r\n" + devices);
  EXPECT_EQ(CheckSystemIniDevices(), 7);
}

TEST_F(CheckSystemIniDevicesTest, UnreadableFileCountsAsRight) {
  machine_.Builder().Remove(Path());
  EXPECT_EQ(CheckSystemIniDevices(), 0);
  machine_.Builder().Directory(Path());  // a directory where the file should be
  EXPECT_EQ(CheckSystemIniDevices(), 0);
}

using AddSystemIniDevicesTest = SystemIniFile;

TEST_F(AddSystemIniDevicesTest, InsertsUnderTheHeaderAndKeepsEveryOtherByte) {
  const std::string before = "[boot]\r\n; \xCF\xB5\xCD\xB3 settings\r\nshell=Explorer.exe\r\n" +
                             std::string("odd\0byte\r\n", 10) +
                             "\r\n[386Enh]\r\nPaging=on\r\ndevice=*vpd\r\n\r\n[drivers]\r\nwavemapper=*.drv\r\n";
  const std::string after =
      "[boot]\r\n; \xCF\xB5\xCD\xB3 settings\r\nshell=Explorer.exe\r\n" + std::string("odd\0byte\r\n", 10) +
      "\r\n[386Enh]\r\ndevice=DXLCPEPY.386\r\ndevice=DXLQ7EM.386\r\nPaging=on\r\ndevice=*vpd\r\n\r\n"
      "[drivers]\r\nwavemapper=*.drv\r\n";
  Write(before);
  EXPECT_EQ(AddSystemIniDevices(5), 1);
  EXPECT_EQ(Read(), after);
  EXPECT_EQ(CheckSystemIniDevices(), 2);
}

TEST_F(AddSystemIniDevicesTest, RepairsWhatTheCheckFound) {
  Write("[386Enh]\r\n;device=DXLBANDS.386\r\ndevice=DXLQ7EM.386 old\r\ndevice=DXLCPEPY.386\r\n");
  std::uint8_t missing = CheckSystemIniDevices();
  ASSERT_EQ(missing, 6);
  EXPECT_EQ(AddSystemIniDevices(missing), 1);
  EXPECT_EQ(Read(),
            "[386Enh]\r\ndevice=DXLBANDS.386\r\ndevice=DXLQ7EM.386\r\n;device=DXLBANDS.386\r\n"
            "device=DXLQ7EM.386 old\r\ndevice=DXLCPEPY.386\r\n");
  EXPECT_EQ(CheckSystemIniDevices(), 0);
}

TEST_F(AddSystemIniDevicesTest, InsertsUnderTheRealHeaderNotUnderAComment) {
  Write("[boot]\r\n; see [386enh] below\r\n\r\n[386Enh]\r\nPaging=on\r\n");
  EXPECT_EQ(AddSystemIniDevices(4), 1);
  EXPECT_EQ(Read(), "[boot]\r\n; see [386enh] below\r\n\r\n[386Enh]\r\ndevice=DXLQ7EM.386\r\nPaging=on\r\n");
  EXPECT_EQ(RemoveDeviceLine("DXLQ7EM.386"), 1);
  EXPECT_EQ(Read(), "[boot]\r\n; see [386enh] below\r\n\r\n[386Enh]\r\nPaging=on\r\n");
}

TEST_F(AddSystemIniDevicesTest, AppendsTheSectionWhenThereIsNone) {
  Write("[boot]\r\nshell=Explorer.exe");
  EXPECT_EQ(AddSystemIniDevices(3), 1);
  EXPECT_EQ(Read(), "[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\ndevice=DXLCPEPY.386\r\ndevice=DXLBANDS.386\r\n");
  EXPECT_EQ(CheckSystemIniDevices(), 4);

  Write("[boot]\r\nshell=Explorer.exe\r\n");
  EXPECT_EQ(AddSystemIniDevices(7), 1);
  EXPECT_EQ(Read(),
            "[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\ndevice=DXLCPEPY.386\r\ndevice=DXLBANDS.386\r\n"
            "device=DXLQ7EM.386\r\n");
  EXPECT_EQ(CheckSystemIniDevices(), 0);

  Write("");
  EXPECT_EQ(AddSystemIniDevices(4), 1);
  EXPECT_EQ(Read(), "[386Enh]\r\ndevice=DXLQ7EM.386\r\n");
}

TEST_F(AddSystemIniDevicesTest, NothingToAddChangesNothing) {
  const std::string text = "[386Enh]\r\nPaging=on\r\n";
  Write(text);
  EXPECT_EQ(AddSystemIniDevices(0), 1);
  EXPECT_EQ(AddSystemIniDevices(0xF8), 1);  // bits of no driver
  EXPECT_EQ(Read(), text);
}

TEST_F(AddSystemIniDevicesTest, MissingFileIsAFailureAndStaysMissing) {
  machine_.Builder().Remove(Path());
  EXPECT_EQ(AddSystemIniDevices(7), 0);
  EXPECT_FALSE(Exists());
}

using RemoveDeviceLineTest = SystemIniFile;

TEST_F(RemoveDeviceLineTest, RemovesExactlyTheFirstLineOfTheDriver) {
  Write(
      "[boot]\r\ndevice=DXLQ7EM.386\r\n\r\n[386Enh]\r\ndevice=DXLCPEPY.386\r\nDEVICE = dxlq7em.386\r\n"
      "device=DXLQ7EM.386\r\nPaging=on\r\n");
  EXPECT_EQ(RemoveDeviceLine("DXLQ7EM.386"), 1);
  EXPECT_EQ(Read(),
            "[boot]\r\ndevice=DXLQ7EM.386\r\n\r\n[386Enh]\r\ndevice=DXLCPEPY.386\r\n"
            "device=DXLQ7EM.386\r\nPaging=on\r\n");
}

TEST_F(RemoveDeviceLineTest, StandardInstallationLosesOneLine) {
  machine_.Builder().InstallPrintingSystem();
  std::string expected = Read();
  expected.erase(expected.find("device=DXLBANDS.386\r\n"), 21);
  EXPECT_EQ(RemoveDeviceLine("DXLBANDS.386"), 1);
  EXPECT_EQ(Read(), expected);
  EXPECT_EQ(CheckSystemIniDevices(), 2);
}

TEST_F(RemoveDeviceLineTest, LeavesTheFileAloneWhenTheFirstOccurrenceIsNoDeviceLine) {
  for (const std::string text : {
           "[386Enh]\r\n;device=DXLQ7EM.386\r\ndevice=DXLQ7EM.386\r\n",
           "[386Enh]\r\n  device=DXLQ7EM.386\r\n",
           "[386Enh]\r\nPaging=on\r\n",
           "[boot]\r\ndevice=DXLQ7EM.386\r\n",
       }) {
    Write(text);
    EXPECT_EQ(RemoveDeviceLine("DXLQ7EM.386"), 1) << text;
    EXPECT_EQ(Read(), text);
  }
}

TEST_F(RemoveDeviceLineTest, MissingFileIsAFailure) {
  machine_.Builder().Remove(Path());
  EXPECT_EQ(RemoveDeviceLine("DXLQ7EM.386"), 0);
  EXPECT_FALSE(Exists());
}

}  // namespace
}  // namespace dxl
