#include "results/log_file.h"

#include <cstdio>
#include <new>

#include "outcome/kept_report.h"
#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/machine/paths.h"
#include "platform/system/clock.h"

namespace dxl {

namespace {

constexpr int kDateBuffer = 32;
constexpr int kLastNumber = 99;
constexpr w95::DWORD kNoAttributes = 0xFFFFFFFFu;

std::string TodayText() {
  std::string date;
  if (w95::GetDateFormatA(w95::LOCALE_USER_DEFAULT, 0, nullptr, "yyMMdd", date, kDateBuffer) == 0) return {};
  return date;
}

std::string NumberedName(const std::string& directory, const std::string& date, int number) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02d", number);
  return directory + date + digits + ".LOG";
}

bool NameTaken(const std::string& path) {
  w95::FindData data;
  w95::FindHandle find = w95::FindFirstFileA(path, data);
  if (!find) return false;
  w95::FindClose(find);
  return true;
}

// Both name the same local file: equal components, compared as Windows
// compares file names.
bool SameLocalFile(std::string_view a, std::string_view b) {
  auto first = w95::ParseWindowsPath(a);
  auto second = w95::ParseWindowsPath(b);
  if (!first || !second || first->kind != w95::PathKind::Local || second->kind != w95::PathKind::Local) return false;
  if (first->components.size() != second->components.size()) return false;
  for (std::size_t i = 0; i < first->components.size(); ++i)
    if (!w95::EqualsNoCase(first->components[i], second->components[i])) return false;
  return true;
}

// Windows 95 neither deletes a read-only file nor moves anything over a
// directory: such a name cannot take the log.
bool MayReplace(std::string_view logPath) {
  w95::DWORD attributes = w95::GetFileAttributesA(logPath);
  if (attributes == kNoAttributes) return true;
  return (attributes & (w95::FILE_ATTRIBUTE_READONLY | w95::FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

}  // namespace

std::string LogDirectory() {
  std::string directory = w95::GetWindowsDirectoryA();
  if (!directory.ends_with('\\')) directory += '\\';
  return directory + "DXL\\";
}

std::string ProposeLogFileName() {
  std::string directory = LogDirectory();
  std::string date = TodayText();
  std::string name;
  for (int number = 0; number <= kLastNumber; ++number) {
    name = NumberedName(directory, date, number);
    if (!NameTaken(name)) break;
  }
  return name;
}

bool SaveReportAs(std::string_view reportPath, std::string_view logPath) {
  auto bytes = ReportMissingFromFile(reportPath);  // the whole report when its file lacks lines
  if (SameLocalFile(reportPath, logPath))
    return bytes ? w95::ReplaceFileAtomically(logPath, *bytes) : w95::GetFileAttributesA(reportPath) != kNoAttributes;
  if (!MayReplace(logPath)) return w95::Fail(w95::ERROR_ACCESS_DENIED, false);
  if (!bytes) bytes = w95::ReadWholeFile(reportPath);
  if (!bytes) return false;
  if (!w95::ReplaceFileAtomically(logPath, *bytes)) return false;
  w95::DeleteFileA(reportPath);
  return true;
}

std::string ReadReportText(std::string_view reportPath) {
  if (auto kept = ReportMissingFromFile(reportPath)) return kept->substr(0, kept->find('\0'));
  w95::FileHandle file = w95::CreateFileA(reportPath, w95::GENERIC_READ, w95::FILE_SHARE_READ | w95::FILE_SHARE_WRITE,
                                          w95::OPEN_EXISTING, w95::FILE_ATTRIBUTE_NORMAL);
  if (!file) return {};
  w95::DWORD size = w95::GetFileSize(file);
  if (size == w95::INVALID_FILE_SIZE) return {};
  std::string block;
  try {
    block.assign(static_cast<std::size_t>(size) + 1, '\0');
  } catch (const std::bad_alloc&) {
    return {};  // the block cannot be had: the box stays empty
  }
  w95::DWORD read = 0;
  if (!w95::ReadFile(file, std::span<char>(block.data(), size), read)) return {};
  block.resize(block.find('\0'));
  return block;
}

}  // namespace dxl
