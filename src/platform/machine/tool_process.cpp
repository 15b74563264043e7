#include "platform/machine/tool_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/machine/host_open.h"

extern char** environ;

namespace w95 {

namespace {

// This process's environment with `extra` set over it.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::map<std::string, std::string> entries;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string text = *entry;
    entries[text.substr(0, text.find('='))] = text;
  }
  for (const auto& text : extra) entries[text.substr(0, text.find('='))] = text;
  std::vector<std::string> merged;
  for (auto& [name, text] : entries) merged.push_back(std::move(text));
  return merged;
}

// Reads both pipes to their ends (a child filling one while we wait on the other would never end).
void Drain(int outFd, int errFd, std::string& output, std::string& errors) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&output, &errors};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        fds[i].fd = -1;
        --open;
        continue;
      }
      sinks[i]->append(buffer, static_cast<size_t>(n));
    }
  }
}

}  // namespace

std::string ToolRun::Problem() const {
  if (!started) return "the tool cannot be run (is mtools installed?)";
  std::string text = errors;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (const auto cut = text.rfind('\n'); cut != std::string::npos) text = text.substr(cut + 1);
  return text.empty() ? "exit code " + std::to_string(exitCode) : text;
}

ToolRun RunTool(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
  ToolRun run;
  int out[2], err[2];
  if (arguments.empty() || pipe2(out, O_CLOEXEC) != 0) return run;
  UniqueFd outRead(out[0]), outWrite(out[1]);
  if (pipe2(err, O_CLOEXEC) != 0) return run;
  UniqueFd errRead(err[0]), errWrite(err[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outWrite.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, errWrite.get(), 2);
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> merged = MergedEnvironment(environment);
  std::vector<char*> envp;
  for (auto& entry : merged) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t child = -1;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  close(outWrite.release());
  close(errWrite.release());
  Drain(outRead.get(), errRead.get(), run.output, run.errors);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // posix_spawnp reports a missing program as exit code 127 of the child.
  run.started = !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace w95
