// scripts/run-demo builds what the demo needs and nothing of the test suite:
// the commands ninja would run for its targets on a clean tree (ninja -t
// commands lists them whatever is already built).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace dxl {
namespace {

namespace fs = std::filesystem;

// The words of the `demo_targets=(...)` line of scripts/run-demo.
std::vector<std::string> DemoTargets() {
  std::ifstream in(fs::path(DXL_README).parent_path() / "scripts" / "run-demo");
  std::smatch match;
  for (std::string line; std::getline(in, line);) {
    if (!std::regex_match(line, match, std::regex(R"(\s*demo_targets=\(([^)]*)\)\s*)"))) continue;
    std::istringstream words(match[1].str());
    std::vector<std::string> targets;
    for (std::string word; words >> word;) targets.push_back(word);
    return targets;
  }
  return {};
}

std::vector<std::string> CommandLines(const std::string& command) {
  std::vector<std::string> lines;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return lines;
  std::string text;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  pclose(pipe);
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(RunDemo, BuildsTheProgramItsModulesAndTheDemoMachineButNoTest) {
  if (!fs::exists(fs::path(DXL_BUILD_DIR) / "build.ninja")) GTEST_SKIP() << "not a Ninja build";
  std::vector<std::string> targets = DemoTargets();
  ASSERT_FALSE(targets.empty()) << "no demo_targets=(...) line in scripts/run-demo";
  std::string command = "ninja -C '" DXL_BUILD_DIR "' -t commands";
  for (const auto& target : targets) command += " '" + target + "'";
  std::vector<std::string> lines = CommandLines(command + " 2>&1");
  ASSERT_GT(lines.size(), 10u) << command;
  const std::regex testWork(R"((^|[ /])(tests/|test_[a-z_]+|[a-z_]*_link_check|gtest|gmock|dxlq7trs-pages)( |$|\.| ))");
  for (const auto& line : lines) EXPECT_FALSE(std::regex_search(line, testWork)) << line.substr(0, 300);
  std::vector<std::string> needed = {" -o src/dxlq7trs ", "dxlq7trs-smb.so", "dxlq7-mkmachine --demo"};
  // The Qt module, in a build that has it.
  if (!CommandLines("ninja -C '" DXL_BUILD_DIR "' -t query dxlq7trs-qt 2>/dev/null").empty())
    needed.push_back("dxlq7trs-qt.so");
  for (const auto& output : needed) {
    bool found = false;
    for (const auto& line : lines) found = found || line.find(output) != std::string::npos;
    EXPECT_TRUE(found) << output << " is not built by " << command;
  }
}

}  // namespace
}  // namespace dxl
