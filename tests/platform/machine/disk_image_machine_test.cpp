// A disk image as the machine: a real FAT32 image made with mkfs.vfat and
// filled with mcopy. The run reads from the image only the files it uses, and
// writes back only what it changed. Skipped where mtools or dosfstools are missing.
#include "platform/machine/disk_image_machine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"
#include "support/command_output.h"

namespace w95 {
namespace {

namespace fs = std::filesystem;
using dxl::testing::CommandOutput;

constexpr const char* kBig = "WINDOWS/BIG.BIN";  // 16 MB the run never uses

class DiskImageMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (CommandOutput("command -v mkfs.vfat mcopy mattrib mdir >/dev/null 2>&1").first != 0)
      GTEST_SKIP() << "mtools or dosfstools are not installed (scripts/install-deps installs them)";
    dir_ = fs::temp_directory_path() / ("dxl-image-machine-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "drive" / "WINDOWS");
    Put("MSDOS.SYS", "[Paths]\r\nWinDir=C:\\WINDOWS\r\n");
    Put("WINDOWS/READ.TXT", "read, not changed");
    Put("WINDOWS/A[1].TXT", "a name mtools would take as a pattern");
    Put("WINDOWS/GONE.TXT", "deleted by the run");
    ASSERT_EQ(
        Sh("head -c 16M /dev/urandom > drive/" + std::string(kBig) +
           " && touch -d '2001-02-03 04:05:06' drive/WINDOWS/* drive/MSDOS.SYS"
           " && truncate -s 64M disk.img && mkfs.vfat -F 32 disk.img >/dev/null"
           " && mcopy -s -m -i disk.img drive/* ::/ && mattrib -i disk.img +r +h +s ::/MSDOS.SYS ::/WINDOWS/READ.TXT"),
        0)
        << last_;
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  void Put(const std::string& relative, const std::string& bytes) { std::ofstream(dir_ / "drive" / relative) << bytes; }
  int Sh(const std::string& command) {
    auto [code, output] = CommandOutput("cd '" + dir_.string() + "' && LC_ALL=C.UTF-8 " + command + " 2>&1");
    last_ = output;
    return code;
  }
  // What the image's directory entry of `relative` says: name, size, date, time, attributes.
  std::string ImageEntry(const std::string& relative) {
    std::string name = "'::/";
    for (char c : relative) name += c == '[' ? std::string("[[]") : std::string(1, c);  // no pattern
    name += "'";
    EXPECT_EQ(Sh("mdir -a -f -i disk.img " + name + " | grep -v '^ ' && mattrib -i disk.img " + name), 0) << last_;
    return last_;
  }

  fs::path dir_;
  std::string last_;
};

TEST_F(DiskImageMachineTest, ReadsOnlyWhatTheRunUsesAndWritesBackOnlyWhatItChanged) {
  struct Case {
    const char* file;
    enum { Unused, Read, Deleted } use;
  };
  const Case cases[] = {
      {kBig, Case::Unused},
      {"WINDOWS/READ.TXT", Case::Read},
      {"WINDOWS/A[1].TXT", Case::Read},
      {"WINDOWS/GONE.TXT", Case::Deleted},
  };
  std::map<std::string, std::string> entries;
  for (const Case& c : cases) entries[c.file] = ImageEntry(c.file);
  std::string problem;
  auto image = DiskImageMachine::Open(dir_ / "disk.img", problem);
  ASSERT_TRUE(image) << problem;
  const fs::path root = image->Root();
  for (const auto& entry : fs::recursive_directory_iterator(root))
    EXPECT_EQ(entry.is_regular_file() ? fs::file_size(entry.path()) : 0, 0u) << "read at the start: " << entry.path();
  Machine::Use(root);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string windowsPath = "C:\\" + std::string(c.file);
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    if (c.use == Case::Deleted) {
      EXPECT_TRUE(DeleteFileA(windowsPath));
    }
    if (c.use != Case::Read) continue;
    const std::string bytes = ReadHostFile(dir_ / "drive" / c.file).value_or("");
    struct stat original;
    ASSERT_EQ(stat((dir_ / "drive" / c.file).c_str(), &original), 0);
    FindData found;
    ASSERT_TRUE(FindFirstFileA(windowsPath, found));  // listed before it is opened
    EXPECT_EQ(found.size, bytes.size());
    EXPECT_EQ(found.lastWriteTime, FileTimeFromUnix(original.st_mtim.tv_sec, 0));
    FileHandle file = CreateFileA(windowsPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    ASSERT_TRUE(file);
    std::string read(bytes.size() + 1, '\0');
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(file, read, count));
    EXPECT_EQ(read.substr(0, count), bytes);
  }
  FileHandle made = CreateFileA("C:\\WINDOWS\\NEW.TXT", GENERIC_WRITE, 0, CREATE_NEW, 0);
  DWORD written = 0;
  ASSERT_TRUE(made && WriteFile(made, "made by the run", written));
  CloseHandle(made);
  struct stat big;
  ASSERT_EQ(stat((root / kBig).c_str(), &big), 0);
  EXPECT_EQ(big.st_size, 0) << "the unused file was copied out";
  EXPECT_EQ(big.st_blocks, 0);

  EXPECT_EQ(image->WriteBack(), std::vector<std::string>());
  image.reset();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    if (c.use == Case::Deleted) {
      EXPECT_NE(Sh(std::string("mdir -a -f -b -i disk.img '::/") + c.file + "'"), 0) << last_;
    } else {
      EXPECT_EQ(ImageEntry(c.file), entries[c.file]) << "its directory entry changed";
    }
  }
  EXPECT_EQ(Sh("mtype -i disk.img ::/WINDOWS/NEW.TXT"), 0);
  EXPECT_EQ(last_, "made by the run");
  EXPECT_EQ(Sh("mtype -i disk.img ::/WINDOWS/BIG.BIN | cmp - drive/WINDOWS/BIG.BIN && fsck.fat -n disk.img"), 0)
      << last_;
}

}  // namespace
}  // namespace w95
