// Yes on a fix page whose fix cannot write its file: the report line says the
// problem was not mended and no restart is asked for on its account. The
// files are made unwritable for real, in three ways that bind root as well:
// the read-only attribute, a full disk (a child process whose files may not
// grow, RLIMIT_FSIZE with SIGXFSZ ignored) and the immutable flag of the file
// system (skipped where the file system has none).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app_state/troubleshooter_app.h"
#include "machine_builder/hives.h"
#include "platform/base/cp936.h"
#include "platform/spooler/spooler.h"
#include "resources/dialog_templates.h"
#include "support/program_test.h"

namespace dxl {
namespace {

using ctl::kOk, ctl::kReturn, ctl::kStartYes, ctl::kYes;
constexpr rlim_t kFileSizeLimit = 2048;
constexpr const char* kSystemIni = "C:\\WINDOWS\\SYSTEM.INI";
constexpr const char* kWinIni = "C:\\WINDOWS\\WIN.INI";

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

// A local installation with a problem for every fix page; both initialisation
// files carry a long comment, so that no rewrite of them fits under the limit.
class FailedFixes : public testing::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    theApp().helpFilePath = "C:\\WINDOWS\\DXLQ7IN.HLP";
    auto& b = Builder();
    const std::string padding = "; " + std::string(kFileSizeLimit, 'x') + "\r\n";
    std::string systemIni = Replaced(tools::StandardSystemIni(), "device=DXLBANDS.386\r\n", "");
    b.SystemIni(padding + Replaced(systemIni, "[386Enh]\r\n", "[386Enh]\r\nPaging=off\r\n"));
    std::string winIni = Replaced(tools::StandardWinIni(), "load=DXLHRC.EXE", "load=");
    b.WinIni(padding + Replaced(winIni, "[Devices]\r\n", "[Devices]\r\nHP=HPPCL,LPT1:\r\n"));
    tools::InstallSpoolerPrinter(b, "HP", "LPT1:", w95::PRINTER_ATTRIBUTE_LOCAL);
    tools::SetPrinterAttributes(b, tools::kPrinterName, 0x200);
    tools::SetDosSpoolMask(b, 0);
    machine_.Activate();
    for (const std::string& file : Files()) before_.push_back(machine_.Read(file));
    Script().Press(kStartYes);
    for (int page = 0; page < 6; ++page) Script().Press(kYes);
    Script().Press(kOk);
  }
  void TearDown() override {
    for (const std::string& file : Files()) SetImmutable(file, false);
    ProgramTest::TearDown();
  }

  w95::ui::ScriptedBackend& Script() { return *script_; }
  // The three files the fixes rewrite; the hive in the store this machine uses.
  std::vector<std::string> Files() const { return {kSystemIni, kWinIni, machine_.HiveFile()}; }
  std::string HostPath(std::string_view file) { return Builder().HostPath(file).string(); }
  std::string Log() const { return w95::Cp936ToUtf8Lossy(machine_.Read(theApp().logPath)); }

  bool SetImmutable(std::string_view file, bool on) {
    int fd = open(HostPath(file).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return ok;
  }

  // The wizard in a child process whose files may not grow beyond the limit;
  // its exit code is restartNeeded, and it hands back the log's name.
  int RunWithFullDisk() {
    int names[2];
    if (pipe(names) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
      close(names[0]);
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{kFileSizeLimit, kFileSizeLimit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
      theApp().WizardDriver();
      const std::string& logPath = theApp().logPath;
      if (write(names[1], logPath.data(), logPath.size()) != static_cast<ssize_t>(logPath.size())) _exit(101);
      _exit(theApp().restartNeeded);
    }
    close(names[1]);
    char buffer[512];
    ssize_t n = child < 0 ? -1 : read(names[0], buffer, sizeof buffer);
    close(names[0]);
    if (n > 0) theApp().logPath.assign(buffer, static_cast<size_t>(n));
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  void ExpectNothingMended() {
    const std::string log = Log();
    EXPECT_EQ(log.find("已修正"), std::string::npos) << log;
    for (const char* line :
         {"错误: HP 被连接到 LPT1: - 未修正\r\n", "错误: SYSTEM.INI 中遗漏 device=DXLBANDS.386 - 未修正\r\n",
          "错误: WIN.INI 中遗漏 load=DXLHRC.EXE - 未修正\r\n", "错误: 虚拟内存被取消 - 未修正\r\n",
          "错误: 本打印机的双向支持被取消 - 未修正\r\n", "错误: \" MS-DOS 后台打印\"被取消 - 未修正\r\n"})
      EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_TRUE(log.ends_with("故障排除完成。\r\nTavix KRT-310 on LPT1:[本地] 设定不正确。\r\n")) << log;
    const std::vector<std::string> files = Files();
    for (size_t i = 0; i < before_.size(); ++i) EXPECT_EQ(machine_.Read(files[i]), before_[i]) << files[i];
  }

  std::vector<std::string> before_;
};

TEST_F(FailedFixes, WritableFilesAreMendedAndAskForTheRestart) {
  Script().Press(kReturn);
  theApp().WizardDriver();
  EXPECT_EQ(ModalPages(), (std::vector<int>{tmpl::kStartPage, tmpl::kOtherPrinterPage, tmpl::kSystemIniPage,
                                            tmpl::kWinIniPage, tmpl::kVirtualMemoryPage, tmpl::kBidiSupportPage,
                                            tmpl::kDosSpoolingPage, tmpl::kResultsDialog, tmpl::kFinishPage}));
  EXPECT_TRUE(theApp().restartNeeded);
  const std::string log = Log();
  EXPECT_EQ(log.find("未修正"), std::string::npos) << log;
  EXPECT_LT(log.size(), kFileSizeLimit) << "the report must fit under the full-disk limit";
}

TEST_F(FailedFixes, ReadOnlyFilesAreReportedNotMended) {
  for (const std::string& file : Files()) ASSERT_EQ(chmod(HostPath(file).c_str(), 0444), 0);
  theApp().WizardDriver();
  EXPECT_EQ(ModalPages(), (std::vector<int>{tmpl::kStartPage, tmpl::kOtherPrinterPage, tmpl::kSystemIniPage,
                                            tmpl::kWinIniPage, tmpl::kVirtualMemoryPage, tmpl::kBidiSupportPage,
                                            tmpl::kDosSpoolingPage, tmpl::kResultsDialog}));  // no finish page
  EXPECT_FALSE(theApp().restartNeeded);
  ExpectNothingMended();
}

TEST_F(FailedFixes, AFullDiskIsReportedNotMended) {
  for (const std::string& file : Files()) ASSERT_GT(machine_.Read(file).size(), kFileSizeLimit) << file;
  EXPECT_EQ(RunWithFullDisk(), 0);
  ExpectNothingMended();
}

TEST_F(FailedFixes, ImmutableFilesAreReportedNotMended) {
  for (const std::string& file : Files())
    if (!SetImmutable(file, true)) GTEST_SKIP() << "the file system has no immutable flag here";
  theApp().WizardDriver();
  EXPECT_EQ(ModalPages(), (std::vector<int>{tmpl::kStartPage, tmpl::kOtherPrinterPage, tmpl::kSystemIniPage,
                                            tmpl::kWinIniPage, tmpl::kVirtualMemoryPage, tmpl::kBidiSupportPage,
                                            tmpl::kDosSpoolingPage, tmpl::kResultsDialog}));
  EXPECT_FALSE(theApp().restartNeeded);
  ExpectNothingMended();
}

}  // namespace
}  // namespace dxl
