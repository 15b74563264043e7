// The process exit codes: what a script learns from a run.
#pragma once

#include "outcome/run_record.h"

namespace dxl {

namespace exit_code {
constexpr int kAllRight = 0;        // nothing wrong, or everything found was mended
constexpr int kAnotherCopy = 1;     // another copy of the program runs
constexpr int kCannotRun = 2;       // no installation, or the run cannot start
constexpr int kProblemsRemain = 3;  // a finding was not mended, or the checks did not run to their end
constexpr int kWriteFailed = 4;     // a fix, the report or the log could not be written
}  // namespace exit_code

// The exit code of a wizard run from what it recorded: 4 before 3 before 0.
// A run left on the start page (No) checked nothing and ends with 0.
int ExitCodeOfRun(const RunRecord& record);

}  // namespace dxl
