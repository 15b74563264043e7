// The program on real FAT drives: a FAT32 image file made with mkfs.vfat and
// filled with mcopy (the demo machine with its binary hives; SYSTEM.DAT,
// USER.DAT and MSDOS.SYS read-only, hidden and system), named by TSHOOTER_ROOT
// itself, bare and behind an MBR partition table; and the same image mounted
// with fusefat. Every fix is accepted; the image is then read back with mtools
// and checked with fsck.fat. Skipped, saying why, where the tools (or
// /dev/fuse) are missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "platform/base/cp936.h"
#include "support/command_output.h"
#include "support/slurp.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;
using testing::CommandOutput;

constexpr const char* kAnswers = "y\\ny\\ny\\ny\\n\\nr\\n";  // the README's: every fix accepted
constexpr const char* kReadOnlyFiles[] = {"MSDOS.SYS", "WINDOWS/SYSTEM.DAT", "WINDOWS/USER.DAT"};

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

using testing::Slurp;

struct FileState {
  std::string bytes;
  fs::file_time_type modified;
  std::string attributes;  // of A, H, S, R as mattrib shows them
  bool operator==(const FileState&) const = default;
};
using Tree = std::map<std::string, FileState>;

// Every file of a directory tree, paths relative to it.
Tree ReadTree(const fs::path& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    tree[entry.path().lexically_relative(root).generic_string()] = {Slurp(entry.path()), entry.last_write_time(), ""};
  }
  return tree;
}

class FatDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    if (CommandOutput("command -v mkfs.vfat mcopy mattrib mtype mren sfdisk fsck.fat >/dev/null 2>&1").first != 0)
      GTEST_SKIP() << "mtools, dosfstools or sfdisk are not installed (scripts/install-deps installs them)";
    dir_ = fs::temp_directory_path() / ("dxl-fat-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "tmp");
    ASSERT_EQ(Sh(std::string(DXL_BUILD_DIR) + "/tools/dxlq7-mkmachine --demo --binary-registry machine"), 0);
    fs::remove_all(dir_ / "machine" / ".network");  // no FAT name; the demo's server is not part of the drive
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  int Sh(const std::string& command) {
    std::ofstream(dir_ / "command.sh") << "cd " << Quoted(dir_) << " || exit 99\n" << command << "\n";
    const auto [code, output] = CommandOutput("bash " + Quoted(dir_ / "command.sh") + " 2>&1");
    last_ = output;
    return code;
  }

  // A FAT32 drive holding the machine, at `offset` bytes of `image` (behind a
  // partition table from sector 2048 when the offset is not 0).
  void MakeImage(const std::string& image, std::uint64_t offset) {
    const std::string drive = image + "@@" + std::to_string(offset);
    if (offset == 0) {
      ASSERT_EQ(Sh("truncate -s 64M " + image + " && mkfs.vfat -F 32 " + image), 0) << last_;
    } else {
      ASSERT_EQ(Sh("truncate -s 80M " + image + " && printf 'start=" + std::to_string(offset / 512) +
                   ", type=c, bootable\\n' | sfdisk -q " + image + " && mkfs.vfat -F 32 --offset " +
                   std::to_string(offset / 512) + " " + image + " $((76*1024))"),
                0)
          << last_;
    }
    ASSERT_EQ(Sh("mcopy -s -m -i " + drive + " machine/* ::/"), 0) << last_;
    std::string attrib = "mattrib -i " + drive + " +r +h +s";
    for (const char* file : kReadOnlyFiles) attrib += std::string(" ::/") + file;
    ASSERT_EQ(Sh(attrib), 0) << last_;
  }

  // The drive's files, times and attributes, read with mtools.
  Tree ReadImage(const std::string& image, std::uint64_t offset) {
    const std::string drive = image + "@@" + std::to_string(offset);
    const fs::path out = dir_ / ("read-" + std::to_string(++reads_));
    fs::create_directories(out);
    EXPECT_EQ(Sh("mcopy -s -m -n -i " + drive + " '::*' " + Quoted(out) + "/"), 0) << last_;
    Tree tree = ReadTree(out);
    EXPECT_EQ(Sh("LC_ALL=C.UTF-8 mattrib -/ -i " + drive + " ::"), 0) << last_;
    std::istringstream lines(last_);
    for (std::string line; std::getline(lines, line);) {
      const auto name = line.find("::/");
      if (name == std::string::npos || !tree.contains(line.substr(name + 3))) continue;
      for (char c : line.substr(0, name))
        if (c != ' ') tree[line.substr(name + 3)].attributes += c;
    }
    return tree;
  }

  bool DriveIsClean(const std::string& image, std::uint64_t offset) {
    if (offset == 0) return Sh("fsck.fat -n " + image) == 0;
    return Sh("dd if=" + image + " of=part.img bs=512 skip=" + std::to_string(offset / 512) +
              " status=none && fsck.fat -n part.img") == 0;
  }

  int RunProgram(const std::string& root) {
    return Sh("printf '" + std::string(kAnswers) +
              "' | env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + Quoted(dir_ / "home") +
              " TMPDIR=" + Quoted(dir_ / "tmp") + " TSHOOTER_UI=console TSHOOTER_ROOT=" + root + " " + DXLQ7TRS_BINARY);
  }

  fs::path dir_;
  std::string last_;
  int reads_ = 0;
};

