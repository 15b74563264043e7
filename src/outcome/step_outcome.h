// The program-wide values through which the check engine, the wizard driver,
// the pages and the installed-files verification hand control and findings to
// each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dxl {

// What the driver does next (the `result` of StepOutcome).
enum ResultCode : std::int32_t {
  RunNextStep = 0,
  PrinterOnOtherPort = 1,
  PortDriverFault = 2,
  OtherPrinterOnPort = 3,
  SystemIniIncomplete = 4,
  WinIniIncomplete = 5,
  VirtualMemoryOff = 6,
  BidiSupportOff = 7,
  DosSpoolingOff = 8,
  RegistryEntriesWrong = 9,
  InstalledFilesWrong = 11,
  NoNetworkConnection = 12,
  ServerUnreachable = 13,
  NetworkPrinterUnreachable = 14,
  ConnectionNotPersistent = 15,
  ServerDirectoryUnreachable = 16,
  ServerDriverFileMissing = 17,
  ServerDataFileMissing = 18,
  ServerFileMismatch = 19,
  ChecksFinished = 20,
  LeaveWizard = 23,
};

struct StepOutcomeValues {
  std::int32_t result = RunNextStep;
  std::int32_t nextStep = 0;
};

extern StepOutcomeValues StepOutcome;

// Bit mask left by the SYSTEM.INI check (1 DXLCPEPY.386, 2 DXLBANDS.386,
// 4 DXLQ7EM.386) or the WIN.INI load= check (1 DXLHRC.EXE).
extern std::uint8_t iniFindings;

// The WIN.INI [Devices] entries of other printers attached to the selected
// port, and the one the other-printer page shows.
extern std::vector<std::string> otherPrinterNames;
extern std::size_t otherPrinterCursor;

// The file the delete-file page names.
extern std::string currentFileName;

// Puts the application object and the program-wide values back to their
// initial state (a fresh start; used between test cases).
void ResetProgramState();

}  // namespace dxl
