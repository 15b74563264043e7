// CreateFileA over the component walk: names spelt as held and in another
// case, links inside and out of the root, directories, a FIFO, missing and
// invalid names give the file the walk finds, or its error. Pinned on real
// files, links, a directory and a FIFO.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

namespace fs = std::filesystem;
using dxl::testing::TempMachine;

struct Case {
  std::string path;     // Windows path, code page 936
  DWORD error;          // of CreateFileA for reading; ERROR_SUCCESS when it opens
  std::string content;  // what the opened file holds
};

class OpenNames : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& b = machine_.Builder();
    b.File("C:\\WINDOWS\\SYSTEM\\EXACT.DRV", "exact");
    b.File("C:\\WINDOWS\\Mixed\\Inner.txt", "inner");
    b.File("C:\\WINDOWS\\SYSTEM\\ADIR\\X.TXT", "x");
    b.Directory("C:\\LINKS");
    const fs::path links = b.HostPath("C:\\LINKS");
    const fs::path exact = b.HostPath("C:\\WINDOWS\\SYSTEM\\EXACT.DRV");
    fs::create_directory_symlink("../WINDOWS/SYSTEM", links / "INDIR");
    fs::create_symlink("../WINDOWS/SYSTEM/EXACT.DRV", links / "INFILE.DRV");
    fs::create_symlink(exact, links / "ABSIN.DRV");
    // Out of the root and back into it.
    fs::create_symlink("../../" + machine_.Root().filename().string() + "/WINDOWS/SYSTEM/EXACT.DRV",
                       links / "ROUNDTRIP.DRV");
    outside_ = machine_.Root().parent_path() / ("outside-" + std::to_string(getpid()));
    fs::create_directories(outside_);
    std::ofstream(outside_ / "secret.txt") << "secret";
    fs::create_symlink(outside_ / "secret.txt", links / "OUT.TXT");
    fs::create_symlink("../../" + outside_.filename().string() + "/secret.txt", links / "RELOUT.TXT");
    fs::create_directory_symlink(outside_, links / "OUTDIR");
    fs::create_symlink("MISSING.TXT", links / "DANGLING.TXT");
    fs::create_directory_symlink(".", links / "SELF");
    fs::create_symlink("ADIR", b.HostPath("C:\\WINDOWS\\SYSTEM") / "DIRLINK");
    EXPECT_EQ(mkfifo((b.HostPath("C:\\WINDOWS\\SYSTEM") / "PIPE").c_str(), 0644), 0);
    chinese_ = *Utf8ToCp936("中文");
    b.File("C:\\WINDOWS\\" + chinese_ + "\\" + chinese_ + ".TXT", "chinese");
    machine_.Activate();
  }
  void TearDown() override { fs::remove_all(outside_); }

  TempMachine machine_;
  fs::path outside_;
  std::string chinese_;
};

