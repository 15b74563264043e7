#include "platform/network/smb/smb_client_module.h"

#include <iostream>

#include "platform/base/backend_module.h"

namespace w95 {

namespace {

smb::OpenClientFunction LoadOpenClient() {
  static BackendModule module = BackendModule::Open(smb::kModuleFileName);
  static auto open = reinterpret_cast<smb::OpenClientFunction>(module.Symbol(smb::kOpenClientSymbol));
  static bool said = false;
  if (!open && !said) {
    said = true;
    std::cerr << "dxlq7trs: the SMB client cannot be loaded (" << module.Error()
              << "); SMB servers answer as servers that are down.\n";
  }
  return open;
}

}  // namespace

std::shared_ptr<smb::Client> OpenSmbClient(const smb::ClientSettings& settings) {
  auto open = LoadOpenClient();
  if (!open) return nullptr;
  return std::shared_ptr<smb::Client>(open(&settings));
}

}  // namespace w95
