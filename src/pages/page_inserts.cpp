// The values of the pages' filled lines, read when a page is initialised.
#include "app_state/troubleshooter_app.h"
#include "outcome/step_outcome.h"
#include "pages/page_rows.h"
#include "port_object/port.h"
#include "resources/format.h"

namespace dxl {

namespace {

std::string ServerName() { return Port(theApp().PortName()).GetServerName(); }

}  // namespace

std::string InsertValue(Insert insert) {
  switch (insert) {
    case Insert::None: return {};
    case Insert::PrinterPorts: {
      std::string ports;
      theApp().CopyPrinterPorts(ports);
      return ports;
    }
    case Insert::PortName: return theApp().PortName();
    case Insert::ServerName: return ServerName();
    case Insert::ServerDirectory: return FormatPrintf("%s\\DXL", {ServerName()});
    case Insert::RemoteName: return Port(theApp().PortName()).GetRemoteName();
    case Insert::OtherPrinter:
      return otherPrinterCursor < otherPrinterNames.size() ? otherPrinterNames[otherPrinterCursor] : std::string();
    case Insert::CurrentFileName: return currentFileName;
    case Insert::LogPath: return theApp().logPath;
    case Insert::DriverFile: return "DXLQ7APD.APD";
    case Insert::DataFile: return "DXLHRC.BIN";
  }
  return {};
}

}  // namespace dxl
