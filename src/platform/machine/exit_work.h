// Work the process does before it ends, whichever way it ends through
// ExitProcess: writing a disk image's changed files back (disk_image_machine.h).
#pragma once

#include <functional>

namespace w95 {

// `work` takes the exit code the program ends with and gives the one to end
// with instead. Replaces any work set before.
void SetExitWork(std::function<unsigned(unsigned)> work);

// Runs the work once (later calls change nothing); the exit code to end with.
unsigned RunExitWork(unsigned exitCode);

}  // namespace w95
