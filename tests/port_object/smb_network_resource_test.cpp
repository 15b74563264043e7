// Port and NetworkResource against print servers reached over SMB: private
// smbd servers on loopback answer the wizard's network questions like the
// embedded servers do.
#include <gtest/gtest.h>

#include "machine_builder/network_builder.h"
#include "port_object/port.h"
#include "support/smb_test_server.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::SmbTestServer;
using testing::TempMachine;

TEST(SmbPrintServer, AnswersTheNetworkChecks) {
  SmbTestServer printServer;
  printServer.AddDiskShare("DXL");
  printServer.AddFile("DXL", "DXLQ7APD.APD", "apd");
  printServer.AddFile("DXL", "DXLHRC.BIN", "bin");
  printServer.AddPrintShare("KRT310");
  ASSERT_TRUE(printServer.Start());
  // A file server: an empty DXL share and no printers.
  SmbTestServer fileServer;
  fileServer.AddDiskShare("DXL");
  ASSERT_TRUE(fileServer.Start());
  // A server with a printer and no DXL share.
  SmbTestServer plainServer;
  plainServer.AddPrintShare("LASER");
  ASSERT_TRUE(plainServer.Start());

  TempMachine machine;
  printServer.Declare(machine.Builder(), "PRINTSRV");
  fileServer.Declare(machine.Builder(), "FILESRV");
  plainServer.Declare(machine.Builder(), "PLAINSRV");
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  machine.Activate();

  Port port("LPT1:");
  EXPECT_EQ(port.lastError, 0u);
  EXPECT_EQ(port.GetRemoteName(), "\\\\PRINTSRV\\KRT310");
  NetworkResource server(port.GetServerName());
  EXPECT_EQ(server.CanAccess(), 1);
  EXPECT_EQ(server.CanAccessPrinters(), 1);
  EXPECT_EQ(server.HasDirectory("DXL"), 1);
  EXPECT_EQ(server.HasDirectory("dxl"), 1);
  EXPECT_EQ(server.HasDirectory("KRT310"), 0);  // a print share lists nothing

  NetworkResource fileSrv("\\\\FILESRV");
  EXPECT_EQ(fileSrv.CanAccess(), 1);
  EXPECT_EQ(fileSrv.CanAccessPrinters(), 0);  // nothing to list is no success
  EXPECT_EQ(fileSrv.lastError, w95::ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(fileSrv.HasDirectory("DXL"), 0);  // an empty share

  NetworkResource plainSrv("\\\\PLAINSRV");
  EXPECT_EQ(plainSrv.CanAccessPrinters(), 1);
  EXPECT_EQ(plainSrv.HasDirectory("DXL"), 0);  // no such share

  printServer.Stop();
  NetworkResource down("\\\\PRINTSRV");
  EXPECT_EQ(down.CanAccess(), 0);
  EXPECT_EQ(down.lastError, w95::ERROR_BAD_NETPATH);
  EXPECT_EQ(down.CanAccessPrinters(), 0);
  EXPECT_EQ(down.HasDirectory("DXL"), 0);
}

TEST(SmbPrintServer, APersistentConnectionToAServerThatIsDownIsOnlyRemembered) {
  SmbTestServer printServer;
  printServer.AddPrintShare("KRT310");
  ASSERT_TRUE(printServer.Start());
  TempMachine machine;
  printServer.Declare(machine.Builder(), "PRINTSRV");
  tools::AddPersistentConnection(machine.Builder(), 2, "\\\\PRINTSRV\\KRT310");
  machine.Activate();
  EXPECT_EQ(Port("LPT2:").lastError, 0u);  // connected at logon: the server answers

  printServer.Stop();
  machine.Activate();  // a new logon
  Port remembered("LPT2:");
  EXPECT_EQ(remembered.lastError, w95::ERROR_CONNECTION_UNAVAIL);
  EXPECT_EQ(remembered.GetRemoteName(), "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(remembered.IsPersitentRedirected(), 1);
}

}  // namespace
}  // namespace dxl
