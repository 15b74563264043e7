// A repair whose new file cannot be written must leave the old file whole and
// say so. The failure is real: the repair runs in a child process whose files
// may not grow beyond a few bytes (RLIMIT_FSIZE, which binds root as well, with
// SIGXFSZ ignored so that the write fails with EFBIG instead of killing it).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "checks/ini_checks.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;

constexpr rlim_t kFileSizeLimit = 32;

// The repair's result in the child, or -1 when the child did not exit normally.
int RunWithFileSizeLimit(const std::function<int()>& repair) {
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{kFileSizeLimit, kFileSizeLimit};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    _exit(repair());
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::set<std::string> EntriesOf(const std::filesystem::path& directory) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) names.insert(entry.path().filename());
  return names;
}

class RepairWriteFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().SystemIni(kText);
    entries_ = EntriesOf(WindowsHost());
  }
  std::filesystem::path WindowsHost() { return machine_.Builder().HostPath(machine_.Builder().WindowsDirectory()); }
  std::string SystemIni() { return machine_.Read(machine_.Builder().InWindows("SYSTEM.INI")); }

  void ExpectUntouched() {
    EXPECT_EQ(SystemIni(), kText);
    EXPECT_EQ(EntriesOf(WindowsHost()), entries_) << "no temporary file may be left behind";
  }

  static constexpr const char* kText =
      "[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\ndevice=DXLCPEPY.386\r\nPaging=on\r\n\r\n[drivers]\r\n";
  TempMachine machine_;
  std::set<std::string> entries_;
};

TEST_F(RepairWriteFailure, AddingDeviceLinesLeavesTheFileWhole) {
  ASSERT_GT(std::string(kText).size(), kFileSizeLimit);
  EXPECT_EQ(RunWithFileSizeLimit([] { return AddSystemIniDevices(6); }), 0);
  ExpectUntouched();
  // Without the limit the same repair succeeds: the limit was the cause.
  EXPECT_EQ(AddSystemIniDevices(6), 1);
  EXPECT_NE(SystemIni(), kText);
}

TEST_F(RepairWriteFailure, AddingASectionLeavesTheFileWhole) {
  machine_.Builder().SystemIni("[boot]\r\nshell=Explorer.exe\r\n");
  const std::string before = SystemIni();
  EXPECT_EQ(RunWithFileSizeLimit([] { return AddSystemIniDevices(7); }), 0);
  EXPECT_EQ(SystemIni(), before);
}

TEST_F(RepairWriteFailure, RemovingADeviceLineLeavesTheFileWhole) {
  EXPECT_EQ(RunWithFileSizeLimit([] { return RemoveDeviceLine("DXLCPEPY.386"); }), 0);
  ExpectUntouched();
  EXPECT_EQ(SystemIni().find("@evice"), std::string::npos);
}

TEST_F(RepairWriteFailure, ProfileRepairsLeaveTheFilesWholeAndSaySo) {
  const std::string winIni = "[windows]\r\nload=other.exe DXLHRC.EXE\r\nrun=\r\n";
  const std::string systemIni = "[386Enh]\r\nPaging=off\r\n; " + std::string(kFileSizeLimit, 'x') + "\r\n";
  machine_.Builder().WinIni(winIni).SystemIni(systemIni);
  entries_ = EntriesOf(WindowsHost());
  // The removal answers 1 whatever happens; the additions answer 0 when they
  // could not write.
  EXPECT_EQ(RunWithFileSizeLimit([] { return RemoveLoadEntry() | AddLoadEntry() << 1 | EnablePaging() << 2; }), 1);
  EXPECT_EQ(machine_.Read(machine_.Builder().InWindows("WIN.INI")), winIni);
  EXPECT_EQ(SystemIni(), systemIni);
  EXPECT_EQ(EntriesOf(WindowsHost()), entries_) << "no temporary file may be left behind";
  EXPECT_EQ(AddLoadEntry(), 1);
  EXPECT_EQ(EnablePaging(), 1);
}

}  // namespace
}  // namespace dxl
