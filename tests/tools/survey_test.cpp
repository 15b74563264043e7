// dxlq7-survey over twenty built machines: correct ones, broken ones and a
// directory that holds no installation, each with its own line, in order.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "machine_builder/demo_machine.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Survey, PrintsTheRightLineForEachOfTwentyMachines) {
  constexpr int kMachines = 20;
  constexpr int kNoInstallation = 7;
  std::vector<std::unique_ptr<testing::TempMachine>> machines;
  std::string command = "'" DXLQ7_SURVEY "'";
  for (int i = 0; i < kMachines; ++i) {
    auto& machine = *machines.emplace_back(std::make_unique<testing::TempMachine>());
    if (i == kNoInstallation) {
      fs::remove_all(machine.Root() / "WINDOWS");
    } else {
      machine.Builder().InstallPrintingSystem();
      if (i % 3 == 0) tools::AddDemoProblems(machine.Builder());
    }
    command += " '" + machine.Root().string() + "'";
  }
  const fs::path out = machines[0]->Root().string() + ".survey";
  const fs::path err = machines[0]->Root().string() + ".progress";
  const int status = std::system((command + " > '" + out.string() + "' 2> '" + err.string() + "'").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3);

  const std::vector<std::string> lines = Lines(out);
  ASSERT_EQ(lines.size(), static_cast<size_t>(kMachines));
  for (int i = 0; i < kMachines; ++i) {
    const std::string root = machines[i]->Root().string();
    const std::string& line = lines[i];
    if (i == kNoInstallation) {
      EXPECT_TRUE(line.starts_with(root + "\t-\tnot checked: TSHOOTER_ROOT=")) << line;
      EXPECT_TRUE(line.ends_with("\t-\t2")) << line;
    } else if (i % 3 == 0) {
      EXPECT_EQ(line, root + "\tLPT1:\tTavix KRT-310 on LPT1:[本地] 设定不正确。\t3\t3");
    } else {
      EXPECT_EQ(line, root + "\tLPT1:\tTavix KRT-310 on LPT1:[本地] 设定正确。\t0\t0");
    }
  }
  const std::vector<std::string> progress = Lines(err);
  ASSERT_EQ(progress.size(), static_cast<size_t>(kMachines));
  EXPECT_TRUE(progress.back().starts_with("[20/20] ")) << progress.back();
  for (const auto& machine : machines) EXPECT_FALSE(fs::exists(machine->Root() / "WINDOWS" / "DXL" / "UNDO0001.JSN"));
  fs::remove(out);
  fs::remove(err);
}

}  // namespace
}  // namespace dxl
