// What a run found and what became of each finding, kept beside the report
// for the exit code and the summary a script reads. The driver and the
// installed-files verification record a finding when its page has been
// answered; the engine says which step runs; the report's writer hands over
// each line it appended.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dxl {

enum class FindingEnd { Fixed, Declined, Failed, Unfixable };

struct Finding {
  int step = -1;   // the check step that found it; -1 when none ran
  int result = 0;  // its result code (the driver's state)
  FindingEnd end = FindingEnd::Unfixable;
  std::string why;                       // plain English
  std::vector<std::string> reportLines;  // code page 936, without CR LF
};

struct RunRecord {
  int step = -1;                       // the step that runs or last ran
  std::vector<std::string> stepLines;  // report lines written since it began or since the last finding
  std::vector<Finding> findings;
  std::string verdict;             // the closing summary line (code page 936); empty until written
  bool runCompleted = false;       // RunCompleted was set when it ran
  bool rerunSetup = false;         // RerunSetup was set then: the set-up program must run again
  bool reportWriteFailed = false;  // a line could not be appended to the report
  bool logWriteFailed = false;     // the last attempt to save the log failed

  // The closing sequence ran: it writes the verdict.
  bool ChecksEnded() const { return !verdict.empty(); }
};

RunRecord& TheRunRecord();

// The engine starts step `step`.
void NoteStepBegins(int step);
// A line (CR LF included) appended to the report, or that could not be.
void NoteReportLine(std::string_view line, bool written);
// A finding whose page was answered: its lines are the report lines written
// since the step began or since the last finding.
void RecordFinding(int result, FindingEnd end, std::string why);
// The same with only the last `lineCount` of those lines; the others stay for
// the next finding of the step.
void RecordFindingOfLastLines(int result, FindingEnd end, std::string why, std::size_t lineCount);

std::string_view FindingEndName(FindingEnd end);

}  // namespace dxl