// The image run changes what the same run changes on a copy of the drive
// (whose read-only files are read-only as modes), and nothing else: every
// other file keeps its bytes, time and attributes; a changed file keeps its
// attributes with archive set. The log is on the drive.
void ExpectImageRunLikeCopyRun(const Tree& before, const Tree& after, const Tree& copyBefore, const Tree& copyAfter) {
  std::set<std::string> paths;
  for (const Tree* tree : {&before, &after, &copyBefore, &copyAfter})
    for (const auto& [path, state] : *tree) paths.insert(path);
  int logs = 0;
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const bool changedByRun = copyBefore.contains(path) != copyAfter.contains(path) ||
                              (copyAfter.contains(path) && copyAfter.at(path).bytes != copyBefore.at(path).bytes);
    ASSERT_EQ(after.contains(path), copyAfter.contains(path));
    if (!changedByRun) {
      ASSERT_TRUE(before.contains(path));
      EXPECT_EQ(after.at(path), before.at(path));
      continue;
    }
    if (!after.contains(path)) continue;
    const bool isLog = path.ends_with(".LOG");
    logs += isLog;
    if (!isLog && !path.ends_with(".JSN")) {  // logs and undo records carry the time of their run
      EXPECT_EQ(after.at(path).bytes, copyAfter.at(path).bytes);
    }
    std::string expected = before.contains(path) ? before.at(path).attributes : "";
    if (expected.find('A') == std::string::npos) expected = "A" + expected;
    EXPECT_EQ(after.at(path).attributes, expected);
  }
  EXPECT_EQ(logs, 1) << "the run's log";
}

class DiskImageFile : public FatDrive, public ::testing::WithParamInterface<std::uint64_t> {};

TEST_P(DiskImageFile, TakesTheRunsChangesAndNothingElse) {
  const std::uint64_t offset = GetParam();
  MakeImage("disk.img", offset);
  const Tree before = ReadImage("disk.img", offset);
  ASSERT_EQ(before.at("WINDOWS/SYSTEM.DAT").attributes, "ASHR");

  // The same drive as a directory, read-only files without write bits.
  ASSERT_EQ(Sh("mkdir copy && mcopy -s -m -n -i disk.img@@" + std::to_string(offset) +
               " '::*' copy/ && chmod a-w copy/MSDOS.SYS copy/WINDOWS/SYSTEM.DAT copy/WINDOWS/USER.DAT"),
            0)
      << last_;
  const Tree copyBefore = ReadTree(dir_ / "copy");
  ASSERT_EQ(RunProgram(Quoted(dir_ / "copy")), 0) << last_;
  const Tree copyAfter = ReadTree(dir_ / "copy");

  ASSERT_EQ(RunProgram("disk.img"), 0) << last_;
  EXPECT_EQ(last_.find("dxlq7trs:"), std::string::npos) << last_;
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp")) << "the staging directory is removed";
  EXPECT_TRUE(DriveIsClean("disk.img", offset)) << last_;
  ExpectImageRunLikeCopyRun(before, ReadImage("disk.img", offset), copyBefore, copyAfter);

  // Undo on the image puts back every file the run changed, byte for byte, and
  // takes away what it added; the logs and undo records in DXL stay.
  ASSERT_EQ(Sh("env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + Quoted(dir_ / "home") + " TMPDIR=" + Quoted(dir_ / "tmp") +
               " TSHOOTER_ROOT=disk.img " + DXLQ7TRS_BINARY + " --undo"),
            0)
      << last_;
  EXPECT_TRUE(DriveIsClean("disk.img", offset)) << last_;
  const Tree undone = ReadImage("disk.img", offset);
  auto outsideDxl = [](const std::string& path) { return !path.starts_with("WINDOWS/DXL/"); };
  for (const auto& [path, state] : before)
    if (outsideDxl(path)) {
      ASSERT_TRUE(undone.contains(path)) << path;
      EXPECT_EQ(undone.at(path).bytes, state.bytes) << path;
    }
  for (const auto& [path, state] : undone)
    if (outsideDxl(path)) {
      EXPECT_TRUE(before.contains(path)) << "left by the run: " << path;
    }
}

