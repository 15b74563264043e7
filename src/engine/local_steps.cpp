// Steps 0 to 9: the printing set-up on this computer.
#include "checks/ini_checks.h"
#include "checks/registry_entries.h"
#include "checks/spooler_settings.h"
#include "engine/check_steps.h"
#include "outcome/step_outcome.h"
#include "ports/printer_discovery.h"
#include "resources/string_table.h"

namespace dxl::engine {

namespace {
constexpr std::size_t kPrinterPortsSize = 128;
}  // namespace

StepEnd FindPrinterOnPort(TroubleshooterApp& app) {
  const int answer = FindDriverPorts(app.portNotLocal, app.portNumber, app.printerPorts, kPrinterPortsSize);
  if (answer < 0) {
    // No printer of the family at all: only the checks that do not need one.
    app.skipPortChecks = true;
    return SkipTo(8);
  }
  std::string ports;
  app.CopyPrinterPorts(ports);
  if (answer > 0) {
    WriteStepLine(app, 0, msg::kConnectedTo, ports);
    return StepEnd::Passed;
  }
  app.statusFlags |= ErrorRecorded;
  WriteStepLine(app, msg::kErrorPrefix, msg::kConnectedTo, ports);
  return Stop(PrinterOnOtherPort);
}

StepEnd OpenPort(TroubleshooterApp& app) {
  if (app.portNotLocal) return SkipTo(2);
  if (TestPortOpen(static_cast<unsigned>(app.portNumber))) {
    WriteStepLine(app, 0, msg::kPortDriverOk, app.PortName());
    return StepEnd::Passed;
  }
  app.statusFlags |= ErrorRecorded;
  WriteStepLine(app, msg::kErrorPrefix, msg::kPortDriverFault, app.PortName());
  return Stop(PortDriverFault);
}

StepEnd FindOtherPrinters(TroubleshooterApp& app) {
  otherPrinterNames.clear();
  if (!FindOtherPrintersOnPort(app.PortName(), otherPrinterNames)) return Stop(OtherPrinterOnPort);
  WriteStepLine(app, 0, msg::kNoOtherPrinter, app.PortName());
  return StepEnd::Passed;
}

StepEnd CheckSystemIni(TroubleshooterApp& app) {
  iniFindings = CheckSystemIniDevices();
  if (iniFindings != 0) return Stop(SystemIniIncomplete);
  WriteStepLine(app, 0, msg::kSystemIniCorrect);
  return StepEnd::Passed;
}

StepEnd CheckWinIni(TroubleshooterApp& app) {
  iniFindings = CheckLoadLine();
  if (iniFindings != 0) return Stop(WinIniIncomplete);
  WriteStepLine(app, 0, msg::kWinIniCorrect);
  return StepEnd::Passed;
}

StepEnd CheckVirtualMemory(TroubleshooterApp& app) {
  if (!CheckPaging()) return Stop(VirtualMemoryOff);
  WriteStepLine(app, 0, msg::kPagingOn);
  return StepEnd::Passed;
}

StepEnd CheckBidiSupport(TroubleshooterApp& app) {
  // A network printer's port settings are not this computer's to check.
  if (app.portNotLocal) return SkipTo(8);
  if (!CheckBidiEnabled()) return Stop(BidiSupportOff);
  WriteStepLine(app, 0, msg::kBidiOn);
  return StepEnd::Passed;
}

StepEnd CheckDosSpool(TroubleshooterApp& app) {
  if (app.skipPortChecks) return SkipTo(9);
  if (!CheckDosSpooling(app.portNumber)) return Stop(DosSpoolingOff);
  WriteStepLine(app, 0, msg::kDosSpoolOn);
  return StepEnd::Passed;
}

StepEnd CheckRegistry(TroubleshooterApp& app) {
  if (CheckRegistryEntries(app.PortName(), app.portNotLocal)) {
    WriteStepLine(app, 0, msg::kRegistryCorrect);
    return StepEnd::Passed;
  }
  app.statusFlags |= ErrorRecorded | RerunSetup;
  WriteStepLine(app, msg::kErrorPrefix, msg::kRegistryIncorrect);
  return Stop(RegistryEntriesWrong);
}

StepEnd CheckInstalledFiles(TroubleshooterApp& app) {
  if (app.VerifySetupFiles() != 0) return Stop(InstalledFilesWrong);
  // The user may have left the wizard on one of the verification's pages.
  if (StepOutcome.result == ChecksFinished || StepOutcome.result == LeaveWizard) return StepEnd::Stopped;
  return StepEnd::Passed;
}

}  // namespace dxl::engine
