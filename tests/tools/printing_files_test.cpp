#include "machine_builder/printing_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "support/temp_machine.h"

namespace dxl::tools {
namespace {

TEST(PrintingFiles, VersionsAreFourSixteenBitNumbers) {
  EXPECT_EQ(ParseFileVersion("2.10.0.31"), (std::array<std::uint16_t, 4>{2, 10, 0, 31}));
  EXPECT_EQ(ParseFileVersion("65535.0.0.65535"), (std::array<std::uint16_t, 4>{65535, 0, 0, 65535}));
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "65536.0.0.0", "1..2.3", "1.2.3.x"})
    EXPECT_THROW(ParseFileVersion(bad), std::invalid_argument) << bad;
}

TEST(PrintingFiles, ImagesArePaddedToTheirSize) {
  for (ImageFormat format : {ImageFormat::Ne, ImageFormat::Le, ImageFormat::Pe}) {
    const std::string image = MakeExecutable(format, "1.0.0.0", "x");
    EXPECT_TRUE(image.starts_with("MZ"));
    EXPECT_EQ(MakeExecutable(format, "1.0.0.0", "x", image.size() + 1000).size(), image.size() + 1000);
    EXPECT_EQ(MakeExecutable(format, "1.0.0.0", "x", 10), image) << "never cut";
  }
  EXPECT_EQ(MakeDataFile("A.BIN", 11), "A.BIN\r\nA.BI");
}

TEST(PrintingFiles, StandardInstallationWritesTheTableAndItsSetupInformation) {
  testing::TempMachine machine;
  machine.Builder().InstallPrintingSystem();
  for (const PrintingFile& file : StandardPrintingFiles()) {
    const auto host = machine.Builder().HostPath(PrintingFilePath(machine.Builder(), file.directory, file.name));
    EXPECT_EQ(std::filesystem::file_size(host), file.size) << file.name;
  }
  EXPECT_EQ(SetupRecord(StandardPrintingFile("dxlq7.drv")),
            "1, DXLQ7.DRV, 1997/07/01, 12:00:00, 181248, SYSTEM, 2.10.0.31\r\n");
  const std::string inf = machine.Read("C:\\WINDOWS\\SYSTEM\\DXLQ7SET.INF");
  const auto win4 = inf.find("[Win4System]\r\n"), pcl = inf.find("[pcl]\r\n");
  ASSERT_NE(win4, std::string::npos);
  ASSERT_NE(pcl, std::string::npos);
  EXPECT_LT(inf.find("DXLQ7EM.386"), pcl);
  EXPECT_GT(inf.find("DXLQ7PCL.DLL"), pcl);
  EXPECT_THROW(StandardPrintingFile("OTHER.DLL"), std::invalid_argument);
}

}  // namespace
}  // namespace dxl::tools
