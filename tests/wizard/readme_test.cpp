// The README's commands, run as written: every example line of it (an
// indented line) either runs here, twice in a row against a fresh copy of the
// demo, or is one of the few that install packages and build (named below).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/slurp.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

// Lines that set up the machine and build: run by hand on a fresh system.
const std::vector<std::string> kInstallAndBuild = {
    "bash scripts/run-demo",
    "bash scripts/test",
    "cmake -S . -B build-bench -G Ninja -DDXL_BUILD_BENCH=ON && ninja -C build-bench dxl_bench && "
    "build-bench/bench/dxl_bench",
};

std::vector<std::string> ReadmeExamples() {
  std::ifstream in(DXL_README);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.starts_with("    ") && line.find_first_not_of(' ') != std::string::npos) lines.push_back(line.substr(4));
  return lines;
}

using testing::Slurp;

class Readme : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("dxl-readme-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "home");
    fs::create_directory_symlink(DXL_BUILD_DIR, dir_ / "build");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs `line` with bash in a folder whose build/ is this build, for a user
  // with an empty home (so the demo is copied afresh on first use).
  int Run(const std::string& line) {
    std::ofstream(dir_ / "line.sh") << line << "\n";
    std::string command = "cd '" + dir_.string() +
                          "' && env -u TSHOOTER_ROOT -u TSHOOTER_UI -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME "
                          "HOME='" +
                          (dir_ / "home").string() + "' bash line.sh > out.txt 2> err.txt";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir_;
};

TEST_F(Readme, EveryExampleRunsAsWrittenTwice) {
  std::vector<std::string> examples = ReadmeExamples();
  std::vector<std::string> runnable;
  for (const auto& line : examples)
    if (std::find(kInstallAndBuild.begin(), kInstallAndBuild.end(), line) == kInstallAndBuild.end())
      runnable.push_back(line);
  ASSERT_GE(runnable.size(), 4u) << "the README's examples were not found";
  for (int round = 1; round <= 2; ++round) {
    for (const auto& line : runnable) {
      EXPECT_EQ(Run(line), 0) << "round " << round << ": " << line << "\n" << Slurp(dir_ / "err.txt");
      std::string out = Slurp(dir_ / "out.txt");
      // Every scripted answer was taken, and the script did not run out.
      EXPECT_EQ(out.find("\n? "), std::string::npos) << "round " << round << ": " << line << "\n" << out;
      EXPECT_EQ(out.find("(end of input)"), std::string::npos) << "round " << round << ": " << line << "\n" << out;
    }
  }
}

// The lines left to people are still in the README as written here.
TEST_F(Readme, TheInstallAndBuildLinesAreTheReadmes) {
  std::vector<std::string> examples = ReadmeExamples();
  for (const auto& line : kInstallAndBuild)
    EXPECT_NE(std::find(examples.begin(), examples.end(), line), examples.end()) << line;
}

// The demo keeps its repairs until it is started afresh.
TEST_F(Readme, TheDemoKeepsItsStateUntilStartedAfresh) {
  const std::string mend = "printf 'y\\ny\\ny\\ny\\n\\nr\\n' | TSHOOTER_UI=console build/src/dxlq7trs";
  ASSERT_EQ(Run(mend), 0);
  EXPECT_EQ(Slurp(dir_ / "out.txt").find("\n? "), std::string::npos) << Slurp(dir_ / "out.txt");
  Run(mend);
  EXPECT_NE(Slurp(dir_ / "out.txt").find("\n? "), std::string::npos) << "the repairs were not kept";
  ASSERT_EQ(Run(mend + " --fresh-demo"), 0);
  EXPECT_EQ(Slurp(dir_ / "out.txt").find("\n? "), std::string::npos) << Slurp(dir_ / "out.txt");
}

}  // namespace
}  // namespace dxl
