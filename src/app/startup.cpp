#include "app/state/troubleshooter_app.h"
#include "app/ui_choice.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/system/instance.h"
#include "platform/system/system.h"
#include "ports/port_list.h"

namespace dxl {

namespace {
constexpr const char* kInstanceMappingName = "dxlq7trs.exe";
constexpr const char* kHelpFileName = "DXLQ7IN.HLP";
constexpr const char* kReportFileName = "tshooter.tmp";
}  // namespace

int TroubleshooterApp::InitInstance() {
  // Held until the process ends: its existence is what tells a second copy.
  static w95::InstanceMarker instanceMarker;
  instanceMarker = w95::CreateInstanceMarker(kInstanceMappingName);
  if (!instanceMarker || w95::GetLastError() == w95::ERROR_ALREADY_EXISTS) {
    w95::RequestForeground(kInstanceMappingName);
    w95::ExitProcess(1);
  }
  helpFilePath = w95::GetWindowsDirectoryA() + "\\" + kHelpFileName;
  reportPath = w95::GetTempPathA() + kReportFileName;
  ReadPortListSources();  // while the Qt pages may still be loading
  InstallUiBackend();
  WizardDriver();
  return 0;
}

}  // namespace dxl
