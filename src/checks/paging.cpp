// Virtual memory: SYSTEM.INI [386Enh] Paging.
#include "checks/ini_checks.h"
#include "platform/base/case_rules.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"

namespace dxl {

int CheckPaging() {
  std::string value;
  w95::GetPrivateProfileStringA("386Enh", "Paging", "", value, 256, w95::GetWindowsDirectoryA() + "\\system.ini");
  return w95::FindTextNoCase(value, "OFF") ? 0 : 1;
}

int EnablePaging() { return w95::WritePrivateProfileStringA("386Enh", "Paging", "on", "SYSTEM.INI") ? 1 : 0; }

}  // namespace dxl
