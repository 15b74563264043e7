// TroubleshooterApp::VerifyFileList: every file of one list of the set-up
// information judged by size, time stamp and version; a wrong file may be
// renamed out of the way at the next start of Windows (WININIT.INI [Rename]).
#include <optional>

#include "app_state/troubleshooter_app.h"
#include "checks/file_list.h"
#include "checks/ini_checks.h"
#include "checks/installed_files.h"
#include "outcome/report_file.h"
#include "outcome/run_record.h"
#include "outcome/step_outcome.h"
#include "pages/page_end_code.h"
#include "pages/standard_page.h"
#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"
#include "resources/dialog_templates.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

constexpr int kBackupNumbers = 1000;
constexpr std::string_view kApdFile = "DXLQ7APD.APD";
constexpr std::string_view kNotExamined[] = {".hlp", ".txt", ".ini"};

struct Directories {
  std::string windows = w95::GetWindowsDirectoryA();
  std::string system = w95::GetSystemDirectoryA();

  // Keywords are compared exactly; any other gives an empty directory, the
  // root of the current drive.
  std::string Of(std::string_view keyword) const {
    if (keyword == "WINDOWS") return windows;
    if (keyword == "SYSTEM") return system;
    if (keyword == "DXLDIR") return windows + "\\Dxl";
    return {};
  }
};

bool IsExamined(std::string_view name) {
  for (std::string_view extension : kNotExamined)
    if (w95::FindTextNoCase(name, extension)) return false;
  return true;
}

std::int32_t ReadUnsignedDecimal(std::string_view text) {
  std::uint64_t value = 0;
  std::size_t at = text.find_first_not_of(" \t");
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(text[at] - '0'), 0xFFFFFFFFu);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// A backup name that is neither an existing file nor already the target of
// another scheduled rename; WININIT.INI [Rename] then renames the file to it.
// nullopt when all thousand are taken or WININIT.INI cannot be written.
std::optional<std::string> ScheduleRename(const std::string& directory, std::string_view name,
                                          const std::string& path) {
  for (int number = 0; number < kBackupNumbers; ++number) {
    const std::string backup = BackupName(name, number);
    const std::string backupPath = directory + "\\" + backup;
    if (FileExists(backupPath)) continue;
    std::string scheduled;
    w95::GetPrivateProfileStringA("Rename", backupPath, "", scheduled, w95::kMaxPath + 1, "WININIT.INI");
    if (!scheduled.empty() && !w95::EqualsNoCase(scheduled, path)) continue;
    if (!w95::WritePrivateProfileStringA("Rename", backupPath, path, "WININIT.INI")) return std::nullopt;
    return backup;
  }
  return std::nullopt;
}

void Append(const TroubleshooterApp& app, std::string_view line) {
  if (!line.empty()) AppendReportLine(app.reportPath, line);
}

}  // namespace

void TroubleshooterApp::VerifyFileList(std::string sectionText) {
  statusFlags |= RunCompleted;
  const Directories directories;
  FileListReader reader(sectionText);
  while (auto record = reader.Next()) {
    const std::string& name = record->fileNameField;
    if (w95::EqualsNoCase(name, kApdFile))
      apdRequirement = {name, record->dateField, record->timeField, record->sizeField, record->versionField};
    if (!IsExamined(name)) continue;

    const std::string directory = directories.Of(record->directoryField);
    const std::string path = directory + "\\" + name;
    const std::string timeStamp = record->dateField + " " + record->timeField;
    std::string currentLine;
    // A name that would lead out of its directory is never looked up.
    const int found = IsPlainFileName(name)
                          ? CheckInstalledFile(path, record->sizeField, record->versionField, timeStamp, currentLine)
                          : -1;
    std::string requiredLine;
    FormatFileFactsLine(0, record->versionField, timeStamp, ReadUnsignedDecimal(record->sizeField), requiredLine);

    if (found == 1) continue;
    statusFlags |= ErrorRecorded | RerunSetup;
    allFilesCorrect = false;
    if (found == -1) {
      someFileMissing = true;
      Append(*this, ReportLine(msg::kErrorPrefix, FormatPrintf(LoadMessage(msg::kNotFound), {path})));
      continue;
    }

    currentFileName = name;
    const PageEndCode answer = ShowPage(tmpl::kDeleteFilePage);
    std::string suffix = LoadMessage(msg::kNotFixedSuffix);
    FindingEnd end = answer == page_end::DeleteFile ? FindingEnd::Failed : FindingEnd::Declined;
    if (answer == page_end::DeleteFile) {
      if (auto backup = ScheduleRename(directory, name, path)) {
        end = FindingEnd::Fixed;
        suffix = FormatPrintf(LoadMessage(msg::kWillBeRenamed), {*backup});
        if (w95::FindTextNoCase(name, ".386")) {
          RemoveDeviceLine(name);
        } else if (w95::EqualsNoCase(name, kResidentProgram)) {
          RemoveLoadEntry();
        }
        restartNeeded = true;
      }
    }
    Append(*this, ReportLine(msg::kErrorPrefix, path + suffix));
    Append(*this, currentLine);
    Append(*this, requiredLine);
    RecordFindingOfLastLines(InstalledFilesWrong, end,
                             end == FindingEnd::Fixed    ? "renamed when Windows restarts"
                             : end == FindingEnd::Failed ? "the rename could not be scheduled in WININIT.INI"
                                                         : "the user kept the file",
                             1 + !currentLine.empty() + !requiredLine.empty());
    if (answer == page_end::Exit || answer == page_end::Cancel) {
      statusFlags &= static_cast<std::uint8_t>(~RunCompleted);
      StepOutcome.result = ChecksFinished;
      return;
    }
  }
}

}  // namespace dxl
