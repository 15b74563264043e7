// Port and NetworkResource over real machines with a network around them.
#include "port_object/port.h"

#include <gtest/gtest.h>

#include "failing_allocation.h"
#include "machine_builder/network_builder.h"
#include "platform/base/win_types.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::FailAllocations;
using testing::TempMachine;

// PRINTSRV: print share KRT310, DXL share with the driver files.
// EMPTYSRV: nothing at all. DISKSRV: an empty DXL share, no printers.
// OFFSRV: declared, but does not answer.
void BuildNetwork(TempMachine& machine) {
  auto& b = machine.Builder();
  tools::AddServer(b, "PRINTSRV");
  tools::AddPrintShare(b, "PRINTSRV", "KRT310");
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLQ7APD.APD", "apd");
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLHRC.BIN", "bin");
  tools::AddServer(b, "EMPTYSRV");
  tools::AddServer(b, "DISKSRV");
  tools::AddShare(b, "DISKSRV", "DXL");
  tools::AddServer(b, "OFFSRV");
  tools::AddPrintShare(b, "OFFSRV", "KRT310");
  tools::SetServerReachable(b, "OFFSRV", false);
}

TEST(PortRedirection, ConnectedRememberedAndLocalPorts) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  tools::AddPersistentConnection(machine.Builder(), 2, "\\\\OFFSRV\\KRT310");

  Port connected("LPT1:");
  EXPECT_EQ(connected.name, "LPT1:");
  EXPECT_EQ(connected.portNumber, 1);
  EXPECT_EQ(connected.lastError, 0u);
  EXPECT_EQ(connected.GetRemoteName(), "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(connected.GetServerName(), "\\\\PRINTSRV");

  Port remembered("LPT2:");
  EXPECT_EQ(remembered.lastError, w95::ERROR_CONNECTION_UNAVAIL);
  EXPECT_EQ(remembered.GetRemoteName(), "\\\\OFFSRV\\KRT310");
  EXPECT_EQ(remembered.GetServerName(), "\\\\OFFSRV");

  Port local("LPT3:");
  EXPECT_EQ(local.portNumber, 3);
  EXPECT_EQ(local.lastError, w95::ERROR_NOT_CONNECTED);
  EXPECT_EQ(local.GetRemoteName(), "");
  EXPECT_EQ(local.GetServerName(), "");

  Port noSuchPort("LPT0:");
  EXPECT_EQ(noSuchPort.portNumber, 0);
  EXPECT_EQ(noSuchPort.lastError, w95::ERROR_BAD_DEVICE);
  EXPECT_EQ(noSuchPort.GetRemoteName(), "");
}

TEST(PortRedirection, ServerNameKeepsTheLeadingBackslashes) {
  TempMachine machine;
  Port port("LPT1:");
  for (auto [remote, server] : {std::pair{"\\\\srv\\laser", "\\\\srv"},
                                {"\\\\srv", "\\\\srv"},
                                {"\\\\\\srv\\laser", "\\\\\\srv"},
                                {"srv\\laser", "srv"},
                                {"\\\\", "\\\\"}}) {
    port.remoteName = remote;
    EXPECT_EQ(port.GetServerName(), server) << remote;
  }
}

TEST(PortRedirection, PortNumberIsReadWithAutomaticBase) {
  TempMachine machine;
  EXPECT_EQ(Port("LPT9:").portNumber, 9);
  EXPECT_EQ(Port("LPT010:").portNumber, 8);
  EXPECT_EQ(Port("LPT0x1F").portNumber, 31);
  EXPECT_EQ(Port("LP").portNumber, 0);
}

TEST(PersistentRedirection, OnlyThePresenceOfRemotePathCounts) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  tools::AddPersistentConnection(machine.Builder(), 1, "\\\\ELSEWHERE\\OTHER");
  tools::AddPersistentConnection(machine.Builder(), 2, std::nullopt);
  tools::SetCurrentConnection(machine.Builder(), 2, "\\\\PRINTSRV\\KRT310");
  tools::SetCurrentConnection(machine.Builder(), 3, "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(Port("LPT1:").IsPersitentRedirected(), 1);  // another remote name still counts
  EXPECT_EQ(Port("LPT2:").IsPersitentRedirected(), 0);  // the key without its value
  EXPECT_EQ(Port("LPT3:").IsPersitentRedirected(), 0);  // no key
}

