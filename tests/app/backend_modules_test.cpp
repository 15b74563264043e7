// The SMB client and the Qt backend are modules loaded only when a run needs
// them: the real program, started on a machine of the machine builder, is
// looked at while a console page waits for its answer (its /proc/<pid>/maps).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "resources/dialog_templates.h"
#include "support/slurp.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

using testing::Slurp;

// One page of a run: its id, and the answer given once the maps are taken.
struct Step {
  int page;
  std::string answer;
};

// The program as a child with pipes on its standard input and output.
class ProgramRun {
 public:
  ProgramRun(const std::vector<std::string>& environment, const fs::path& errors,
             const std::string& program = DXLQ7TRS_BINARY) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      dup2(err, 2);
      std::vector<char*> env;
      for (const auto& e : environment) env.push_back(const_cast<char*>(e.c_str()));
      env.push_back(nullptr);
      char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
      execve(argv[0], argv, env.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = out[0];
  }
  ~ProgramRun() {
    CloseInput();
    if (output_ >= 0) close(output_);
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  // Reads the output until the page `id` is shown (false: the program ended
  // or a minute passed first).
  bool WaitForPage(int id) {
    const std::string header = " [" + std::to_string(id) + "] ===\n";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (text_.find(header, seen_) == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd fd{output_, POLLIN, 0};
      if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) return false;
      char buffer[4096];
      ssize_t n = read(output_, buffer, sizeof buffer);
      if (n <= 0) return false;
      text_.append(buffer, static_cast<size_t>(n));
    }
    seen_ = text_.find(header, seen_) + header.size();
    return true;
  }
  std::string Maps() const { return Slurp("/proc/" + std::to_string(pid_) + "/maps"); }
  void Answer(const std::string& line) { (void)!write(input_, (line + "\n").data(), line.size() + 1); }
  void CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }
  // The exit code, or -1 when the program was killed.
  int Wait() {
    CloseInput();
    int status = 0;
    waited_ = waitpid(pid_, &status, 0) == pid_;
    return waited_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string text_;
  size_t seen_ = 0;
  bool waited_ = false;
};

class BackendModules : public ::testing::Test {
 protected:
  void SetUp() override { machine_.Builder().InstallPrintingSystem(); }
  fs::path Errors() const { return machine_.Root().string() + ".err"; }
  void TearDown() override { fs::remove(Errors()); }
  // The program's environment; the sanitizers' options (their suppressions of
  // system libraries' leaks) pass through.
  std::vector<std::string> Environment(const std::string& ui) const {
    std::vector<std::string> environment = {"TSHOOTER_ROOT=" + machine_.Root().string(), "TSHOOTER_UI=" + ui,
                                            "HOME=" + machine_.Root().string(), "LANG=C.UTF-8",
                                            "QT_QPA_PLATFORM=offscreen"};
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
      if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
    return environment;
  }

  static bool HaveQtModule() { return fs::exists(fs::path(DXLQ7TRS_BINARY).parent_path() / "dxlq7trs-qt.so"); }

  testing::TempMachine machine_;
};

constexpr int kStartPage = tmpl::kStartPage, kResults = tmpl::kResultsDialog;

TEST_F(BackendModules, AConsoleRunMapsNeitherTheSmbClientNorQt) {
  struct Case {
    const char* what;
    bool smbServer;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"input ending at the start page", false, {{kStartPage, ""}}},
      {"a whole run on LPT1:", false, {{kStartPage, "#6"}, {kResults, "#1"}}},
      {"a whole run on LPT1: with an SMB server declared", true, {{kStartPage, "#6"}, {kResults, "#1"}}},
  };
  for (const auto& c : cases) {
    if (c.smbServer) machine_.Builder().MachineIni("Server FILESRV", "Backend", "smb");
    ProgramRun run(Environment("console"), Errors());
    for (const auto& step : c.steps) {
      ASSERT_TRUE(run.WaitForPage(step.page)) << c.what << ": page " << step.page << " not shown";
      std::string maps = run.Maps();
      ASSERT_NE(maps.find("libc.so"), std::string::npos) << c.what << ": the maps were not read";
      EXPECT_EQ(maps.find("libsmbclient"), std::string::npos) << c.what << ", page " << step.page;
      EXPECT_EQ(maps.find("dxlq7trs-smb.so"), std::string::npos) << c.what << ", page " << step.page;
      EXPECT_EQ(maps.find("libQt6"), std::string::npos) << c.what << ", page " << step.page;
      EXPECT_EQ(maps.find("dxlq7trs-qt.so"), std::string::npos) << c.what << ", page " << step.page;
      if (!step.answer.empty()) run.Answer(step.answer);
    }
    EXPECT_EQ(run.Wait(), 0) << c.what;
    EXPECT_EQ(Slurp(Errors()), "") << c.what;
  }
}

// Offscreen and without a user, the Qt backend (the module) shows the start
// page, which ends as it would at the console's end of input.
TEST_F(BackendModules, AnUnattendedQtRunLoadsTheQtModuleAndEndsAtItsFirstPage) {
  if (!HaveQtModule()) GTEST_SKIP() << "built without Qt";
  auto environment = Environment("qt");
  environment.push_back("TSHOOTER_UNATTENDED=1");
  environment.push_back("LD_DEBUG=files");
  environment.push_back("LD_DEBUG_OUTPUT=" + machine_.Root().string() + ".ld");
  ProgramRun run(environment, Errors());
  EXPECT_EQ(run.Wait(), 0);
  // Qt's own notes may come; the program's line on a fallback must not.
  EXPECT_EQ(Slurp(Errors()).find("dxlq7trs:"), std::string::npos) << Slurp(Errors());
  std::string loaded;
  for (const auto& entry : fs::directory_iterator(machine_.Root().parent_path()))
    if (entry.path().filename().string().starts_with(machine_.Root().filename().string() + ".ld.")) {
      loaded += Slurp(entry.path());
      fs::remove(entry.path());
    }
  EXPECT_NE(loaded.find("dxlq7trs-qt.so"), std::string::npos);
  EXPECT_NE(loaded.find("libQt6Widgets"), std::string::npos);
  EXPECT_EQ(loaded.find("libsmbclient"), std::string::npos);
}

// A copy of the program beside a Qt module that cannot be loaded: the console
// instead, said in one line, and the run goes on.
TEST_F(BackendModules, AQtModuleThatCannotBeLoadedMeansTheConsole) {
  if (!HaveQtModule()) GTEST_SKIP() << "built without Qt";
  fs::path folder = machine_.Root().string() + ".bin";
  fs::create_directories(folder);
  fs::copy_file(DXLQ7TRS_BINARY, folder / "dxlq7trs");
  std::ofstream(folder / "dxlq7trs-qt.so") << "not a module";
  {
    ProgramRun run(Environment("qt"), Errors(), (folder / "dxlq7trs").string());
    EXPECT_TRUE(run.WaitForPage(kStartPage));
    EXPECT_EQ(run.Maps().find("libQt6"), std::string::npos);
    EXPECT_EQ(run.Wait(), 0);
  }
  std::string errors = Slurp(Errors());
  EXPECT_TRUE(errors.starts_with("dxlq7trs: the Qt backend cannot be loaded (")) << errors;
  EXPECT_NE(errors.find((folder / "dxlq7trs-qt.so").string()), std::string::npos) << errors;
  EXPECT_TRUE(errors.ends_with("); the pages are shown on the console instead.\n")) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  fs::remove_all(folder);
}

}  // namespace
}  // namespace dxl
