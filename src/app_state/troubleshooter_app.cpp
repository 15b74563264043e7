#include "app_state/troubleshooter_app.h"

namespace dxl {

TroubleshooterApp& theApp() {
  static TroubleshooterApp app;
  return app;
}

int TroubleshooterApp::FormatPortName(std::string& out) const {
  out = "LPT" + std::to_string(portNumber) + ":";
  return 0;
}

std::string TroubleshooterApp::PortName() const {
  std::string name;
  FormatPortName(name);
  return name;
}

int TroubleshooterApp::CopyPrinterPorts(std::string& out) const {
  out = printerPorts;
  return static_cast<int>(out.size()) + 1;
}

}  // namespace dxl
