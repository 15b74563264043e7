// A name spelt as the host holds it is opened in one system call below the
// machine's root; everything else takes the component walk. Whichever way a
// name goes, CreateFileA gives what the walk alone gives: the same file, or the
// same error. Pinned on real files, links, a directory and a FIFO, also in a
// process where the kernel refuses openat2.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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
  bool oneCall;         // opened by openat2 without the walk
  DWORD error;          // of CreateFileA for reading; ERROR_SUCCESS when it opens
  std::string content;  // what the opened file holds
};

class SpelledOpen : public ::testing::Test {
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
    // Out of the root and back into it: the walk follows, openat2 below the root does not.
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

  std::vector<Case> Cases() const {
    const std::string c = chinese_;
    return {
        {"C:\\WINDOWS\\SYSTEM\\EXACT.DRV", true, ERROR_SUCCESS, "exact"},
        {"\\WINDOWS/SYSTEM//.\\EXACT.DRV. ", true, ERROR_SUCCESS, "exact"},
        {"C:\\WINDOWS\\Mixed\\Inner.txt", true, ERROR_SUCCESS, "inner"},
        {"C:\\WINDOWS\\" + c + "\\" + c + ".TXT", true, ERROR_SUCCESS, "chinese"},
        {"C:\\LINKS\\INDIR\\EXACT.DRV", true, ERROR_SUCCESS, "exact"},
        {"C:\\LINKS\\INFILE.DRV", true, ERROR_SUCCESS, "exact"},
        {"C:\\LINKS\\SELF\\INFILE.DRV", true, ERROR_SUCCESS, "exact"},
        // Another case anywhere: the walk finds the entry.
        {"c:\\windows\\system\\exact.drv", false, ERROR_SUCCESS, "exact"},
        {"C:\\WINDOWS\\MIXED\\Inner.txt", false, ERROR_SUCCESS, "inner"},
        {"C:\\WINDOWS\\Mixed\\INNER.TXT", false, ERROR_SUCCESS, "inner"},
        {"C:\\links\\indir\\Exact.Drv", false, ERROR_SUCCESS, "exact"},
        // Links the walk follows and openat2 below the root refuses.
        {"C:\\LINKS\\ABSIN.DRV", false, ERROR_SUCCESS, "exact"},
        {"C:\\LINKS\\ROUNDTRIP.DRV", false, ERROR_SUCCESS, "exact"},
        // Ways out of the root, missing and odd entries: the walk's errors.
        {"C:\\LINKS\\OUT.TXT", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\LINKS\\RELOUT.TXT", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\LINKS\\OUTDIR\\secret.txt", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\LINKS\\DANGLING.TXT", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\WINDOWS\\SYSTEM\\ADIR", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\WINDOWS\\SYSTEM\\DIRLINK", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\LINKS", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\WINDOWS\\SYSTEM\\PIPE", false, ERROR_ACCESS_DENIED, ""},
        {"C:\\WINDOWS\\SYSTEM\\MISSING.DRV", false, ERROR_FILE_NOT_FOUND, ""},
        {"C:\\WINDOWS\\NODIR\\EXACT.DRV", false, ERROR_PATH_NOT_FOUND, ""},
        {"C:\\WINDOWS\\SYSTEM\\EXACT.DRV\\X", false, ERROR_PATH_NOT_FOUND, ""},
        {"C:\\WINDOWS\\SYSTEM\\EXACT.DR?", false, ERROR_INVALID_NAME, ""},
        {"C:\\", false, ERROR_ACCESS_DENIED, ""},
    };
  }

  TempMachine machine_;
  fs::path outside_;
  std::string chinese_;
};

// Every difference between what the cases expect and what the calls give, and
// between CreateFileA and the walk alone. With `openat2Works` false, openat2
// is refused here, so no case may open in one call.
std::string Mismatches(const std::vector<Case>& cases, bool openat2Works) {
  std::ostringstream out;
  for (const auto& c : cases) {
    auto parsed = ParseWindowsPath(c.path);
    struct stat fast {};
    const int fd = parsed ? OpenSpelledAsHeld(Machine::Current(), *parsed, O_RDONLY, fast) : -1;
    if (fd >= 0) close(fd);
    if ((fd >= 0) != (c.oneCall && openat2Works)) out << c.path << ": opened in one call " << (fd >= 0) << "\n";

    SetLastError(12345);
    FileHandle file = CreateFileA(c.path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    const DWORD error = GetLastError();
    if (error != c.error) out << c.path << ": error " << error << ", expected " << c.error << "\n";
    if (file.Valid() != (c.error == ERROR_SUCCESS)) out << c.path << ": handle " << file.Valid() << "\n";
    if (file) {
      std::string bytes(64, '\0');
      DWORD read = 0;
      if (!ReadFile(file, bytes, read) || bytes.substr(0, read) != c.content)
        out << c.path << ": read '" << bytes.substr(0, read) << "'\n";
      if (GetFileSize(file) != c.content.size()) out << c.path << ": size " << GetFileSize(file) << "\n";
    }
    // The walk alone names the same file.
    struct stat walked {};
    auto host = HostPath(Machine::Current(), c.path, Lookup::Existing, &walked);
    if (fd >= 0 && (!host || walked.st_ino != fast.st_ino || walked.st_dev != fast.st_dev))
      out << c.path << ": the walk finds another file\n";
  }
  return out.str();
}

TEST_F(SpelledOpen, GivesWhatTheWalkGivesForEveryName) { EXPECT_EQ(Mismatches(Cases(), true), ""); }

// In a child whose kernel answers openat2 with ENOSYS (as a sandbox may) or
// EPERM: every name takes the walk, with the same results.
TEST_F(SpelledOpen, AKernelWithoutOpenat2GivesTheSameResults) {
  for (int refusal : {ENOSYS, EPERM}) {
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
      sock_filter filter[] = {
          BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
          BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
          BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(refusal)),
          BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      };
      sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
      if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
        _exit(100);
      for (int round = 0; round < 2; ++round) {  // also once refusals are remembered
        std::string mismatches = Mismatches(Cases(), false);
        if (!mismatches.empty()) {
          std::fputs(mismatches.c_str(), stderr);
          _exit(1);
        }
      }
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "no seccomp filters here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "refusal " << refusal;
  }
}

// A handle open for reading answers its size and time from the open's stat,
// and still sees every change this process makes to the file.
TEST_F(SpelledOpen, AReadingHandleSeesWritesOfOtherHandles) {
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

// Gives the host directories the modification time of an hour ago, as on a
// machine in use: a directory changed within the last seconds is never kept.
void AgeDirectories(const std::vector<fs::path>& dirs) {
  const timespec old{std::time(nullptr) - 3600, 0};
  const timespec times[2] = {old, old};
  for (const auto& dir : dirs) ASSERT_EQ(utimensat(AT_FDCWD, dir.c_str(), times, 0), 0) << dir;
}

// Directories spelt in another case are kept once walked to, and only while
// the walk would find them again: each step opens a name and says whether it
// went in one call and what the file holds.
TEST_F(SpelledOpen, DirectoriesInAnotherCaseAreKeptWhileUnchanged) {
  auto& b = machine_.Builder();
  const fs::path windows = b.HostPath("C:\\WINDOWS");
  auto oneCall = [](const std::string& path) {
    struct stat st;
    const int fd = OpenSpelledAsHeld(Machine::Current(), *ParseWindowsPath(path), O_RDONLY, st);
    if (fd >= 0) close(fd);
    return fd >= 0;
  };
  auto content = [](const std::string& path) {
    FileHandle file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    if (!file) return "error " + std::to_string(GetLastError());
    std::string bytes(64, '\0');
    DWORD read = 0;
    ReadFile(file, bytes, read);
    return bytes.substr(0, read);
  };
  struct Step {
    std::function<void()> change;  // made before the step
    std::string path;
    bool oneCall;  // before CreateFileA opens it
    std::string content;
  };
  const std::string inner = "C:\\WINDOWS\\MIXED\\Inner.txt";
  const Step steps[] = {
      // Young directories are walked every time.
      {[&] { b.File("C:\\WINDOWS\\Young\\Y.TXT", "young"); }, "C:\\WINDOWS\\YOUNG\\Y.TXT", false, "young"},
      {[] {}, "C:\\WINDOWS\\YOUNG\\Y.TXT", false, "young"},
      {[&] {
         AgeDirectories({machine_.Root(), windows, windows / "Mixed"});
       },
       inner, false, "inner"},
      {[] {}, inner, true, "inner"},
      // The last component is the kernel's to find, in its spelling only.
      {[] {}, "C:\\WINDOWS\\MIXED\\INNER.TXT", false, "inner"},
      {[] {}, "C:\\WINDOWS\\MIXED\\Missing.txt", false, "error 2"},
      {[&] { b.File("C:\\WINDOWS\\Mixed\\New.txt", "new"); }, "C:\\WINDOWS\\MIXED\\New.txt", true, "new"},
      // A directory in the spelling given appears: the walk takes it first.
      {[&] {
         fs::create_directory(windows / "MIXED");
         std::ofstream(windows / "MIXED" / "Inner.txt") << "shadow";
       },
       inner, true, "shadow"},
      {[&] {
         fs::remove_all(windows / "MIXED");
         AgeDirectories({windows});
       },
       inner, false, "inner"},
      {[] {}, inner, true, "inner"},
      // A link on the way is not kept, even to a directory of the same name.
      {[&] { AgeDirectories({b.HostPath("C:\\LINKS")}); }, "C:\\links\\INDIR\\EXACT.DRV", false, "exact"},
      {[] {}, "C:\\links\\INDIR\\EXACT.DRV", false, "exact"},
      {[&] {
         fs::create_directories(windows / "Real");
         std::ofstream(windows / "Real" / "R.TXT") << "real";
         fs::create_directory_symlink("Real", windows / "linked");
         AgeDirectories({windows, windows / "Real"});
       },
       "C:\\WINDOWS\\LINKED\\R.TXT", false, "real"},
      {[] {}, "C:\\WINDOWS\\LINKED\\R.TXT", false, "real"},
      // The directory above is replaced.
      {[&] {
         fs::rename(windows, machine_.Root() / "WINDOWS.OLD");
         fs::create_directories(windows / "Mixed");
         std::ofstream(windows / "Mixed" / "Inner.txt") << "replaced";
         AgeDirectories({machine_.Root(), windows, windows / "Mixed"});
       },
       inner, false, "replaced"},
      {[] {}, inner, true, "replaced"},
  };
  int index = 0;
  for (const auto& step : steps) {
    step.change();
    EXPECT_EQ(oneCall(step.path), step.oneCall) << "step " << index << " " << step.path;
    EXPECT_EQ(content(step.path), step.content) << "step " << index << " " << step.path;
    ++index;
  }
}

// The share modes hold for a file opened in one call as for one walked to.
TEST_F(SpelledOpen, ShareModesBindEitherWay) {
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
