#include "engine/shared/report_file.h"

#include "app/state/troubleshooter_app.h"
#include "engine/shared/run_record.h"
#include "platform/files/files.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

int AppendToFile(std::string_view path, std::string_view text) {
  w95::FileHandle file = w95::CreateFileA(path, w95::GENERIC_READ | w95::GENERIC_WRITE, w95::FILE_SHARE_READ,
                                          w95::OPEN_ALWAYS, w95::FILE_ATTRIBUTE_NORMAL);
  if (!file) return 0;
  if (w95::SetFilePointer(file, 0, w95::FILE_END) == w95::INVALID_SET_FILE_POINTER) return 0;
  w95::DWORD written = 0;
  if (!w95::WriteFile(file, text, written)) return 0;
  return w95::CloseHandle(file) ? 1 : 0;
}

}  // namespace

int AppendReportLine(std::string_view path, std::string_view text) {
  const int written = AppendToFile(path, text);
  if (path == theApp().reportPath) NoteReportLine(text, written != 0);
  return written;
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
