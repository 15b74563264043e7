// The restart of the emulated machine: WININIT.INI [Rename] carried out in
// file order and kept as WININIT.BAK, hostile entries skipped, the network's
// logon done again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "machine_builder/network_builder.h"
#include "platform/network/network.h"
#include "platform/system/system.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::TempMachine;
namespace fs = std::filesystem;

class Restart : public ::testing::Test {
 protected:
  void Wininit(std::string_view text) { machine_.Builder().File("C:\\WINDOWS\\WININIT.INI", text); }
  void Reboot() { ASSERT_TRUE(ExitWindowsEx(EWX_REBOOT, 0)); }

  TempMachine machine_;
};

TEST_F(Restart, RenamesInFileOrderKeepingDuplicatesAndKeepsTheFileAsBak) {
  auto& b = machine_.Builder();
  b.File("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386", "wrong driver");
  b.File("C:\\A.TXT", "a").File("C:\\C.TXT", "c").File("C:\\OLD1.TXT", "1").File("C:\\OLD2.TXT", "2");
  b.File("C:\\WINDOWS\\WININIT.BAK", "an older one");
  Wininit(
      "[Rename]\r\n"
      "NUL=C:\\OLD1.TXT\r\n"
      "NUL=C:\\OLD2.TXT\r\n"
      "C:\\WINDOWS\\SYSTEM\\DXLQ7EM.000=C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386\r\n"
      // A.TXT moves away before C.TXT takes its place.
      "C:\\B.TXT=C:\\A.TXT\r\n"
      "c:\\a.txt = c:\\c.txt\r\n");
  Reboot();

  EXPECT_FALSE(machine_.Exists("C:\\OLD1.TXT"));
  EXPECT_FALSE(machine_.Exists("C:\\OLD2.TXT"));
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386"));
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.000"), "wrong driver");
  EXPECT_EQ(machine_.Read("C:\\B.TXT"), "a");
  EXPECT_EQ(machine_.Read("C:\\A.TXT"), "c");
  EXPECT_FALSE(machine_.Exists("C:\\C.TXT"));
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\WININIT.INI"));
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\WININIT.BAK").substr(0, 8), "[Rename]");
  EXPECT_EQ(DescribeRestart(LastRestart()),
            "Windows restarted: WININIT.INI carried out (3 files renamed, 2 deleted, 0 entries skipped); "
            "0 network connections restored, 0 non-persistent connections ended.");
}

TEST_F(Restart, ReplacesAnExistingDestinationAndIgnoresOtherSections) {
  auto& b = machine_.Builder();
  b.File("C:\\EXISTING.TXT", "old").File("C:\\WINDOWS\\TEMP\\NEWFILE.TXT", "new").File("C:\\KEEP.TXT", "keep");
  Wininit(
      "[CombineVxDs]\r\n"
      "NUL=C:\\KEEP.TXT\r\n"
      "[rename]\r\n"
      "; a comment\r\n"
      "no equals sign here\r\n"
      "C:\\EXISTING.TXT=C:\\WINDOWS\\TEMP\\NEWFILE.TXT\r\n"
      "NUL=C:\\MISSING.TXT\r\n");
  Reboot();
  EXPECT_EQ(machine_.Read("C:\\EXISTING.TXT"), "new");
  EXPECT_EQ(machine_.Read("C:\\KEEP.TXT"), "keep");
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\TEMP\\NEWFILE.TXT"));
}

