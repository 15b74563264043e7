// A report whose file cannot take a single line (a full disk: the program's
// files may not grow at all, RLIMIT_FSIZE 0): the results page still shows
// every line, standard error names the report's file, and every fix, whose
// file could not be replaced either, says it was not made. The real program,
// on a demo machine made by the machine tool.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/command_output.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

TEST(ReportInMemory, AFullDiskLosesNoLineOfTheReportShown) {
  const fs::path dir = fs::temp_directory_path() / ("dxl-fulldisk-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "home");
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(testing::CommandOutput(in + DXL_BUILD_DIR "/tools/dxlq7-mkmachine --demo machine").first, 0);
  // The program's output goes through a pipe, which the limit does not bind.
  const auto [code, output] = testing::CommandOutput(
      in + "printf 'y\\ny\\ny\\ny\\n\\nr\\nr\\n' | (ulimit -f 0; HOME='" + (dir / "home").string() +
      "' TSHOOTER_UI=console TSHOOTER_ROOT=machine " DXLQ7TRS_BINARY " 2>&1) | cat");
  EXPECT_EQ(code, 0) << output;
  EXPECT_NE(output.find("C:\\WINDOWS\\TEMP\\tshooter.tmp: a line of the report cannot be written"), std::string::npos)
      << output;
  for (const char* line : {"  | 可用内存: ", "  | 错误: SYSTEM.INI 中遗漏 device=DXLBANDS.386 - 未修正",
                           "  | 错误: 虚拟内存被取消 - 未修正", "  | 故障排除完成。"})
    EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
  EXPECT_EQ(output.find(" - 已修正"), std::string::npos) << output;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace dxl
