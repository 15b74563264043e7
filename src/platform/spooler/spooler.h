// The print spooler of the emulated Windows 95.
//
// Printers are the registry keys
// HKEY_LOCAL_MACHINE\System\CurrentControlSet\control\Print\Printers\<name>
// (values Port, Attributes, Printer Driver, ...). Ports are the entries of
// WIN.INI [Ports], together with the LPT ports that the network layer reports
// as redirected (port_redirections.h). Moving a printer to another port also
// rewrites its WIN.INI [Devices] and [PrinterPorts] lines (and [windows]
// device= when it is the default printer), which 16-bit programs read.
//
// Results are Windows': BOOL with the last error set on failure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace w95 {

constexpr BOOL kFalse = 0;
constexpr BOOL kTrue = 1;

constexpr DWORD ERROR_INVALID_LEVEL = 124;
constexpr DWORD ERROR_UNKNOWN_PORT = 1796;

constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x004;
constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x040;
constexpr DWORD PRINTER_ATTRIBUTE_ENABLE_BIDI = 0x800;

constexpr DWORD PORT_TYPE_WRITE = 1;
constexpr DWORD PORT_TYPE_READ = 2;
constexpr DWORD PORT_TYPE_REDIRECTED = 4;

// The spooler's printers key below HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kPrintersKey = "System\\CurrentControlSet\\control\\Print\\Printers";

// PRINTER_INFO_2 without its device mode and security descriptor.
struct PrinterInfo2 {
  std::string pServerName;
  std::string pPrinterName;
  std::string pShareName;
  std::string pPortName;
  std::string pDriverName;
  std::string pComment;
  std::string pLocation;
  std::string pSepFile;
  std::string pPrintProcessor;
  std::string pDatatype;
  std::string pParameters;
  DWORD Attributes = 0;
  DWORD Priority = 0;
  DWORD DefaultPriority = 0;
  DWORD StartTime = 0;
  DWORD UntilTime = 0;
  DWORD Status = 0;
  DWORD cJobs = 0;
  DWORD AveragePPM = 0;
};

// PORT_INFO_2.
struct PortInfo2 {
  std::string pPortName;
  std::string pMonitorName;
  std::string pDescription;
  DWORD fPortType = 0;
};

// A printer handle; closes itself, ClosePrinter closes early.
class PrinterHandle {
 public:
  PrinterHandle() = default;
  bool Valid() const { return !printerName_.empty(); }
  explicit operator bool() const { return Valid(); }
  // The printer's name as the spooler spells it.
  const std::string& PrinterName() const { return printerName_; }

 private:
  friend BOOL OpenPrinterA(std::string_view, PrinterHandle&);
  friend BOOL ClosePrinter(PrinterHandle&);
  std::string printerName_;
};

// Opens a local printer by name (without regard to case), no defaults.
// ERROR_INVALID_PRINTER_NAME when there is no such printer.
BOOL OpenPrinterA(std::string_view printerName, PrinterHandle& printer);
BOOL ClosePrinter(PrinterHandle& printer);

// Level 2 only (else ERROR_INVALID_LEVEL). `needed` always receives the size
// of the record as Windows lays it out (84 bytes plus each string with its
// NUL); with `info` null, or `bufferSize` smaller than that, the call fails
// with ERROR_INSUFFICIENT_BUFFER: the size query.
BOOL GetPrinterA(const PrinterHandle& printer, DWORD level, PrinterInfo2* info, DWORD bufferSize, DWORD& needed);

// Level 2 with command 0 stores the record's port, attributes, driver and
// texts (only what differs is written). The port must be one the spooler
// knows (ERROR_UNKNOWN_PORT); the printer cannot be renamed this way
// (ERROR_INVALID_PARAMETER).
BOOL SetPrinterA(const PrinterHandle& printer, DWORD level, const PrinterInfo2* info, DWORD command);

// Level 2 only, local machine only (`serverName` empty). Same size rules as
// GetPrinterA: 20 bytes per record plus its strings with their NULs; on
// success `returned` is the number of records in `ports`.
BOOL EnumPortsA(std::string_view serverName, DWORD level, std::vector<PortInfo2>* ports, DWORD bufferSize,
                DWORD& needed, DWORD& returned);

}  // namespace w95
