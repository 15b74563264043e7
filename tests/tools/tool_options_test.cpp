// The command-line tools answer --help with their usage and refuse what they
// do not know, without writing anything.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/slurp.h"

namespace {

namespace fs = std::filesystem;
using dxl::testing::Slurp;

class ToolOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("dxl-tool-options-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  struct Result {
    int code = -1;
    std::string out, err;
  };
  // Runs `tool` with `arguments` in the test's directory.
  Result Run(const std::string& tool, const std::string& arguments) {
    std::string command = "cd '" + dir_.string() + "' && '" + tool + "' " + arguments + " > out.txt 2> err.txt";
    int status = std::system(command.c_str());
    Result result;
    if (WIFEXITED(status)) result.code = WEXITSTATUS(status);
    result.out = Slurp(dir_ / "out.txt");
    result.err = Slurp(dir_ / "err.txt");
    fs::remove(dir_ / "out.txt");
    fs::remove(dir_ / "err.txt");
    return result;
  }
  // What the tool left in its directory.
  int Entries() const { return static_cast<int>(std::distance(fs::directory_iterator(dir_), {})); }

  fs::path dir_;
};

TEST_F(ToolOptions, MkmachineAnswersHelpAndRefusesUnknownOptions) {
  struct Case {
    const char* arguments;
    int code;
    bool usageOnStdout;
  } cases[] = {
      {"--help", 0, true}, {"-h", 0, true},         {"--demo --help", 0, true},
      {"", 2, false},      {"--bogus M", 2, false}, {"-x M", 2, false},
      {"M N", 2, false},   {"--demo", 2, false},    {"-- --demo M", 2, false},
  };
  for (const Case& c : cases) {
    Result run = Run(DXLQ7_MKMACHINE, c.arguments);
    EXPECT_EQ(run.code, c.code) << c.arguments;
    const std::string& usage = c.usageOnStdout ? run.out : run.err;
    EXPECT_NE(usage.find("usage:"), std::string::npos) << c.arguments;
    EXPECT_NE(usage.find("--demo"), std::string::npos) << c.arguments;
    EXPECT_EQ(Entries(), 0) << c.arguments << ": wrote something";
  }
  EXPECT_NE(Run(DXLQ7_MKMACHINE, "--bogus M").err.find("unknown option --bogus"), std::string::npos);
}

TEST_F(ToolOptions, MkmachineWritesTheMachineItIsAskedFor) {
  EXPECT_EQ(Run(DXLQ7_MKMACHINE, "--demo DEMO").code, 0);
  EXPECT_TRUE(fs::exists(dir_ / "DEMO" / "MSDOS.SYS"));
  EXPECT_EQ(Run(DXLQ7_MKMACHINE, "PLAIN").code, 0);
  EXPECT_TRUE(fs::exists(dir_ / "PLAIN" / "MSDOS.SYS"));
  // "--" ends the options: a folder may begin with a dash.
  EXPECT_EQ(Run(DXLQ7_MKMACHINE, "-- -odd").code, 0);
  EXPECT_TRUE(fs::exists(dir_ / "-odd" / "MSDOS.SYS"));
}

#ifdef DXLQ7TRS_PAGES
TEST_F(ToolOptions, PagesAnswersHelpAndRefusesUnknownOptions) {
  Result help = Run(DXLQ7TRS_PAGES, "--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("usage: dxlq7trs-pages"), std::string::npos);
  for (const char* arguments : {"--bogus", "", "-x DIR", "A B C"}) {
    Result run = Run(DXLQ7TRS_PAGES, arguments);
    EXPECT_EQ(run.code, 2) << arguments;
    EXPECT_NE(run.err.find("usage: dxlq7trs-pages"), std::string::npos) << arguments;
    EXPECT_EQ(Entries(), 0) << arguments;
  }
}
#endif

}  // namespace
