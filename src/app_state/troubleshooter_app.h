// TroubleshooterApp: the one application object. It owns the state that the
// wizard driver, the check engine, the checks and repairs, the port code and
// the results dialog share; every part reaches it as theApp().
//
// Its operations are defined in the layer they belong to: WizardDriver in
// wizard/, RunCheckStep in engine/, VerifyFileList and VerifySetupFiles in
// checks/, start-up in app/; the small accessors here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/modeless_dialog.h"

namespace dxl {

// Bits of statusFlags.
enum StatusFlag : std::uint8_t {
  RunCompleted = 0x01,
  ErrorRecorded = 0x02,
  NetworkErrorRecorded = 0x04,
  RerunSetup = 0x08,
};

// The required facts of the driver's APD file, from the set-up information.
struct ApdRequirement {
  std::string fileName;
  std::string date;     // YYYY/MM/DD
  std::string time;     // HH:MM:SS
  std::string size;     // decimal
  std::string version;  // four dot-separated numbers, or "0"
};

class TroubleshooterApp {
 public:
  TroubleshooterApp() = default;

  // Start-up: single instance, help file, report path, then WizardDriver.
  // Returns the process exit code.
  int InitInstance();

  int WizardDriver();
  int RunCheckStep(std::int32_t step);
  // Writes "LPT<portNumber>:" into `out`; returns 0.
  int FormatPortName(std::string& out) const;
  std::string PortName() const;
  // Copies printerPorts into `out`; returns the bytes copied, terminating NUL included.
  int CopyPrinterPorts(std::string& out) const;
  const std::string& GetReportPath() const { return reportPath; }
  // Works through the text of one file-list section of the set-up information.
  void VerifyFileList(std::string sectionText);
  int VerifySetupFiles();
  void SetPortDescription(std::string_view description) { portDescription = description; }
  std::string GetPortDescription() const { return portDescription; }

  std::int32_t portNumber = 1;
  bool portNotLocal = false;
  std::string printerPorts = "LPT1:";
  std::string reportPath;
  bool skipPortChecks = false;
  bool restartNeeded = false;
  bool someFileMissing = false;
  bool allFilesCorrect = true;
  std::string portDescription;
  std::unique_ptr<w95::ui::ModelessDialog> fileWaitDialog;
  std::unique_ptr<w95::ui::ModelessDialog> networkWaitDialog;
  ApdRequirement apdRequirement;
  bool networkWaitShown = false;
  std::uint8_t statusFlags = 0;
  std::string logPath;

  // The help file every Help button and F1 opens; set at start-up.
  std::string helpFilePath;
};

// The one global instance.
TroubleshooterApp& theApp();

}  // namespace dxl
