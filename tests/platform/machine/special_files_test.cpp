// Anything but a regular file at a file's name (a FIFO, a device node) is no
// file: every way the platform opens or reads a host file refuses it at once,
// without blocking and without reading on for ever. A hang shows as the test
// program's timeout.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/machine/paths.h"
#include "platform/machine/replace_leftovers.h"
#include "platform/profile/profile.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

namespace fs = std::filesystem;
using dxl::testing::TempMachine;

enum class Node { Fifo, ZeroDevice };

// Puts a FIFO or a character device reading zeros at `path`. A device node that
// cannot be made (no privilege) is a link to /dev/zero instead, which host
// paths outside the machine's lookup would follow.
void PlaceNode(const fs::path& path, Node node) {
  fs::remove(path);
  if (node == Node::Fifo) {
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    return;
  }
  if (mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 5)) != 0) fs::create_symlink("/dev/zero", path);
}

class SpecialFiles : public ::testing::TestWithParam<Node> {
 protected:
  void SetUp() override { machine_.Activate(); }
  fs::path Host(std::string_view windowsPath) { return machine_.Builder().HostPath(windowsPath); }
  TempMachine machine_;
};

TEST_P(SpecialFiles, WholeFileReadsRefuseThem) {
  for (const char* name : {"MSDOS.SYS", "MACHINE.INI"}) {
    PlaceNode(machine_.Root() / name, GetParam());
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(ReadHostFile(machine_.Root() / name)) << name;
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << name;
  }
  // The machine still comes up with its defaults.
  Machine::Use(machine_.Root());
  EXPECT_EQ(Machine::Current().WindowsDirectory(), "C:\\WINDOWS");
  EXPECT_FALSE(MachineSetting(Machine::Current(), "Clock", "Now"));
}

TEST_P(SpecialFiles, CreateFileRefusesThemForEveryDisposition) {
  const std::string name = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
  machine_.Builder().File(name, "");
  PlaceNode(Host(name), GetParam());
  for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    for (DWORD access : {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE}) {
      FileHandle file = CreateFileA(name, access, FILE_SHARE_READ, disposition, FILE_ATTRIBUTE_NORMAL);
      EXPECT_FALSE(file) << disposition << " " << access;
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << disposition << " " << access;
    }
  }
  EXPECT_FALSE(ReadWholeFile(name));
}

TEST_P(SpecialFiles, ProfilesAtSuchANameAreEmpty) {
  PlaceNode(Host("C:\\WINDOWS\\WIN.INI"), GetParam());
  std::string value;
  GetProfileStringA("windows", "load", "none", value, 64);
  EXPECT_EQ(value, "none");
}

INSTANTIATE_TEST_SUITE_P(Nodes, SpecialFiles, ::testing::Values(Node::Fifo, Node::ZeroDevice),
                         [](const auto& node) { return node.param == Node::Fifo ? "Fifo" : "ZeroDevice"; });

TEST(ReplaceLeftovers, OnlyTheReplaceSchemeIsALeftover) {
  struct Case {
    const char* entry;
    bool leftover;
  } cases[] = {
      {".SYSTEM.INI.aB3xYz", true},   {".SYSTEM.INI.XXXXXX", true},  {".SYSTEM.INI.bak", false},
      {".SYSTEM.INI.aB3xYz7", false}, {".SYSTEM.INI.aB3-Yz", false}, {"SYSTEM.INI.aB3xYz", false},
      {".SYSTEM.INIaaB3xYz", false},  {".WIN.INI.aB3xYz", false},    {".SYSTEM.INI.", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsReplaceLeftover("SYSTEM.INI", c.entry), c.leftover) << c.entry;
}

TEST(ReplaceLeftovers, TheNextReplaceRemovesThemAndLeavesLookAlikes) {
  TempMachine machine;
  machine.Activate();
  fs::path windows = machine.Builder().HostPath("C:\\WINDOWS");
  fs::path target = windows / "SYSTEM.INI";
  for (const char* name : {".SYSTEM.INI.k7Qm2P", ".SYSTEM.INI.000000"})
    machine.Builder().File("C:\\WINDOWS\\" + std::string(name), "cut");
  const std::set<std::string> kept = {".SYSTEM.INI.bak", ".SYSTEM.INI.k7Qm2P1", ".WIN.INI.k7Qm2P"};
  for (const auto& name : kept) machine.Builder().File("C:\\WINDOWS\\" + name, "mine");
  fs::create_directory(windows / ".SYSTEM.INI.ABCDEF");

  ASSERT_TRUE(ReplaceFileAtomically("C:\\WINDOWS\\SYSTEM.INI", "[boot]\r\n"));
  std::set<std::string> hidden;
  for (const auto& entry : fs::directory_iterator(windows))
    if (entry.path().filename().string().starts_with(".")) hidden.insert(entry.path().filename());
  std::set<std::string> expected = kept;
  expected.insert(".SYSTEM.INI.ABCDEF");  // a directory is not a leftover
  EXPECT_EQ(hidden, expected);
  for (const auto& name : kept) EXPECT_EQ(machine.Read("C:\\WINDOWS\\" + name), "mine");
}

// In a child whose files may not grow beyond a few bytes, with SIGXFSZ at its
// default: the replace fails with ERROR_DISK_FULL, the process lives on.
TEST(FileSizeLimit, AReplaceBeyondItFailsAndLeavesTheOldFile) {
  TempMachine machine;
  machine.Activate();
  machine.Builder().File("C:\\WINDOWS\\SYSTEM.INI", "old");
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_DFL);
    IgnoreFileSizeSignal();
    rlimit limit{16, 16};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    bool replaced = ReplaceFileAtomically("C:\\WINDOWS\\SYSTEM.INI", std::string(64, 'x'));
    _exit(!replaced && GetLastError() == ERROR_DISK_FULL ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(machine.Read("C:\\WINDOWS\\SYSTEM.INI"), "old");
  for (const auto& entry : fs::directory_iterator(machine.Builder().HostPath("C:\\WINDOWS")))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".SYSTEM.INI.")) << entry.path();
}

}  // namespace
}  // namespace w95
