// The real program, dxlq7trs, run in the console on built machines with the
// clock stopped and fixed disk and memory figures: answers on standard input,
// and the log file and the files the fixes changed compared byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "machine_builder/hives.h"
#include "machine_builder/network_builder.h"
#include "machine_builder/printing_files.h"
#include "platform/base/cp936.h"
#include "platform/spooler/spooler.h"
#include "support/program_run.h"

namespace dxl {
namespace {

namespace tools = dxl::tools;
namespace fs = std::filesystem;

constexpr const char* kLog = "C:\\WINDOWS\\DXL\\98031500.LOG";
constexpr const char* kReport = "C:\\WINDOWS\\TEMP\\tshooter.tmp";

std::string Without(std::string text, std::string_view line) {
  auto at = text.find(line);
  if (at != std::string::npos) text.erase(at, line.size());
  return text;
}

std::string Cp936(std::string_view utf8) { return w95::Utf8ToCp936(utf8).value_or("<not CP936>"); }

std::string Header(std::string_view entry, std::string_view modeLine = "标准并行端口。") {
  return "Tavix KRT-310 on " + std::string(entry) + " 故障排除 - 1998-3-15 10:20:30\r\n" +
         "可用磁盘空间: 512 MB\r\n可用内存: 16384 KB\r\n" + std::string(modeLine) + "\r\n";
}

// The engine's lines of a local port whose set-up is right from the step `from` on.
std::string LocalLines(std::string_view from = "Tavix") {
  std::string lines =
      "Tavix KRT-310 被连接到 LPT1:。\r\n"
      "LPT1: 端口驱动程序运转正常。\r\n"
      "Tavix KRT-310 以外的打印机没有被连接到 LPT1:\r\n"
      "SYSTEM.INI 正确。\r\n"
      "WIN.INI 正确。\r\n"
      "虚拟内存被启用。\r\n"
      "本打印机的双向支持被启用。\r\n"
      "\"MS-DOS 后台打印\"被启用\r\n"
      "登记项目正确。\r\n";
  return lines.substr(lines.find(from));
}

class EndToEnd : public testing::ProgramRunTest {
 protected:
  // Runs the program with `answers` (one a line) on standard input; its exit code.
  int Run(std::string_view answers) { return RunProgram(answers).code; }
};

TEST_F(EndToEnd, CorrectLocalSetUp) {
  ASSERT_EQ(Run("#6\n#1\n"), 0) << Output();
  EXPECT_EQ(Read(kLog), Cp936(Header("LPT1:[本地]") + LocalLines() +
                              "所有文件的版本正确。\r\n"
                              "故障排除完成。\r\n"
                              "Tavix KRT-310 on LPT1:[本地] 设定正确。\r\n"))
      << Output();
  EXPECT_FALSE(machine_.Exists(kReport));
  EXPECT_EQ(Output().find("[145]"), std::string::npos);  // no finish page
}

TEST_F(EndToEnd, LocalProblemsFixedAndReturnToWindows) {
  auto& b = Builder();
  std::string systemIni = Without(tools::StandardSystemIni(), "device=DXLBANDS.386\r\n");
  systemIni.insert(systemIni.find("[386Enh]\r\n") + 10, "Paging=off\r\n");
  b.SystemIni(systemIni);
  b.WinIni(Without(tools::StandardWinIni(), "DXLHRC.EXE"));
  tools::SetPrinterAttributes(b, tools::kPrinterName, w95::PRINTER_ATTRIBUTE_LOCAL | w95::PRINTER_ATTRIBUTE_DEFAULT);
  tools::SetDosSpoolMask(b, 0xFE);
  tools::SetPrintersMask(b, std::string("\xFE\x00\x00\x00", 4));

  ASSERT_EQ(Run("#6\n#1018\n#1018\n#1018\n#1018\n#1018\n#1\n#1012\n"), 0) << Output();
  EXPECT_EQ(Read(kLog), Cp936(Header("LPT1:[本地]") + "Tavix KRT-310 被连接到 LPT1:。\r\n"
                                                      "LPT1: 端口驱动程序运转正常。\r\n"
                                                      "Tavix KRT-310 以外的打印机没有被连接到 LPT1:\r\n"
                                                      "错误: SYSTEM.INI 中遗漏 device=DXLBANDS.386 - 已修正\r\n"
                                                      "错误: WIN.INI 中遗漏 load=DXLHRC.EXE - 已修正\r\n"
                                                      "错误: 虚拟内存被取消 - 已修正\r\n"
                                                      "错误: 本打印机的双向支持被取消 - 已修正\r\n"
                                                      "错误: \" MS-DOS 后台打印\"被取消 - 已修正\r\n"
                                                      "登记项目正确。\r\n"
                                                      "所有文件的版本正确。\r\n"
                                                      "故障排除完成。\r\n"
                                                      "Tavix KRT-310 on LPT1:[本地] 设定不正确。\r\n"
                                                      "返回 Windows。\r\n"))
      << Output();
  std::string fixedSystemIni = systemIni;
  fixedSystemIni.insert(fixedSystemIni.find("[386Enh]\r\n") + 10, "device=DXLBANDS.386\r\n");
  fixedSystemIni.replace(fixedSystemIni.find("Paging=off"), 10, "Paging=on");
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM.INI"), fixedSystemIni);
  EXPECT_NE(Read("C:\\WINDOWS\\WIN.INI").find("load= DXLHRC.EXE\r\n"), std::string::npos)
      << Read("C:\\WINDOWS\\WIN.INI");

  // The next run finds nothing to mend.
  ASSERT_EQ(Run("#6\n#1\n"), 0) << Output();
  std::string second = w95::Cp936ToUtf8Lossy(Read("C:\\WINDOWS\\DXL\\98031501.LOG"));
  EXPECT_TRUE(second.ends_with("Tavix KRT-310 on LPT1:[本地] 设定正确。\r\n")) << second;
}

TEST_F(EndToEnd, ExitOnAPageLeavesTheFilesAsTheyWere) {
  std::string systemIni = Without(tools::StandardSystemIni(), "device=DXLCPEPY.386\r\n");
  Builder().SystemIni(systemIni);
  ASSERT_EQ(Run("#6\n#1014\n#1\n"), 3) << Output();
  EXPECT_EQ(Read(kLog), Cp936(Header("LPT1:[本地]") + LocalLines().substr(0, LocalLines().find("SYSTEM.INI")) +
                              "错误: SYSTEM.INI 中遗漏 device=DXLCPEPY.386 - 未修正\r\n"
                              "故障排除被用户中止。\r\n"
                              "Tavix KRT-310 on LPT1:[本地] 设定不正确。\r\n"))
      << Output();
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM.INI"), systemIni);
}

TEST_F(EndToEnd, WrongDriverFileRenamedAtTheRestart) {
  tools::SetPrintingFileVersion(Builder(), "DXLQ7EM.386", "2.10.0.1");
  std::string wrongDriver = Read("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386");
  ASSERT_EQ(Run("#6\n#1018\n#1\n#1011\n"), 3) << Output();
  EXPECT_EQ(Read(kLog), Cp936(Header("LPT1:[本地]") + LocalLines() +
                              "错误: C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386 - 将被重命名为 DXLQ7EM.000\r\n"
                              "当前版本=2.10.0.1 时间标志=1997/06/28 17:40:02 大小=28672\r\n"
                              "所需版本=2.10.0.30 时间标志=1997/06/28 17:40:02 大小=28672\r\n"
                              "故障排除完成。\r\n"
                              "Tavix KRT-310 on LPT1:[本地] 设定不正确。 请运行安装程序。\r\n"
                              "重新启动 Windows。\r\n"))
      << Output();
  // Windows restarted: the file was renamed, WININIT.INI kept as WININIT.BAK.
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386"));
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.000"), wrongDriver);
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\WININIT.INI"));
  EXPECT_EQ(Read("C:\\WINDOWS\\WININIT.BAK"),
            "[Rename]\r\nC:\\WINDOWS\\SYSTEM\\DXLQ7EM.000=C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386\r\n");
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM.INI"), Without(tools::StandardSystemIni(), "device=DXLQ7EM.386\r\n"));
}

TEST_F(EndToEnd, NetworkConnectionMadePersistent) {
  auto& b = Builder();
  tools::InstallPortKeys(b, "LPT2:", true);
  tools::AddServer(b, "PRINTSRV");
  tools::AddShare(b, "PRINTSRV", "DXL");
  tools::AddPrintShare(b, "PRINTSRV", "KRT310");
  const auto& apd = tools::StandardPrintingFile("DXLQ7APD.APD");
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLQ7APD.APD", Read(tools::PrintingFilePath(b, apd.directory, apd.name)),
                      apd.stamp);
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLHRC.BIN", "data");
  tools::SetCurrentConnection(b, 2, "\\\\PRINTSRV\\KRT310");

