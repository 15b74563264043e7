#include "machine_builder/demo_machine.h"

#include <string>

#include "machine_builder/hives.h"
#include "machine_builder/network_builder.h"
#include "machine_builder/printing_files.h"
#include "platform/spooler/spooler.h"

namespace dxl::tools {

namespace {

constexpr std::string_view kServer = "PRINTSRV";
constexpr std::string_view kPrintShare = "KRT310";

std::string Without(std::string text, const std::string& line) {
  auto at = text.find(line);
  if (at != std::string::npos) text.erase(at, line.size());
  return text;
}

// The print server's DXL share holds the same driver and data files as the
// installation.
void CopyToServer(MachineBuilder& builder, std::string_view name) {
  const PrintingFile& file = StandardPrintingFile(name);
  AddShareFile(builder, kServer, "DXL", file.name, builder.Read(PrintingFilePath(builder, file.directory, file.name)),
               file.stamp);
}

// A second Tavix KRT-310 on LPT2:, redirected to the print server's shared
// printer by a connection that is not persistent: it is gone after the next
// restart of Windows unless the wizard makes it persistent.
void AddNetworkPrinter(MachineBuilder& builder) {
  AddServer(builder, kServer);
  AddShare(builder, kServer, "DXL");
  AddPrintShare(builder, kServer, kPrintShare);
  CopyToServer(builder, "DXLQ7APD.APD");
  CopyToServer(builder, "DXLHRC.BIN");
  InstallPortKeys(builder, "LPT2:", true);
  SetCurrentConnection(builder, 2, "\\\\" + std::string(kServer) + "\\" + std::string(kPrintShare));
}

}  // namespace

void AddDemoProblems(MachineBuilder& builder) {
  // SYSTEM.INI lacks one of the three device= lines and has virtual memory off.
  std::string systemIni = Without(StandardSystemIni(), "device=DXLBANDS.386\r\n");
  systemIni.insert(systemIni.find("[386Enh]\r\n") + 10, "Paging=off\r\n");
  builder.SystemIni(systemIni);
  // The printer's bidirectional support is off.
  SetPrinterAttributes(builder, kPrinterName, w95::PRINTER_ATTRIBUTE_LOCAL | w95::PRINTER_ATTRIBUTE_DEFAULT);
  AddNetworkPrinter(builder);
}

}  // namespace dxl::tools
