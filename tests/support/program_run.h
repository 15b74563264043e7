// The real program started as a user starts it, in a child process, on a built
// standard installation whose clock and figures are fixed: console interface,
// answers on standard input, everything it prints kept. An alarm guards the
// child, so a hang shows as a kill by SIGALRM rather than a stuck test.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "support/slurp.h"
#include "support/temp_machine.h"

namespace dxl::testing {

struct ProgramExit {
  bool exited = false;
  int code = -1;  // -1 unless it exited
  int signal = 0;
};

class ProgramRunTest : public ::testing::Test {
 protected:
  static constexpr unsigned kGuardSeconds = 60;

  void SetUp() override { machine_.InstallWithFixedFigures("1998/03/15 10:20:30"); }
  void TearDown() override {
    std::error_code ec;
    for (const char* suffix : {".answers", ".out"}) std::filesystem::remove(Side(suffix), ec);
    std::filesystem::remove_all(Side(".home"), ec);
  }

  tools::MachineBuilder& Builder() { return machine_.Builder(); }
  std::string Read(std::string_view windowsPath) const { return machine_.Read(windowsPath); }

  // Runs the program with `answers` on standard input, its files limited to
  // `fileSizeLimit` bytes when given (SIGXFSZ at its default, as a shell leaves it).
  ProgramExit RunProgram(std::string_view answers, std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    std::ofstream(Side(".answers"), std::ios::binary) << answers;
    std::filesystem::create_directories(Side(".home"));
    pid_t child = fork();
    if (child == 0) RunChild(fileSizeLimit);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return {};
    if (WIFSIGNALED(status)) return {false, -1, WTERMSIG(status)};
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0};
  }
  // What the program printed, standard output and error together.
  std::string Output() const { return Slurp(Side(".out")); }
  // A file beside the machine directory.
  std::filesystem::path Side(std::string_view suffix) const {
    return std::filesystem::path(machine_.Root().string() + std::string(suffix));
  }

  TempMachine machine_;

 private:
  [[noreturn]] void RunChild(std::optional<rlim_t> fileSizeLimit) {
    int in = open(Side(".answers").c_str(), O_RDONLY);
    int out = open(Side(".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(120);
    if (chdir(machine_.Root().c_str()) != 0) _exit(121);
    setenv("HOME", Side(".home").c_str(), 1);
    setenv("TSHOOTER_UI", "console", 1);
    setenv("TSHOOTER_ROOT", machine_.Root().c_str(), 1);
    signal(SIGXFSZ, SIG_DFL);
    if (fileSizeLimit) {
      rlimit limit{*fileSizeLimit, *fileSizeLimit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(122);
    }
    alarm(kGuardSeconds);  // kept across exec
    execl(DXLQ7TRS_BINARY, DXLQ7TRS_BINARY, static_cast<char*>(nullptr));
    _exit(123);
  }
};

}  // namespace dxl::testing
