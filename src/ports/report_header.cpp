#include "ports/report_header.h"

#include "outcome/kept_report.h"
#include "outcome/report_file.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"
#include "platform/system/clock.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

constexpr int kDateTimeBufferSize = 32;
constexpr std::size_t kFieldBufferSize = 16;
constexpr std::size_t kKeyPrefixLength = 4;
constexpr std::string_view kSection = "386Enh";

enum PortMode : unsigned { StandardPort = 0, EcpWithoutDma = 1, EcpWithDma = 2 };

void EmptyFile(const std::string& path) {
  w95::FileHandle file = w95::CreateFileA(path, w95::GENERIC_READ | w95::GENERIC_WRITE, w95::FILE_SHARE_READ,
                                          w95::CREATE_ALWAYS, w95::FILE_ATTRIBUTE_NORMAL);
  if (file) w95::CloseHandle(file);
}

std::string TitleLine(std::string_view entryText) {
  w95::SystemTime now;
  w95::GetLocalTime(now);
  now.wMilliseconds = 0;
  std::string date, time;
  w95::GetDateFormatA(w95::LOCALE_USER_DEFAULT, w95::DATE_SHORTDATE, &now, std::nullopt, date, kDateTimeBufferSize);
  w95::GetTimeFormatA(w95::LOCALE_USER_DEFAULT, 0, &now, std::nullopt, time, kDateTimeBufferSize);
  return FormatPositional(LoadMessage(msg::kHeaderTitle), {entryText, date, time}) + "\r\n";
}

// A field read with a 16-byte buffer: at most 15 characters.
std::string FigureLine(unsigned labelId, std::string_view field, unsigned unitId) {
  return FormatPrintf("%s: %s%s\r\n",
                      {LoadMessage(labelId), field.substr(0, kFieldBufferSize - 1), LoadMessage(unitId)});
}

}  // namespace

std::string PortModeLine(std::string_view entryText) {
  const std::string systemIni = w95::GetWindowsDirectoryA() + "\\SYSTEM.INI";
  const std::string prefix(entryText.substr(0, kKeyPrefixLength));
  auto read = [&](std::string_view suffix) {
    return w95::GetPrivateProfileIntA(kSection, prefix + std::string(suffix), 0, systemIni);
  };
  switch (read("CECP")) {
    case EcpWithoutDma: return LoadMessage(msg::kEcpWithoutDma) + "\r\n";
    case EcpWithDma: {
      std::int64_t irq = static_cast<std::int32_t>(read("CIRQ"));
      std::int64_t dma = static_cast<std::int32_t>(read("CDMA"));
      return FormatPrintf(LoadMessage(msg::kEcpWithDma), {irq, dma}) + "\r\n";
    }
    default: return LoadMessage(msg::kStandardPort) + "\r\n";
  }
}

void StartReport(const std::string& reportPath, const ReportHeaderFields& fields) {
  EmptyFile(reportPath);
  StartKeptReport(reportPath);
  AppendReportLine(reportPath, TitleLine(fields.entryText));
  AppendReportLine(reportPath, FigureLine(msg::kFreeDiskSpace, fields.diskText, msg::kMegabytes));
  AppendReportLine(reportPath, FigureLine(msg::kFreeMemory, fields.memoryText, msg::kKilobytes));
  AppendReportLine(reportPath, PortModeLine(fields.entryText));
}

}  // namespace dxl
