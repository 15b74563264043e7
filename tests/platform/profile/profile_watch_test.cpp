// Kept files watched by inotify: a file no event touched is used without a
// stat however fresh it is, so every way another writer can change what a
// name stands for must make an event the next call sees; where no watch can
// be had, the stamp rule holds as before.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/io_uring.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/machine/file_watch.h"
#include "platform/machine/ini_cache.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/profile/profile.h"
#include "support/file_changes.h"
#include "support/temp_machine.h"

namespace {

namespace fs = std::filesystem;
using namespace w95;
using dxl::testing::InotifyAvailable;
using dxl::testing::TempMachine;

constexpr const char* kIni = "C:\\WINDOWS\\SUB\\TEST.INI";  // three directories to watch
constexpr const char* kIniPath = kIni;

void Write(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

void Overwrite(const fs::path& path, std::string_view bytes, timespec modified) {
  ASSERT_TRUE(dxl::testing::Overwrite(path, bytes, modified));
}

timespec Modified(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_mtim;
}

// The inotify descriptors this process holds, and whether each is closed on exec.
std::vector<bool> InotifyDescriptors() {
  std::vector<bool> closeOnExec;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (fs::read_symlink(entry.path(), ec).string() != "anon_inode:inotify") continue;
    std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
    std::string field;
    unsigned long flags = 0;
    while (info >> field)
      if (field == "flags:") info >> std::oct >> flags;
    closeOnExec.push_back((flags & O_CLOEXEC) != 0);
  }
  return closeOnExec;
}

// The descriptors of one kind (the link /proc shows, "anon_inode:inotify")
// this process holds.
size_t Descriptors(std::string_view kind) {
  size_t count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    count += fs::read_symlink(entry.path(), ec).string() == kind;
  }
  return count;
}

bool RingAvailable() {
  io_uring_params params{};
  const long ring = syscall(__NR_io_uring_setup, 2, &params);
  if (ring < 0) return false;
  close(static_cast<int>(ring));
  return true;
}

// Each test runs with the events' queue polled through an io_uring (where
// one can be had) and read at every call, as where none can.
class ProfileWatchTest : public ::testing::TestWithParam<bool> {
 public:
  void SetUp() override {
    if (!InotifyAvailable()) GTEST_SKIP() << "no inotify descriptor to be had here";
    Activate();
  }
  bool ReadEachTime() const { return GetParam(); }
  // A fresh machine (nothing kept), its watcher in this test's way.
  void Activate() {
    machine.Activate();
    if (ReadEachTime()) Machine::Current().Watcher().ReadEachTime();
  }
  fs::path Host() { return machine.Builder().HostPath(kIniPath); }
  std::string Get() {
    std::string out;
    GetPrivateProfileStringA("s", "k", "none", out, 256, kIni);
    return out;
  }
  TempMachine machine;
};

