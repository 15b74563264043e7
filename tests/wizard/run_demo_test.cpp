// scripts/run-demo builds what the demo needs and nothing of the test suite:
// the commands ninja would run for its targets on a clean tree (ninja -t
// commands lists them whatever is already built).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace dxl {
namespace {

namespace fs = std::filesystem;

// The words of the `demo_targets=(...)` line of scripts/run-demo.
std::vector<std::string> DemoTargets() {
  std::ifstream in(fs::path(DXL_README).parent_path() / "scripts" / "run-demo");
  const std::string opening = "demo_targets=(";
  for (std::string line; std::getline(in, line);) {
    const size_t start = line.find(opening);
    const size_t end = line.find(')', start);
    if (start == std::string::npos || end == std::string::npos) continue;
    std::istringstream words(line.substr(start + opening.size(), end - start - opening.size()));
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

// A word of a command line (between blanks and slashes, up to its first dot)
// that names a test program, a test library or a test folder.
bool NamesTestWork(const std::string& line) {
  std::string word;
  auto isTestWord = [](const std::string& w) {
    return w == "tests" || w.starts_with("test_") || w.ends_with("_link_check") || w == "gtest" || w == "gmock" ||
           w == "dxlq7trs-pages";
  };
  for (size_t i = 0; i <= line.size(); ++i) {
    const char c = i < line.size() ? line[i] : ' ';
    if (c != ' ' && c != '/') {
      word += c;
      continue;
    }
    if (isTestWord(word.substr(0, word.find('.')))) return true;
    word.clear();
  }
  return false;
}

TEST(RunDemo, BuildsTheProgramItsModulesAndTheDemoMachineButNoTest) {
  if (!fs::exists(fs::path(DXL_BUILD_DIR) / "build.ninja")) GTEST_SKIP() << "not a Ninja build";
  std::vector<std::string> targets = DemoTargets();
  ASSERT_FALSE(targets.empty()) << "no demo_targets=(...) line in scripts/run-demo";
  std::string command = "ninja -C '" DXL_BUILD_DIR "' -t commands";
  for (const auto& target : targets) command += " '" + target + "'";
  std::vector<std::string> lines = CommandLines(command + " 2>&1");
  ASSERT_GT(lines.size(), 10u) << command;
  for (const auto& line : lines) EXPECT_FALSE(NamesTestWork(line)) << line.substr(0, 300);
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
