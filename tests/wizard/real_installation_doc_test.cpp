// The commands of docs/real-installation.md, run as written and in order (each
// indented line, in one folder whose build/ is this build), but the few that
// need root, a system bus or a kernel FAT driver; the fusefat route where
// /dev/fuse is there. Each must succeed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/command_output.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

// Lines for a machine with root and a kernel FAT driver, or a desktop session's system bus.
const std::vector<std::string> kNotHere = {
    "sudo mount -o loop,offset=$((2048*512)),uid=$(id -u),shortname=mixed disk.img /mnt/c",
    "TSHOOTER_ROOT=/mnt/c build/src/dxlq7trs",
    "sudo umount /mnt/c",
    "udisksctl loop-setup -f disk.img",
    "udisksctl mount -b /dev/loop0p1",
    "udisksctl unmount -b /dev/loop0p1 && udisksctl loop-delete -b /dev/loop0",
};

std::vector<std::string> DocExamples() {
  std::ifstream in(DXL_REAL_INSTALLATION_DOC);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.starts_with("    ") && line.find_first_not_of(' ') != std::string::npos) lines.push_back(line.substr(4));
  return lines;
}

bool NeedsFuse(const std::string& line) {
  return line.find("fusefat") != std::string::npos || line.find("TSHOOTER_ROOT=mnt") != std::string::npos;
}

TEST(RealInstallationDoc, EveryCommandRunsAsWritten) {
  if (testing::CommandOutput("command -v mkfs.vfat mcopy mattrib sfdisk fsck.fat >/dev/null 2>&1").first != 0)
    GTEST_SKIP() << "mtools, dosfstools or sfdisk are not installed (scripts/install-deps installs them)";
  const bool fuse = fs::exists("/dev/fuse") && testing::CommandOutput("command -v fusefat").first == 0;
  const fs::path dir = fs::temp_directory_path() / ("dxl-realdoc-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "home");
  fs::create_directories(dir / "tmp");
  fs::create_directory_symlink(DXL_BUILD_DIR, dir / "build");
  const auto lines = DocExamples();
  for (const auto& line : kNotHere) EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  int ran = 0;
  for (const auto& line : lines) {
    if (std::find(kNotHere.begin(), kNotHere.end(), line) != kNotHere.end()) continue;
    if (NeedsFuse(line) && !fuse) continue;  // no /dev/fuse here
    std::ofstream(dir / "line.sh") << line << "\n";
    const std::string command = "cd '" + dir.string() +
                                "' && env -u TSHOOTER_ROOT -u TSHOOTER_UI -u DISPLAY -u WAYLAND_DISPLAY HOME='" +
                                (dir / "home").string() + "' TMPDIR='" + (dir / "tmp").string() + "' bash line.sh 2>&1";
    const auto [code, output] = testing::CommandOutput(command);
    ++ran;
    // A run of the wizard may end with problems left (3): on a fusefat mount the file times are a month late.
    const bool wizardRun = line.find("build/src/dxlq7trs") != std::string::npos;
    ASSERT_TRUE(code == 0 || (wizardRun && code == 3)) << code << ": " << line << "\n" << output;
  }
  EXPECT_GE(ran, 14);
  testing::CommandOutput("fusermount -u '" + (dir / "mnt").string() + "' 2>/dev/null");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace dxl