  ASSERT_EQ(Run("p 2\n#6\n#1018\n#1\n"), 0) << Output();
  EXPECT_EQ(Read(kLog), Cp936(Header("LPT2:[\\\\PRINTSRV\\KRT310]") +
                              "Tavix KRT-310 被连接到 LPT1:,LPT2:。\r\n"
                              "Tavix KRT-310 以外的打印机没有被连接到 LPT2:\r\n"
                              "SYSTEM.INI 正确。\r\n"
                              "WIN.INI 正确。\r\n"
                              "虚拟内存被启用。\r\n"
                              "登记项目正确。\r\n"
                              "所有文件的版本正确。\r\n"
                              "网络错误: LPT2: 没有被连接到 \\\\PRINTSRV\\KRT310。 - 已修正\r\n"
                              "故障排除完成。\r\n"
                              "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n"))
      << Output();
  EXPECT_NE(machine_.HiveText(true).find("[HKEY_CURRENT_USER\\Network\\Persistent\\LPT2]"), std::string::npos);
  EXPECT_EQ(Read("C:\\MACHINE.INI").find("LPT2="), std::string::npos);

  // Persistent now: the next run finds the network set-up right.
  ASSERT_EQ(Run("p 2\n#6\n#1\n"), 0) << Output();
  std::string second = w95::Cp936ToUtf8Lossy(Read("C:\\WINDOWS\\DXL\\98031501.LOG"));
  EXPECT_TRUE(
      second.ends_with("网络的所有设定正确。\r\n故障排除完成。\r\n"
                       "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 设定正确。\r\n"))
      << second;
}

TEST_F(EndToEnd, NoOnTheStartPageEndsAtOnce) {
  ASSERT_EQ(Run("#7\n"), 0) << Output();
  EXPECT_FALSE(machine_.Exists(kLog));
  EXPECT_FALSE(machine_.Exists(kReport));
  EXPECT_EQ(Output().find("[142]"), std::string::npos);
}

// A copied drive of a real installation: binary hives and no MACHINE.INI. The
// port is present, nothing is connected, the clock and the figures are the host's.
TEST_F(EndToEnd, ARealInstallationWithoutMachineIniChecksAsAUserSeesIt) {
  Builder().UseBinaryRegistry();
  Builder().Remove("C:\\MACHINE.INI");
  ASSERT_EQ(Run("#6\n#1\n"), 0) << Output();
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(Builder().HostPath("C:\\WINDOWS\\DXL")))
    if (entry.path().extension() == ".LOG") logs.push_back(entry.path());
  ASSERT_EQ(logs.size(), 1u) << Output();
  std::ifstream in(logs[0], std::ios::binary);
  const std::string log = w95::Cp936ToUtf8Lossy(std::string(std::istreambuf_iterator<char>(in), {}));
  EXPECT_TRUE(log.starts_with("Tavix KRT-310 on LPT1:[本地] 故障排除 - ")) << log;
  const size_t body = log.find("标准并行端口。\r\n");
  ASSERT_NE(body, std::string::npos) << log;
  EXPECT_NE(log.find("\r\n可用磁盘空间: "), std::string::npos) << log;
  EXPECT_EQ(log.substr(body + std::string_view("标准并行端口。\r\n").size()),
            LocalLines() + "所有文件的版本正确。\r\n故障排除完成。\r\nTavix KRT-310 on LPT1:[本地] 设定正确。\r\n");
  EXPECT_FALSE(machine_.Exists("C:\\MACHINE.INI"));  // nothing of the emulation is left on a real drive
}

}  // namespace
}  // namespace dxl
