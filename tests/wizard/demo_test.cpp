// The demo machine through the real program in the console: every problem it
// was built with is found and mended, and the runs after that find none.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/base/cp936.h"
#include "support/demo_fixture.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

class Demo : public testing::DemoMachineTest {
 protected:
  void TearDown() override {
    std::error_code ec;
    fs::remove(Side(".answers"), ec);
  }

  // Runs the program in the console with `answers`; the log it saved, as UTF-8.
  std::string Run(std::string_view answers, int logNumber) {
    std::ofstream(Side(".answers"), std::ios::binary) << answers;
    std::string command = "TSHOOTER_UI=console TSHOOTER_ROOT='" + machine_.Root().string() + "' '" + DXLQ7TRS_BINARY +
                          "' < '" + Side(".answers").string() + "' > /dev/null 2>&1";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return w95::Cp936ToUtf8Lossy(machine_.Read("C:\\WINDOWS\\DXL\\9803150" + std::to_string(logNumber) + ".LOG"));
  }
  static bool Has(const std::string& log, std::string_view line) { return log.find(line) != std::string::npos; }
};

TEST_F(Demo, EveryProblemIsFoundAndMended) {
  // LPT1: three local problems, each mended; then return to Windows.
  std::string local = Run("#6\n#1018\n#1018\n#1018\n#1\n#1012\n", 0);
  EXPECT_TRUE(Has(local, "错误: SYSTEM.INI 中遗漏 device=DXLBANDS.386 - 已修正\r\n")) << local;
  EXPECT_TRUE(Has(local, "错误: 虚拟内存被取消 - 已修正\r\n")) << local;
  EXPECT_TRUE(Has(local, "错误: 本打印机的双向支持被取消 - 已修正\r\n")) << local;
  EXPECT_TRUE(local.ends_with("返回 Windows。\r\n")) << local;

  // LPT2: the network printer's connection is made persistent.
  std::string network = Run("p 2\n#6\n#1018\n#1\n", 1);
  EXPECT_TRUE(Has(network, "网络错误: LPT2: 没有被连接到 \\\\PRINTSRV\\KRT310。 - 已修正\r\n")) << network;

  // Every fix took: both ports are now right.
  std::string localAgain = Run("#6\n#1\n", 2);
  EXPECT_TRUE(localAgain.ends_with("Tavix KRT-310 on LPT1:[本地] 设定正确。\r\n")) << localAgain;
  std::string networkAgain = Run("p 2\n#6\n#1\n", 3);
  EXPECT_TRUE(
      networkAgain.ends_with("网络的所有设定正确。\r\n故障排除完成。\r\n"
                             "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 设定正确。\r\n"))
      << networkAgain;
}

// Without TSHOOTER_ROOT the program works on a copy of the demo built with the
// program, made in the user's data directory on first use.
TEST(BundledDemo, FirstRunCopiesTheDemoWithItsFileTimesAndMendsIt) {
  fs::path home = fs::temp_directory_path() / ("dxl-demo-home-" + std::to_string(::getpid()));
  fs::remove_all(home);
  fs::create_directories(home);
  std::string command =
      "printf '#6\\n#1018\\n#1018\\n#1018\\n#1\\n#1012\\n' | env -u TSHOOTER_ROOT -u DISPLAY "
      "-u WAYLAND_DISPLAY TSHOOTER_UI=console HOME='" +
      home.string() + "' XDG_DATA_HOME= '" + DXLQ7TRS_BINARY + "' > /dev/null 2>&1";
  int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  fs::path logs = home / ".local" / "share" / "dxlq7trs" / "demo" / "WINDOWS" / "DXL";
  std::string log;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(logs, ec)) {
    if (entry.path().extension() != ".LOG") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    log = w95::Cp936ToUtf8Lossy(bytes.str());
  }
  EXPECT_NE(log.find("错误: 本打印机的双向支持被取消 - 已修正\r\n"
                     "\"MS-DOS 后台打印\"被启用\r\n"
                     "登记项目正确。\r\n"
                     "所有文件的版本正确。\r\n"),
            std::string::npos)
      << log;
  fs::remove_all(home);
}

}  // namespace
}  // namespace dxl
