#include "outcome/report_file.h"

#include "app_state/troubleshooter_app.h"
#include "outcome/kept_report.h"
#include "outcome/run_record.h"
#include "platform/files/files.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

// Appends through the file's end; `sizeBefore` is where the line starts.
bool AppendAtEnd(std::string_view path, std::string_view text, w95::DWORD& sizeBefore) {
  w95::FileHandle file = w95::CreateFileA(path, w95::GENERIC_READ | w95::GENERIC_WRITE, w95::FILE_SHARE_READ,
                                          w95::OPEN_ALWAYS, w95::FILE_ATTRIBUTE_NORMAL);
  if (!file) return false;
  sizeBefore = w95::SetFilePointer(file, 0, w95::FILE_END);
  if (sizeBefore == w95::INVALID_SET_FILE_POINTER) return false;
  w95::DWORD written = 0;
  return w95::WriteFile(file, text, written) && w95::CloseHandle(file);
}

// The file's first `size` bytes and `text` after them, replacing the file: for
// a file system that refuses writes at a file's end (fusefat) but lets a file
// be replaced.
bool AppendByReplacing(std::string_view path, std::string_view text, w95::DWORD size) {
  auto bytes = w95::ReadWholeFile(path);
  if (!bytes) return false;
  if (size != w95::INVALID_SET_FILE_POINTER && size < bytes->size()) bytes->resize(size);
  *bytes += text;
  return w95::ReplaceFileAtomically(path, *bytes);
}

}  // namespace

int AppendReportLine(std::string_view path, std::string_view text) {
  w95::DWORD sizeBefore = w95::INVALID_SET_FILE_POINTER;
  const bool written = AppendAtEnd(path, text, sizeBefore) ||
                       (sizeBefore != w95::INVALID_SET_FILE_POINTER && AppendByReplacing(path, text, sizeBefore));
  KeepReportLine(path, text, written);
  if (path == theApp().reportPath) NoteReportLine(text, written);
  return written ? 1 : 0;
}

void FormatFileFactsLine(int isCurrent, std::string_view version, std::string_view timeStamp, std::int32_t size,
                         std::string& out) {
  const std::string& sizeLabel = LoadMessage(msg::kSizeLabel);
  if (version == "0") {
    const std::string& stampLabel = LoadMessage(isCurrent ? msg::kCurrentTimeStamp : msg::kRequiredTimeStamp);
    out = FormatPrintf("%s=%s %s=%d\r\n", {stampLabel, timeStamp, sizeLabel, std::int64_t{size}});
    return;
  }
  const std::string& versionLabel = LoadMessage(isCurrent ? msg::kCurrentVersion : msg::kRequiredVersion);
  out = FormatPrintf("%s=%s %s=%s %s=%d\r\n", {versionLabel, version, LoadMessage(msg::kTimeStampLabel), timeStamp,
                                               sizeLabel, std::int64_t{size}});
}

std::string ReportLine(unsigned prefixId, std::string_view text, unsigned suffixId) {
  std::string line;
  if (prefixId) line += LoadMessage(prefixId);
  line += text;
  if (suffixId) line += LoadMessage(suffixId);
  line += "\r\n";
  return line;
}

}  // namespace dxl
