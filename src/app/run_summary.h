// The summary a script reads (TSHOOTER_SUMMARY): the machine, the port, each
// finding and what became of it, the files the run changed, the verdict and
// the exit code, as JSON (docs/summary.schema.json).
#pragma once

#include <string>

#include "app/undo_record.h"
#include "outcome/run_record.h"

namespace dxl {

struct RunSummary {
  std::string machine;          // the machine directory (host path)
  std::string answers;          // "check", "fix", or empty for a user
  std::string portName;         // "LPT1:"; empty when the checks never started
  std::string portDescription;  // code page 936
  const RunRecord* record = nullptr;
  const UndoRecord* changes = nullptr;
  int exitCode = 0;
};

std::string SummaryText(const RunSummary& summary);

// Written atomically to the host file `path`; false when it cannot be.
bool WriteSummary(const std::string& path, const RunSummary& summary);

}  // namespace dxl
