// Runs a host tool (the mtools that read and write a disk image) as a child
// process, without a shell: its arguments as given, standard input empty, its
// standard output kept, its standard error kept for the message of a failure.
#pragma once

#include <string>
#include <vector>

namespace w95 {

struct ToolRun {
  bool started = false;  // false: the tool could not be run (not installed)
  int exitCode = -1;     // -1 unless it exited
  std::string output;
  std::string errors;

  bool Succeeded() const { return started && exitCode == 0; }
  // One line for a message: the tool's own complaint, else its exit code.
  std::string Problem() const;
};

// `environment`: "NAME=value" entries set for the child over this process's.
ToolRun RunTool(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {});

}  // namespace w95
