// The parsed files the profile calls and MACHINE.INI keep: a kept file is used
// only while its identity, size, modification and change times hold, so a
// change by another program is seen by the next call.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/base/cp936.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/profile/profile.h"
#include "support/file_changes.h"
#include "support/temp_machine.h"

namespace {

using namespace w95;
using dxl::testing::TempMachine;

constexpr const char* kIni = "TEST.INI";
constexpr const char* kIniPath = "C:\\WINDOWS\\TEST.INI";
constexpr time_t kAnHourAgo = 3600;

class ProfileCacheTest : public ::testing::Test {
 public:  // the table of changes below works through the fixture
  std::filesystem::path Host() { return machine.Builder().HostPath(kIniPath); }
  std::string Get(std::string_view key, std::string_view section = "s") {
    std::string out;
    GetPrivateProfileStringA(section, key, "none", out, 256, kIni);
    return out;
  }
  static void Overwrite(const std::filesystem::path& path, std::string_view bytes, timespec modified) {
    ASSERT_TRUE(dxl::testing::Overwrite(path, bytes, modified));
  }
  static void SetModified(const std::filesystem::path& path, timespec modified) {
    ASSERT_TRUE(dxl::testing::SetModified(path, modified));
  }
  static timespec Ago(time_t seconds, long nanoseconds = 0) { return {std::time(nullptr) - seconds, nanoseconds}; }
  TempMachine machine;
};

// Each change is made after a first read of "[s] k=1" an hour old; `expected`
// is what the next read must give.
struct Change {
  const char* name;
  std::function<void(ProfileCacheTest&, const std::filesystem::path&, timespec)> apply;
  const char* expected;
};

TEST_F(ProfileCacheTest, KeptFileHoldsOnlyWhileIdentitySizeAndTimeHold) {
  const Change changes[] = {
      {"same size and time, same inode: its change time moves",
       [](auto& t, auto& p, timespec old) { t.Overwrite(p, "[s]\nk=2\n", old); }, "2"},
      {"another time, one nanosecond later",
       [](auto& t, auto& p, timespec old) {
         t.Overwrite(p, "[s]\nk=2\n", {old.tv_sec, old.tv_nsec + 1});
       },
       "2"},
      {"another size", [](auto& t, auto& p, timespec old) { t.Overwrite(p, "[s]\nk=22\n", old); }, "22"},
      {"a new file renamed over it, same size and time",
       [](auto&, auto& p, timespec old) {
         auto other = p.parent_path() / "OTHER.INI";
         std::ofstream(other, std::ios::binary) << "[s]\nk=2\n";
         SetModified(other, old);
         std::filesystem::rename(other, p);
       },
       "2"},
      {"changed just now twice, same size and time",
       [](auto& t, auto& p, timespec) {
         const timespec fresh = Ago(0, 5);
         t.Overwrite(p, "[s]\nk=3\n", fresh);
         ASSERT_EQ(t.Get("k"), "3");  // read while fresh: not kept
         t.Overwrite(p, "[s]\nk=2\n", fresh);
       },
       "2"},
      {"the flush call",
       [](auto& t, auto& p, timespec old) {
         t.Overwrite(p, "[s]\nk=2\n", old);
         EXPECT_FALSE(WritePrivateProfileStringA(std::nullopt, std::nullopt, std::nullopt, kIni));
       },
       "2"},
  };
  time_t age = kAnHourAgo;
  for (const auto& change : changes) {
    SCOPED_TRACE(change.name);
    machine.Builder().File(kIniPath, "[s]\nk=1\n");
    const timespec old = Ago(++age, 123456789);  // never the time of the case before
    SetModified(Host(), old);
    dxl::testing::WaitPastChangeTime(Host());
    ASSERT_EQ(Get("k"), "1");  // kept from here on
    change.apply(*this, Host(), old);
    EXPECT_EQ(Get("k"), change.expected);
  }
}

TEST_F(ProfileCacheTest, OwnWriteIsSeenAtOnceAndKeepsTheOtherKeys) {
  machine.Builder().File(kIniPath, "[s]\nk=1\nj=x\n");
  SetModified(Host(), Ago(kAnHourAgo));
  ASSERT_EQ(Get("k"), "1");
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "2", kIni));
  EXPECT_EQ(Get("k"), "2");
  EXPECT_EQ(Get("j"), "x");
  SetModified(Host(), Ago(kAnHourAgo));
  ASSERT_TRUE(WritePrivateProfileStringA("s", "j", std::nullopt, kIni));
  EXPECT_EQ(Get("j"), "none");
  EXPECT_EQ(Get("k"), "2");
}

