// TroubleshooterApp::VerifySetupFiles: the file lists of DXLQ7SET.INF
// ([Win4System], and [pcl] when DXLQ7CST.INF [Config] DOPCL is set) verified
// behind the "checking files" notice.
#include <optional>

#include "app/state/troubleshooter_app.h"
#include "engine/shared/report_file.h"
#include "engine/shared/step_outcome.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"
#include "resources/string_table.h"
#include "wizard/pages/wait_notices.h"

namespace dxl {

namespace {

// The whole file as text, up to its first NUL; nullopt when it cannot be read.
std::optional<std::string> ReadSetupInformation(const std::string& path) {
  w95::FileHandle file = w95::CreateFileA(path, w95::GENERIC_READ, w95::FILE_SHARE_READ | w95::FILE_SHARE_WRITE,
                                          w95::OPEN_EXISTING, w95::FILE_ATTRIBUTE_NORMAL);
  if (!file) return std::nullopt;
  const w95::DWORD size = w95::GetFileSize(file);
  if (size == w95::INVALID_FILE_SIZE) return std::nullopt;
  std::string text(size, '\0');
  w95::DWORD read = 0;
  if (!w95::ReadFile(file, text, read) || read != size) return std::nullopt;
  return text.substr(0, text.find('\0'));
}

// The text of the first section whose header matches exactly: from just after
// its '[' to the next '['.
std::optional<std::string> SectionText(const std::string& text, std::string_view header) {
  const std::size_t at = text.find(header);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t begin = at + 1;
  const std::size_t end = text.find('[', begin);
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// Closes the notice on every way out.
struct NoticeScope {
  explicit NoticeScope(TroubleshooterApp& app) : app_(app) { app_.fileWaitDialog = CreateCheckingFilesDialog(); }
  ~NoticeScope() { app_.fileWaitDialog.reset(); }
  NoticeScope(const NoticeScope&) = delete;
  NoticeScope& operator=(const NoticeScope&) = delete;
  TroubleshooterApp& app_;
};

int SetupInformationUnusable() {
  StepOutcome.result = InstalledFilesWrong;
  return 1;
}

}  // namespace

int TroubleshooterApp::VerifySetupFiles() {
  const std::string system = w95::GetSystemDirectoryA();
  auto text = ReadSetupInformation(system + "\\DXLQ7SET.INF");
  if (!text) return SetupInformationUnusable();
  {
    NoticeScope notice(*this);
    auto mainList = SectionText(*text, "[Win4System]");
    if (!mainList) return SetupInformationUnusable();
    VerifyFileList(std::move(*mainList));

    const bool withPcl = w95::GetPrivateProfileIntA("Config", "DOPCL", 0, system + "\\DXLQ7CST.INF") != 0;
    if (withPcl && (statusFlags & RunCompleted)) {
      auto pclList = SectionText(*text, "[pcl]");
      if (!pclList) return SetupInformationUnusable();
      VerifyFileList(std::move(*pclList));
    }
  }
  if (allFilesCorrect) AppendReportLine(reportPath, LoadMessage(msg::kAllFilesCorrect) + "\r\n");
  return someFileMissing;
}

}  // namespace dxl