// Each case starts from a fresh "[s] k=1" read twice (kept by its watch,
// never by the stamp rule, which reads a file this fresh on every call), then
// changes it without changing the stamp where it can; the next call must see
// `expected`. `undo` puts the machine's directories back.
TEST_P(ProfileWatchTest, AChangeByAnotherWriterIsSeenByTheNextCallHoweverFresh) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& file, timespec stamp)> apply;
    const char* expected;
    std::function<void(const fs::path& file)> undo = nullptr;
  } cases[] = {
      {"rewritten in place, same size, same time to the nanosecond",
       [](const fs::path& file, timespec stamp) { Overwrite(file, "[s]\nk=2\n", stamp); }, "2"},
      {"a new file renamed over it, same size and time",
       [](const fs::path& file, timespec stamp) {
         const fs::path other = file.parent_path() / "NEW.INI";
         Write(other, "[s]\nk=2\n");
         Overwrite(other, "[s]\nk=2\n", stamp);
         fs::rename(other, file);
       },
       "2"},
      {"changed through a hard link",
       [](const fs::path& file, timespec stamp) {
         const fs::path link = file.parent_path().parent_path() / "LINKED.INI";
         fs::create_hard_link(file, link);
         Overwrite(link, "[s]\nk=2\n", stamp);
       },
       "2", [](const fs::path& file) { fs::remove(file.parent_path().parent_path() / "LINKED.INI"); }},
      {"its directory renamed away, another in its place",
       [](const fs::path& file, timespec stamp) {
         const fs::path sub = file.parent_path();
         fs::rename(sub, sub.parent_path() / "SUB.OLD");
         fs::create_directory(sub);
         Write(file, "[s]\nk=2\n");
         Overwrite(file, "[s]\nk=2\n", stamp);
       },
       "2", [](const fs::path& file) { fs::remove_all(file.parent_path().parent_path() / "SUB.OLD"); }},
      {"the Windows directory renamed away, another in its place",
       [](const fs::path& file, timespec stamp) {
         const fs::path windows = file.parent_path().parent_path();
         fs::rename(windows, windows.parent_path() / "WINDOWS.OLD");
         fs::create_directories(file.parent_path());
         Write(file, "[s]\nk=2\n");
         Overwrite(file, "[s]\nk=2\n", stamp);
       },
       "2",
       [](const fs::path& file) {
         const fs::path windows = file.parent_path().parent_path();
         fs::remove_all(windows);
         fs::rename(windows.parent_path() / "WINDOWS.OLD", windows);
       }},
      {"replaced by a link to another file of the machine",
       [](const fs::path& file, timespec) {
         const fs::path other = file.parent_path() / "OTHER.INI";
         Write(other, "[s]\nk=3\n");
         fs::remove(file);
         fs::create_symlink(other, file);
       },
       "3"},
      {"deleted", [](const fs::path& file, timespec) { fs::remove(file); }, "none"},
      {"rewritten by another process",
       [](const fs::path& file, timespec stamp) {
         const pid_t child = fork();
         if (child == 0) _exit(dxl::testing::Overwrite(file, "[s]\nk=4\n", stamp) ? 0 : 1);
         int status = 0;
         ASSERT_EQ(waitpid(child, &status, 0), child);
         ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
       },
       "4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Activate();  // nothing kept from the case before
    machine.Builder().File(kIniPath, "[s]\nk=1\n");
    for (const char* name : {"OTHER.INI", "NEW.INI"}) fs::remove(Host().parent_path() / name);
    const timespec stamp = Modified(Host());
    ASSERT_EQ(Get(), "1");
    ASSERT_EQ(Get(), "1");
    c.apply(Host(), stamp);
    EXPECT_EQ(Get(), c.expected);
    if (c.undo) c.undo(Host());
    if (fs::is_symlink(Host())) fs::remove(Host());
  }
}

// One file asked for by two names (bare, and with its whole path): each name
// is served by the same watch, so a change is seen under both.
TEST_P(ProfileWatchTest, TwoNamesOfOneFileSeeItsChange) {
  machine.Builder().File("C:\\WINDOWS\\TWO.INI", "[s]\nk=1\n");
  const fs::path host = machine.Builder().HostPath("C:\\WINDOWS\\TWO.INI");
  const timespec stamp = Modified(host);
  auto get = [](const char* name) {
    std::string out;
    GetPrivateProfileStringA("s", "k", "none", out, 256, name);
    return out;
  };
  for (int round = 0; round < 2; ++round)
    for (const char* name : {"TWO.INI", "C:\\WINDOWS\\TWO.INI"}) ASSERT_EQ(get(name), "1") << name;
  Overwrite(host, "[s]\nk=2\n", stamp);
  for (const char* name : {"C:\\WINDOWS\\TWO.INI", "TWO.INI"}) EXPECT_EQ(get(name), "2") << name;
}