INSTANTIATE_TEST_SUITE_P(BareAndPartitioned, DiskImageFile,
                         ::testing::Values(std::uint64_t{0}, std::uint64_t{1048576}));

// An image that cannot take the fixes is said before the first page.
TEST_F(FatDrive, AnImageThatCannotBeWrittenIsRefusedBeforeThePages) {
  MakeImage("disk.img", 0);
  const Tree before = ReadImage("disk.img", 0);
  struct Case {
    const char* what;
    const char* image;
    std::string around;  // the run is put where RUN stands
    const char* said;
  };
  const Case cases[] = {
      {"a read-only file", "disk.img", "chmod a-w disk.img && RUN; code=$?; chmod u+w disk.img; exit $code",
       "read-only"},
      {"held open by another program", "disk.img",
       "sleep 30 < disk.img & holder=$!; sleep 0.2; RUN; code=$?; kill $holder; exit $code",
       "another program has it open"},
      {"not a drive", "zero.img", "head -c 1048576 /dev/zero > zero.img && RUN", "neither a FAT drive"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string run =
        std::string("printf '") + kAnswers + "' | TSHOOTER_UI=console TSHOOTER_ROOT=" + c.image + " " + DXLQ7TRS_BINARY;
    std::string command = c.around;
    command.replace(command.find("RUN"), 3, run);
    EXPECT_EQ(Sh(command), 2) << last_;
    EXPECT_NE(last_.find(c.said), std::string::npos) << last_;
    EXPECT_EQ(last_.find("? "), std::string::npos) << "a page was shown:\n" << last_;
  }
  Sh("chmod u+w disk.img");
  EXPECT_EQ(ReadImage("disk.img", 0), before);
}

// fusefat refuses fchmod and writes at a file's end: every fix still lands
// (or its line says it did not), the report shown and the log are whole, and
// the user is told what fusefat shows wrongly.
TEST_F(FatDrive, OnAFusefatMountEveryFixLandsAndTheReportIsWhole) {
  if (!fs::exists("/dev/fuse")) GTEST_SKIP() << "no /dev/fuse here: fusefat cannot mount";
  if (Sh("command -v fusefat fusermount") != 0) GTEST_SKIP() << "fusefat is not installed";
  MakeImage("disk.img", 0);
  const Tree before = ReadImage("disk.img", 0);
  fs::create_directories(dir_ / "mnt");
  if (Sh("fusefat -o rw+ disk.img mnt") != 0) GTEST_SKIP() << "fusefat cannot mount here: " << last_;
  const int code = RunProgram(Quoted(dir_ / "mnt"));
  const std::string output = last_;
  ASSERT_EQ(Sh("fusermount -u mnt"), 0) << last_;
  // fusefat's late file times leave the installed files' findings: problems remain.
  EXPECT_EQ(code, 3) << output;
  EXPECT_NE(output.find("fusefat mount"), std::string::npos) << output;
  EXPECT_TRUE(DriveIsClean("disk.img", 0)) << last_;

  const Tree after = ReadImage("disk.img", 0);
  std::string log;
  for (const auto& [path, state] : after)
    if (path.starts_with("WINDOWS/DXL/") && path.ends_with(".LOG")) log = w95::Cp936ToUtf8Lossy(state.bytes);
  ASSERT_FALSE(log.empty()) << output;
  // Each line the results page showed; each fix said to be made is in the image.
  int lines = 0;
  std::istringstream logLines(log);
  for (std::string line; std::getline(logLines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    ++lines;
    EXPECT_NE(output.find(line), std::string::npos) << "the results page lacks: " << line;
    if (line.find(" - 已修正") == std::string::npos) continue;
    const char* file = line.find("双向支持") != std::string::npos ? "WINDOWS/SYSTEM.DAT" : "WINDOWS/SYSTEM.INI";
    EXPECT_NE(after.at(file).bytes, before.at(file).bytes) << line;
  }
  EXPECT_GT(lines, 5) << log;
  EXPECT_NE(log.find(" - 已修正"), std::string::npos) << log;
}

}  // namespace
}  // namespace dxl
