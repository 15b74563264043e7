// TroubleshooterApp::VerifySetupFiles: the file lists of DXLQ7SET.INF
// ([Win4System], and [pcl] when DXLQ7CST.INF [Config] DOPCL is set) verified
// behind the "checking files" notice.
#include <optional>

#include "app_state/troubleshooter_app.h"
#include "checks/setup_information.h"
#include "outcome/report_file.h"
#include "outcome/step_outcome.h"
#include "pages/wait_notices.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

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
    auto mainList = SetupSectionText(*text, "[Win4System]");
    if (!mainList) return SetupInformationUnusable();
    VerifyFileList(std::move(*mainList));

    const bool withPcl = w95::GetPrivateProfileIntA("Config", "DOPCL", 0, system + "\\DXLQ7CST.INF") != 0;
    if (withPcl && (statusFlags & RunCompleted)) {
      auto pclList = SetupSectionText(*text, "[pcl]");
      if (!pclList) return SetupInformationUnusable();
      VerifyFileList(std::move(*pclList));
    }
  }
  if (allFilesCorrect) AppendReportLine(reportPath, LoadMessage(msg::kAllFilesCorrect) + "\r\n");
  return someFileMissing;
}

}  // namespace dxl