// The cache itself, on a fresh file and on one an hour old: how often the
// file is read in three calls, watched, with no watch to be had at all, and
// with the watches failing part of the way (the root and the Windows
// directory watched, the file not).
TEST_P(ProfileWatchTest, AFileIsKeptByItsWatchOrElseByTheStampRule) {
  const fs::path file = machine.Builder().HostPath("C:\\WINDOWS\\TEST.INI");
  const fs::path root = fs::canonical(machine.Root());
  const std::vector<fs::path> directories = {root, root / "WINDOWS"};
  struct Case {
    const char* name;
    std::optional<size_t> limit;  // of watches; none: as the kernel allows
    bool fresh;
    int reads;
  } cases[] = {
      {"watched, fresh", std::nullopt, true, 1},
      {"watched, old", std::nullopt, false, 1},
      {"no watch, fresh", 0, true, 3},
      {"no watch, old", 0, false, 1},
      {"watches fail part of the way, fresh", 2, true, 3},
      {"watches fail part of the way, old", 2, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Write(file, "[s]\nk=1\n");
    if (!c.fresh) {
      const timespec old{std::time(nullptr) - 3600, 0};
      const timespec times[2] = {old, old};
      ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }
    FileWatcher watcher;
    if (c.limit) watcher.LimitWatches(*c.limit);
    if (ReadEachTime()) watcher.ReadEachTime();
    IniCache cache(&watcher);
    int reads = 0;
    auto read = [&]() -> std::optional<std::string> {
      ++reads;
      std::ifstream in(file, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (int call = 0; call < 3; ++call) {
      auto text = cache.Get(file, read, &directories);
      ASSERT_TRUE(text);
      EXPECT_EQ(text->Value("s", "k"), "1");
    }
    EXPECT_EQ(reads, c.reads);
    EXPECT_EQ(cache.Unchanged(file.native()) != nullptr, !c.limit);
    EXPECT_EQ(cache.WatchOf(file.native()) != nullptr, !c.limit);
  }
}

// Past the kernel's queue, events are lost: the overflow itself must retire
// every watch, or a change whose event was dropped would never be seen.
TEST_P(ProfileWatchTest, AnOverflowOfTheEventQueueMakesEveryFileReadAnew) {
  long queued = 0;
  std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queued;
  if (queued <= 0 || queued > 200000) GTEST_SKIP() << "queue limit " << queued;
  machine.Builder().File(kIniPath, "[s]\nk=1\n");
  const timespec stamp = Modified(Host());
  ASSERT_EQ(Get(), "1");
  const fs::path sub = Host().parent_path();
  for (long i = 0; i <= queued / 2; ++i) {  // a creation and a deletion each
    const fs::path other = sub / ("F" + std::to_string(i));
    Write(other, "");
    fs::remove(other);
  }
  Overwrite(Host(), "[s]\nk=2\n", stamp);  // its event is past the queue's end
  EXPECT_EQ(Get(), "2");
  Overwrite(Host(), "[s]\nk=3\n", stamp);  // watched anew after the overflow
  EXPECT_EQ(Get(), "3");
}

TEST_P(ProfileWatchTest, MachineIniIsWatchedTooAndOurOwnWritesAreSeenAtOnce) {
  const fs::path path = machine.Root() / "MACHINE.INI";
  Write(path, "[Clock]\nBias=1\n");
  const timespec stamp = Modified(path);
  const Machine& current = Machine::Current();
  ASSERT_EQ(MachineSetting(current, "Clock", "Bias"), "1");
  Overwrite(path, "[Clock]\nBias=2\n", stamp);
  EXPECT_EQ(MachineSetting(current, "Clock", "Bias"), "2");
  IniText changed = *MachineIni(current);
  changed.SetValue("Clock", "Bias", "3");
  ASSERT_TRUE(ReplaceMachineIni(current, changed));
  EXPECT_EQ(MachineSetting(current, "Clock", "Bias"), "3");
  fs::remove(path);
  EXPECT_EQ(MachineSetting(current, "Clock", "Bias"), std::nullopt);
}

// One descriptor per machine, made at the first watch, not inherited by a
// program the run starts, and closed with the machine.
TEST_P(ProfileWatchTest, TheWatchesBelongToTheMachine) {
  const size_t before = InotifyDescriptors().size();
  const size_t ringsBefore = Descriptors("anon_inode:[io_uring]");
  machine.Builder().File(kIniPath, "[s]\nk=1\n");
  Activate();
  ASSERT_EQ(Get(), "1");
  ASSERT_EQ(MachineSetting(Machine::Current(), "Clock", "Bias"), std::nullopt);
  auto held = InotifyDescriptors();
  ASSERT_EQ(held.size(), before + 1);
  for (bool closeOnExec : held) EXPECT_TRUE(closeOnExec);
  // The ring, where one can be had (io_uring descriptors are always closed on exec).
  EXPECT_EQ(Descriptors("anon_inode:[io_uring]"), ringsBefore + (RingAvailable() && !ReadEachTime() ? 1 : 0));
  Activate();
  EXPECT_EQ(InotifyDescriptors().size(), before);
  EXPECT_EQ(Descriptors("anon_inode:[io_uring]"), ringsBefore);
}

INSTANTIATE_TEST_SUITE_P(Ways, ProfileWatchTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& way) {
                           return way.param ? "ReadEachTime" : "PolledRing";
                         });

}  // namespace
