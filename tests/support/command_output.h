// A shell command's exit code and what it wrote to its standard output.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

namespace dxl::testing {

inline std::pair<int, std::string> CommandOutput(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string output;
  char buffer[256];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

}  // namespace dxl::testing