TEST_F(ProfileCacheTest, AFileThatGoesAwayIsNoLongerRead) {
  machine.Builder().File(kIniPath, "[s]\nk=1\n");
  SetModified(Host(), Ago(kAnHourAgo));
  ASSERT_EQ(Get("k"), "1");
  std::filesystem::remove(Host());
  EXPECT_EQ(Get("k"), "none");
}

TEST_F(ProfileCacheTest, MachineIniFollowsTheSameRule) {
  auto path = machine.Root() / "MACHINE.INI";
  std::ofstream(path, std::ios::binary) << "[Clock]\nBias=1\n";
  SetModified(path, Ago(kAnHourAgo));
  const Machine& current = Machine::Current();
  ASSERT_EQ(MachineSetting(current, "Clock", "Bias"), "1");
  Overwrite(path, "[Clock]\nBias=22\n", Ago(kAnHourAgo));
  EXPECT_EQ(MachineSetting(current, "clock", "BIAS"), "22");
  IniText changed = *MachineIni(current);
  changed.SetValue("Clock", "Bias", "3");
  ASSERT_TRUE(ReplaceMachineIni(current, changed));
  EXPECT_EQ(MachineSetting(current, "Clock", "Bias"), "3");
}

// A kept file is checked by one stat of the file its name resolved to; each
// change below moves or links that file, which changes its change time, so
// the name is resolved again and finds something else (or nothing).
TEST_F(ProfileCacheTest, AKeptFileMovedOrLinkedIsFoundAgainAsTheWalkFindsIt) {
  namespace fs = std::filesystem;
  const fs::path outside = machine.Root().parent_path() / (machine.Root().filename().string() + "-outside");
  struct Case {
    const char* name;
    std::function<void(ProfileCacheTest&, const fs::path& windows)> apply;
    const char* expected;
  } cases[] = {
      {"moved out of the machine and linked back: refused",
       [&](auto&, const fs::path& windows) {
         fs::create_directories(outside);
         fs::rename(windows / kIni, outside / kIni);
         fs::create_symlink(outside / kIni, windows / kIni);
       },
       "none"},
      {"linked to another name inside the machine: that file",
       [](auto&, const fs::path& windows) {
         fs::rename(windows / kIni, windows / "MOVED.INI");
         fs::create_symlink(windows / "MOVED.INI", windows / kIni);
       },
       "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(outside);
    machine.Builder().File(kIniPath, "[s]\nk=1\n");
    const fs::path windows = Host().parent_path();
    SetModified(Host(), Ago(kAnHourAgo));
    dxl::testing::WaitPastChangeTime(Host());
    ASSERT_EQ(Get("k"), "1");  // kept from here on
    c.apply(*this, windows);
    EXPECT_EQ(Get("k"), c.expected);
    fs::remove(windows / "MOVED.INI");
    if (fs::is_symlink(windows / kIni)) fs::remove(windows / kIni);
  }
  fs::remove_all(outside);
}

// The lookup index folds ASCII letters only: a double-byte character's trail
// byte keeps its case, and only the first section of a name holds keys.
TEST_F(ProfileCacheTest, LookupsCompareAsWindowsDoesOnLargeSections) {
  std::string text = "[Devices]\n";
  for (int i = 0; i < 3000; ++i) text += "Printer " + std::to_string(i) + "=DRV,LPT1:\n";
  text +=
      "\x81"
      "a=trail lower\n[DEVICES]\nlater=no\n";
  machine.Builder().File(kIniPath, text);
  auto get = [&](std::string_view key) { return Get(key, "devices"); };
  EXPECT_EQ(get("PRINTER 2999"), "DRV,LPT1:");
  EXPECT_EQ(get("printer 0"), "DRV,LPT1:");
  EXPECT_EQ(get("\x81"
                "a"),
            "trail lower");
  EXPECT_EQ(get("\x81"
                "A"),
            "none");
  EXPECT_EQ(get("later"), "none");
}

// Whatever order keys are asked for in, each answer is the index's: the first
// key of a name in the first section of a name, across comments, blank lines,
// lines without '=' and another section.
TEST_F(ProfileCacheTest, KeysAskedForInAnyOrderAnswerAsTheIndexDoes) {
  machine.Builder().File(kIniPath,
                         "[Devices]\nA=1\n;c\nB=2\nA=3\n\n\n\n\n\nC=4\nText line\nD=5\n[Other]\nE=6\n"
                         "[devices]\nF=7\nA=8\n");
  auto get = [&](std::string_view section, std::string_view key) { return Get(key, section); };
  const std::pair<const char*, const char*> asked[] = {
      {"A", "1"},
      {"B", "2"},
      {"A", "1"},
      {"C", "4"},
      {"D", "5"},
      {"E", "none"},
      {"F", "none"},
      {"A", "1"},
      {"d", "5"},
      {"c", "4"},
      {"Text line", "none"},
      {"B", "2"},
  };
  for (const auto& [key, value] : asked) EXPECT_EQ(get("Devices", key), value) << key;
  EXPECT_EQ(get("Other", "E"), "6");
  EXPECT_EQ(get("DEVICES", "D"), "5");
  ASSERT_TRUE(WritePrivateProfileStringA("Devices", "B", "9", kIni));
  EXPECT_EQ(get("Devices", "A"), "1");
  EXPECT_EQ(get("Devices", "B"), "9");
  EXPECT_EQ(get("Devices", "A"), "1");
}

// Every name length up to 24 and every line end, with a double-byte
// character last: found as Windows finds it.
TEST_F(ProfileCacheTest, EveryNameLengthAndLineEndPlaceIsFoundAsWindowsFindsIt) {
  const char* ends[] = {"\r\n", "\n", "\r"};
  std::string text = "[Keys]\r\n";
  auto keyOf = [](size_t length, bool upper) {
    std::string key;
    for (size_t i = 0; i < length; ++i) key.push_back(static_cast<char>((i % 2 == upper ? 'a' : 'A') + i % 26));
    return key;
  };
  for (size_t length = 1; length <= 24; ++length) {
    text += keyOf(length, false) + "=" + std::to_string(length) + ends[length % 3];
    // A double-byte character last: its trail byte keeps its case.
    text += std::string(length, 'q') + "\x81" + "b=trail " + std::to_string(length) + ends[(length + 1) % 3];
  }
  text += std::string("nul\0inside=n", 12) + "\r\n";
  machine.Builder().File(kIniPath, text);
  auto get = [&](std::string_view key) { return Get(key, "KEYS"); };
  for (size_t length = 1; length <= 24; ++length) {
    SCOPED_TRACE(length);
    std::string other = keyOf(length, true);
    EXPECT_EQ(get(other), std::to_string(length));
    for (size_t at : {size_t{0}, length / 2, length - 1}) {
      std::string changed = other;
      changed[at] = '9';
      EXPECT_EQ(get(changed), "none");
    }
    const std::string trail = std::string(length, 'Q') + "\x81";
    EXPECT_EQ(get(trail + "b"), "trail " + std::to_string(length));
    EXPECT_EQ(get(trail + "B"), "none");
  }
  EXPECT_EQ(get(std::string_view("NUL\0INSIDE", 10)), "n");
  EXPECT_EQ(get("nul"), "none");
}

}  // namespace