TEST_F(OpenNames, GivesTheFileTheWalkFindsOrItsError) {
  const std::string zh = chinese_;
  const Case cases[] = {
      {"C:\\WINDOWS\\SYSTEM\\EXACT.DRV", ERROR_SUCCESS, "exact"},
      {"\\WINDOWS/SYSTEM//.\\EXACT.DRV. ", ERROR_SUCCESS, "exact"},
      {"C:\\WINDOWS\\Mixed\\Inner.txt", ERROR_SUCCESS, "inner"},
      {"C:\\WINDOWS\\" + zh + "\\" + zh + ".TXT", ERROR_SUCCESS, "chinese"},
      {"C:\\LINKS\\INDIR\\EXACT.DRV", ERROR_SUCCESS, "exact"},
      {"C:\\LINKS\\INFILE.DRV", ERROR_SUCCESS, "exact"},
      {"C:\\LINKS\\SELF\\INFILE.DRV", ERROR_SUCCESS, "exact"},
      // Another case anywhere: the walk finds the entry.
      {"c:\\windows\\system\\exact.drv", ERROR_SUCCESS, "exact"},
      {"C:\\WINDOWS\\MIXED\\Inner.txt", ERROR_SUCCESS, "inner"},
      {"C:\\WINDOWS\\Mixed\\INNER.TXT", ERROR_SUCCESS, "inner"},
      {"C:\\links\\indir\\Exact.Drv", ERROR_SUCCESS, "exact"},
      // Links that stay inside the root, absolute or through its parent.
      {"C:\\LINKS\\ABSIN.DRV", ERROR_SUCCESS, "exact"},
      {"C:\\LINKS\\ROUNDTRIP.DRV", ERROR_SUCCESS, "exact"},
      // Ways out of the root, missing and odd entries: the walk's errors.
      {"C:\\LINKS\\OUT.TXT", ERROR_ACCESS_DENIED, ""},
      {"C:\\LINKS\\RELOUT.TXT", ERROR_ACCESS_DENIED, ""},
      {"C:\\LINKS\\OUTDIR\\secret.txt", ERROR_ACCESS_DENIED, ""},
      {"C:\\LINKS\\DANGLING.TXT", ERROR_ACCESS_DENIED, ""},
      {"C:\\WINDOWS\\SYSTEM\\ADIR", ERROR_ACCESS_DENIED, ""},
      {"C:\\WINDOWS\\SYSTEM\\DIRLINK", ERROR_ACCESS_DENIED, ""},
      {"C:\\LINKS", ERROR_ACCESS_DENIED, ""},
      {"C:\\WINDOWS\\SYSTEM\\PIPE", ERROR_ACCESS_DENIED, ""},
      {"C:\\WINDOWS\\SYSTEM\\MISSING.DRV", ERROR_FILE_NOT_FOUND, ""},
      {"C:\\WINDOWS\\NODIR\\EXACT.DRV", ERROR_PATH_NOT_FOUND, ""},
      {"C:\\WINDOWS\\SYSTEM\\EXACT.DRV\\X", ERROR_PATH_NOT_FOUND, ""},
      {"C:\\WINDOWS\\SYSTEM\\EXACT.DR?", ERROR_INVALID_NAME, ""},
      {"C:\\", ERROR_ACCESS_DENIED, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    SetLastError(12345);
    FileHandle file = CreateFileA(c.path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(file.Valid(), c.error == ERROR_SUCCESS);
    if (!file) continue;
    std::string bytes(64, '\0');
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, bytes, read));
    EXPECT_EQ(bytes.substr(0, read), c.content);
    EXPECT_EQ(GetFileSize(file), c.content.size());
  }
}

// A handle open for reading answers its size and time from the open's stat,
// and still sees every change this process makes to the file.
TEST_F(OpenNames, AReadingHandleSeesWritesOfOtherHandles) {
  const char* name = "C:\\WINDOWS\\SYSTEM\\EXACT.DRV";
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, machine_.Builder().HostPath(name).c_str(), old, 0), 0);
  FileHandle reader = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
  ASSERT_TRUE(reader);
  EXPECT_EQ(GetFileSize(reader), 5u);
  std::int64_t before = 0, after = 0;
  ASSERT_TRUE(GetFileTime(reader, before));
  EXPECT_EQ(before, FileTimeFromUnix(1000000000, 0));
  {
    FileHandle writer =
        CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    ASSERT_TRUE(writer);
    ASSERT_EQ(SetFilePointer(writer, 0, FILE_END), 5u);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer, "-longer", written));
  }
  EXPECT_EQ(GetFileSize(reader), 12u);
  ASSERT_TRUE(GetFileTime(reader, after));
  struct stat st;
  ASSERT_EQ(stat(machine_.Builder().HostPath(name).c_str(), &st), 0);
  EXPECT_EQ(after, FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec));
  EXPECT_NE(after, before);

  // Truncated by an open that asked for reading only.
  FileHandle truncating = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, TRUNCATE_EXISTING, 0);
  ASSERT_TRUE(truncating);
  EXPECT_EQ(GetFileSize(reader), 0u);
  EXPECT_EQ(GetFileSize(truncating), 0u);
}

// The share modes hold whatever the spelling of the name.
TEST_F(OpenNames, ShareModesBindWhateverTheSpelling) {
  FileHandle writer = CreateFileA("c:\\windows\\system\\exact.drv", GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  ASSERT_TRUE(writer);
  for (const char* name :
       {"C:\\WINDOWS\\SYSTEM\\EXACT.DRV", "C:\\LINKS\\INFILE.DRV", "C:\\Windows\\System\\Exact.drv"}) {
    SetLastError(0);
    EXPECT_FALSE(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0)) << name;
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION) << name;
  }
}

}  // namespace
}  // namespace w95