TEST(PersistentRedirection, ReconnectingMakesItPersistent) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  ASSERT_EQ(Port("LPT1:").IsPersitentRedirected(), 0);
  w95::NetResource resource;
  resource.dwType = w95::RESOURCETYPE_PRINT;
  resource.localName = "LPT1:";
  resource.remoteName = Port("LPT1:").GetRemoteName();
  ASSERT_EQ(w95::WNetCancelConnection2A("LPT1:", w95::CONNECT_UPDATE_PROFILE, 1), w95::ERROR_SUCCESS);
  ASSERT_EQ(w95::WNetAddConnection2A(resource, "", std::nullopt, w95::CONNECT_UPDATE_PROFILE), w95::ERROR_SUCCESS);
  EXPECT_EQ(Port("LPT1:").IsPersitentRedirected(), 1);
  EXPECT_EQ(Port("LPT1:").GetRemoteName(), "\\\\PRINTSRV\\KRT310");
}

TEST(ServerAccess, AServerCanBeBrowsedOnlyWhenItListsSomething) {
  TempMachine machine;
  BuildNetwork(machine);
  NetworkResource server("\\\\PRINTSRV");
  EXPECT_EQ(server.lastError, 0u);
  EXPECT_EQ(server.CanAccess(), 1);
  EXPECT_EQ(server.lastError, 0u);

  NetworkResource empty("\\\\EMPTYSRV");
  EXPECT_EQ(empty.CanAccess(), 0);
  EXPECT_EQ(empty.lastError, w95::ERROR_NO_MORE_ITEMS);

  NetworkResource down("\\\\OFFSRV");
  EXPECT_EQ(down.CanAccess(), 0);
  EXPECT_EQ(down.lastError, w95::ERROR_BAD_NETPATH);
  NetworkResource unknown("\\\\NOSUCH");
  EXPECT_EQ(unknown.CanAccess(), 0);
  EXPECT_EQ(unknown.lastError, w95::ERROR_BAD_NETPATH);
}

TEST(ServerAccess, PrintersArePresentOrAbsent) {
  TempMachine machine;
  BuildNetwork(machine);
  EXPECT_EQ(NetworkResource("\\\\PRINTSRV").CanAccessPrinters(), 1);
  NetworkResource diskOnly("\\\\DISKSRV");
  EXPECT_EQ(diskOnly.CanAccess(), 1);
  EXPECT_EQ(diskOnly.CanAccessPrinters(), 0);
  EXPECT_EQ(diskOnly.lastError, w95::ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(NetworkResource("\\\\OFFSRV").CanAccessPrinters(), 0);
}

TEST(ServerAccess, DirectoryNeedsAtLeastOneEntry) {
  TempMachine machine;
  BuildNetwork(machine);
  EXPECT_EQ(NetworkResource("\\\\PRINTSRV").HasDirectory("DXL"), 1);
  EXPECT_EQ(NetworkResource("\\\\PRINTSRV").HasDirectory("dxl"), 1);
  EXPECT_EQ(NetworkResource("\\\\DISKSRV").HasDirectory("DXL"), 0);   // an empty share
  EXPECT_EQ(NetworkResource("\\\\EMPTYSRV").HasDirectory("DXL"), 0);  // no such share
  EXPECT_EQ(NetworkResource("\\\\NOSUCH").HasDirectory("DXL"), 0);
  EXPECT_EQ(NetworkResource("\\\\PRINTSRV").HasDirectory(".."), 0);
}

TEST(OutOfMemory, PortOperationsSayItOnStandardOutput) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  tools::AddPersistentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  Port port("LPT1:");
  ASSERT_EQ(port.IsPersitentRedirected(), 1);

  ::testing::internal::CaptureStdout();
  std::string server = "unchanged";
  {
    FailAllocations failing;
    server = port.GetServerName();
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Port::GetServerName(): Ran out of memory.\n");
  EXPECT_EQ(server, "");

  ::testing::internal::CaptureStdout();
  int persistent = -1;
  {
    FailAllocations failing;
    persistent = port.IsPersitentRedirected();
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Port::IsPersitentRedirected(): Ran out of memory\n");
  EXPECT_EQ(persistent, 0);
}

TEST(OutOfMemory, EnumerationWithoutItsBufferAnswersNotEnoughMemory) {
  TempMachine machine;
  BuildNetwork(machine);
  NetworkResource server("\\\\PRINTSRV");
  int access = -1;
  {
    FailAllocations failing(16384);  // the enumeration buffer, not the small allocations around it
    access = server.CanAccess();
  }
  EXPECT_EQ(access, 0);
  EXPECT_EQ(server.lastError, w95::ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(server.CanAccess(), 1);
}

}  // namespace
}  // namespace dxl