TEST_F(Restart, SkipsEntriesThatLeaveTheMachineOrUseLongNamesAndGoesOn) {
  auto& b = machine_.Builder();
  fs::path outside = machine_.Root().parent_path() / (machine_.Root().filename().string() + "-outside");
  fs::create_directories(outside);
  std::ofstream(outside / "VICTIM.TXT") << "outside";
  fs::create_directory_symlink(outside, machine_.Root() / "LINK");
  b.File("C:\\LONGFILENAME.TXT", "long").File("C:\\SHORT.TXT", "short").Directory("C:\\SUBDIR");
  b.File("C:\\DIRDEST\\X.TXT", "x").File("C:\\LAST.TXT", "last");
  Wininit(
      "[Rename]\r\n"
      "NUL=C:\\LINK\\VICTIM.TXT\r\n"
      "C:\\STOLEN.TXT=C:\\LINK\\VICTIM.TXT\r\n"
      "C:\\LINK\\SHORT.TXT=C:\\SHORT.TXT\r\n"
      "C:\\..\\SHORT.TXT=C:\\SHORT.TXT\r\n"
      "D:\\SHORT.TXT=C:\\SHORT.TXT\r\n"
      "\\\\SERVER\\SHARE\\SHORT.TXT=C:\\SHORT.TXT\r\n"
      "NUL=C:\\LONGFILENAME.TXT\r\n"
      "C:\\LONGER.TEXT=C:\\SHORT.TXT\r\n"
      "NUL=C:\\SUBDIR\r\n"
      "C:\\DIRDEST=C:\\SHORT.TXT\r\n"
      "NUL=LPT1:\r\n"
      "NUL=C:\\LAST.TXT\r\n");
  Reboot();

  EXPECT_TRUE(fs::exists(outside / "VICTIM.TXT"));
  EXPECT_FALSE(machine_.Exists("C:\\STOLEN.TXT"));
  EXPECT_FALSE(fs::exists(outside / "SHORT.TXT"));
  EXPECT_EQ(machine_.Read("C:\\SHORT.TXT"), "short");
  EXPECT_EQ(machine_.Read("C:\\LONGFILENAME.TXT"), "long");
  EXPECT_TRUE(fs::is_directory(machine_.Root() / "SUBDIR"));
  EXPECT_EQ(machine_.Read("C:\\DIRDEST\\X.TXT"), "x");
  EXPECT_FALSE(machine_.Exists("C:\\LAST.TXT"));  // entries after the bad ones still run
  EXPECT_EQ(LastRestart().skipped, 11);
  EXPECT_EQ(LastRestart().deleted, 1);
  EXPECT_EQ(LastRestart().renamed, 0);
  fs::remove_all(outside);
}

TEST_F(Restart, GarbledOrMissingWininitLeavesFilesAlone) {
  EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\WININIT.BAK"));
  EXPECT_FALSE(LastRestart().wininit);
  EXPECT_TRUE(DescribeRestart(LastRestart()).starts_with("Windows restarted: no WININIT.INI to carry out; "));

  machine_.Builder().File("C:\\KEEP.TXT", "keep");
  constexpr char kGarbled[] = "[Rename\0\xff\xfe=NUL=\r=[\n\n=C:\\KEEP.TXT]]]=";
  Wininit(std::string_view(kGarbled, sizeof kGarbled - 1));
  Reboot();
  EXPECT_EQ(machine_.Read("C:\\KEEP.TXT"), "keep");
  EXPECT_TRUE(machine_.Exists("C:\\WINDOWS\\WININIT.BAK"));
}

TEST_F(Restart, EndsNonPersistentConnectionsAndRestoresPersistentOnes) {
  auto& b = machine_.Builder();
  dxl::tools::AddServer(b, "PRINTSRV");
  dxl::tools::AddPrintShare(b, "PRINTSRV", "KRT310");
  dxl::tools::SetCurrentConnection(b, 2, "\\\\PRINTSRV\\KRT310");
  dxl::tools::AddPersistentConnection(b, 3, "\\\\PRINTSRV\\KRT310");
  machine_.Activate();

  std::string remote;
  DWORD length = 261;
  ASSERT_EQ(WNetGetConnectionA("LPT2:", remote, length), ERROR_SUCCESS);
  Reboot();
  length = 261;
  EXPECT_EQ(WNetGetConnectionA("LPT2:", remote, length), ERROR_NOT_CONNECTED);
  length = 261;
  EXPECT_EQ(WNetGetConnectionA("LPT3:", remote, length), ERROR_SUCCESS);
  EXPECT_EQ(remote, "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(machine_.Read("C:\\MACHINE.INI").find("PRINTSRV\\KRT310"), std::string::npos);
  EXPECT_TRUE(
      DescribeRestart(LastRestart()).ends_with("1 network connection restored, 1 non-persistent connection ended."))
      << DescribeRestart(LastRestart());
}

TEST_F(Restart, LogoffOnlyLogsOnAgain) {
  machine_.Builder().File("C:\\KEEP.TXT", "keep");
  Wininit("[Rename]\r\nNUL=C:\\KEEP.TXT\r\n");
  EXPECT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0));
  EXPECT_TRUE(machine_.Exists("C:\\KEEP.TXT"));
  EXPECT_TRUE(machine_.Exists("C:\\WINDOWS\\WININIT.INI"));
}

}  // namespace
}  // namespace w95
