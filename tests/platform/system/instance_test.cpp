// The single-instance marker: the machine is its root directory whatever the
// path that names it, and the lock file is never reached through a link.
#include "platform/system/instance.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/base/last_error.h"
#include "platform/machine/machine.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

namespace fs = std::filesystem;
using dxl::testing::TempMachine;

// A runtime directory of the test's own, set as XDG_RUNTIME_DIR while it lives.
class RuntimeDirectory {
 public:
  explicit RuntimeDirectory(fs::perms perms = fs::perms::owner_all) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    if (old) old_ = old;
    path_ = fs::temp_directory_path() / ("dxl-runtime-" + std::to_string(getpid()));
    fs::create_directories(path_);
    fs::permissions(path_, perms);
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
  }
  ~RuntimeDirectory() {
    if (old_)
      setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
    else
      unsetenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& Path() const { return path_; }
  // The lock files in it.
  std::vector<fs::path> Locks() const {
    std::vector<fs::path> locks;
    for (const auto& entry : fs::directory_iterator(path_))
      if (entry.path().extension() == ".lock") locks.push_back(entry.path());
    return locks;
  }

 private:
  fs::path path_;
  std::optional<std::string> old_;
};

void ExpectHeldElsewhere() {
  InstanceMarker again = CreateInstanceMarker("dxlq7trs.exe");
  EXPECT_FALSE(again);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(InstanceMarker, AnotherPathToTheSameRootIsTheSameMachine) {
  RuntimeDirectory runtime;
  TempMachine machine;
  machine.Activate();
  InstanceMarker held = CreateInstanceMarker("dxlq7trs.exe");
  ASSERT_TRUE(held);

  fs::path link = machine.Root().string() + ".link";
  fs::create_directory_symlink(machine.Root(), link);
  Machine::Use(link);
  ExpectHeldElsewhere();
  Machine::Use(machine.Root() / "WINDOWS" / "..");
  ExpectHeldElsewhere();
  fs::remove(link);

  fs::path bound = machine.Root().string() + ".bound";
  fs::create_directory(bound);
  if (mount(machine.Root().c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) == 0) {
    Machine::Use(bound);
    ExpectHeldElsewhere();
    umount(bound.c_str());
  }
  fs::remove(bound);
  Machine::Use(machine.Root());
}

TEST(InstanceMarker, ALinkAtTheLockNameIsNotFollowed) {
  RuntimeDirectory runtime;
  TempMachine machine;
  machine.Activate();
  { ASSERT_TRUE(CreateInstanceMarker("dxlq7trs.exe")); }
  auto locks = runtime.Locks();
  ASSERT_EQ(locks.size(), 1u);

  fs::path target = runtime.Path() / "planted";
  fs::remove(locks[0]);
  fs::create_symlink(target, locks[0]);
  InstanceMarker marker = CreateInstanceMarker("dxlq7trs.exe");
  EXPECT_FALSE(marker);
  EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(fs::exists(fs::symlink_status(target))) << "the link was followed";
}

TEST(InstanceMarker, ARuntimeDirectoryOthersMayWriteIsNotUsed) {
  RuntimeDirectory runtime(fs::perms::all);
  TempMachine machine;
  machine.Activate();
  InstanceMarker marker = CreateInstanceMarker("dxlq7trs.exe");
  EXPECT_TRUE(marker);
  EXPECT_TRUE(runtime.Locks().empty());
  ExpectHeldElsewhere();
}

}  // namespace
}  // namespace w95
