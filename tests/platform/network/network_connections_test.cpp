// Port connections: WNetGetConnectionA, WNetAddConnection2A,
// WNetCancelConnection2A, the logon that restores persistent connections, and
// what they leave in the machine's files.
#include <gtest/gtest.h>

#include "machine_builder/network_builder.h"
#include "platform/base/last_error.h"
#include "platform/machine/machine.h"
#include "platform/network/network.h"
#include "platform/network/network_state.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::TempMachine;
namespace tools = dxl::tools;

struct Query {
  DWORD result;
  std::string remoteName;
  DWORD length;
};

Query Get(std::string_view localName, DWORD length = 261) {
  Query query{0, "", length};
  query.result = WNetGetConnectionA(localName, query.remoteName, query.length);
  EXPECT_EQ(GetLastError(), query.result);
  return query;
}

// PRINTSRV answers with the print share KRT310; OFFSRV is declared but down.
void BuildNetwork(TempMachine& machine) {
  auto& b = machine.Builder();
  tools::AddServer(b, "PRINTSRV");
  tools::AddShare(b, "PRINTSRV", "DXL");
  tools::AddPrintShare(b, "PRINTSRV", "KRT310");
  tools::AddServer(b, "OFFSRV");
  tools::AddPrintShare(b, "OFFSRV", "KRT310");
  tools::SetServerReachable(b, "OFFSRV", false);
}

NetResource PrinterConnection(std::string localName, std::string remoteName) {
  NetResource resource;
  resource.dwType = RESOURCETYPE_PRINT;
  resource.localName = std::move(localName);
  resource.remoteName = std::move(remoteName);
  return resource;
}

std::string PersistentRemotePath(unsigned port) {
  RegKey key;
  if (RegOpenKeyExA(RootKey::CurrentUser, "Network\\Persistent\\LPT" + std::to_string(port), 0, KEY_READ, key) !=
      ERROR_SUCCESS)
    return "<no key>";
  std::string data;
  DWORD size = 261;
  if (RegQueryValueExA(key, "RemotePath", nullptr, &data, size) != ERROR_SUCCESS) return "<no value>";
  return RegText(data);
}

TEST(GetConnection, AnswersForConnectedRememberedAndFreePorts) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::AddPersistentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  tools::AddPersistentConnection(machine.Builder(), 2, "\\\\OFFSRV\\KRT310");
  tools::SetCurrentConnection(machine.Builder(), 3, "\\\\PRINTSRV\\KRT310");

  Query connected = Get("LPT1:");
  EXPECT_EQ(connected.result, ERROR_SUCCESS);
  EXPECT_EQ(connected.remoteName, "\\\\PRINTSRV\\KRT310");
  Query remembered = Get("LPT2:");
  EXPECT_EQ(remembered.result, ERROR_CONNECTION_UNAVAIL);
  EXPECT_EQ(remembered.remoteName, "\\\\OFFSRV\\KRT310");
  EXPECT_EQ(Get("lpt3").result, ERROR_SUCCESS);
  EXPECT_EQ(Get("LPT4:").result, ERROR_NOT_CONNECTED);
  EXPECT_EQ(Get("LPT0:").result, ERROR_BAD_DEVICE);
  EXPECT_EQ(Get("COM1:").result, ERROR_BAD_DEVICE);
  EXPECT_EQ(Get("LPT1:x").result, ERROR_BAD_DEVICE);
}

TEST(GetConnection, TellsTheLengthNeededWhenTheBufferIsShort) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  Query shortBuffer = Get("LPT1:", 17);  // the name has 17 characters: no room for its NUL
  EXPECT_EQ(shortBuffer.result, ERROR_MORE_DATA);
  EXPECT_EQ(shortBuffer.length, 18u);
  EXPECT_EQ(shortBuffer.remoteName, "");
  EXPECT_EQ(Get("LPT1:", 18).result, ERROR_SUCCESS);
}

TEST(GetConnection, AServerThatComesBackIsConnectedAtTheNextLogon) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::AddPersistentConnection(machine.Builder(), 1, "\\\\OFFSRV\\KRT310");
  EXPECT_EQ(Get("LPT1:").result, ERROR_CONNECTION_UNAVAIL);
  tools::SetServerReachable(machine.Builder(), "OFFSRV", true);
  EXPECT_EQ(Get("LPT1:").result, ERROR_CONNECTION_UNAVAIL);  // logon was earlier
  RestartNetwork();
  EXPECT_EQ(Get("LPT1:").result, ERROR_SUCCESS);
}

TEST(AddConnection, PersistentConnectionsAreRecordedInTheUsersHive) {
  TempMachine machine;
  BuildNetwork(machine);
  EXPECT_EQ(
      WNetAddConnection2A(PrinterConnection("LPT1:", "\\\\PRINTSRV\\KRT310"), "", std::nullopt, CONNECT_UPDATE_PROFILE),
      ERROR_SUCCESS);
  EXPECT_EQ(Get("LPT1:").remoteName, "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(PersistentRemotePath(1), "\\\\PRINTSRV\\KRT310");
  EXPECT_NE(machine.HiveText(true).find("RemotePath"), std::string::npos);

  // A fresh process on the same machine finds it again at logon.
  machine.Activate();
  EXPECT_EQ(Get("LPT1:").result, ERROR_SUCCESS);
  EXPECT_EQ(Get("LPT1:").remoteName, "\\\\PRINTSRV\\KRT310");
}

TEST(AddConnection, OtherConnectionsLastUntilWindowsRestarts) {
  TempMachine machine;
  BuildNetwork(machine);
  ASSERT_EQ(WNetAddConnection2A(PrinterConnection("LPT2", "\\\\PRINTSRV\\KRT310"), std::nullopt, std::nullopt, 0),
            ERROR_SUCCESS);
  EXPECT_EQ(PersistentRemotePath(2), "<no key>");
  machine.Activate();  // another process: the connection is still there
  EXPECT_EQ(Get("LPT2:").result, ERROR_SUCCESS);
  RestartNetwork();
  EXPECT_EQ(Get("LPT2:").result, ERROR_NOT_CONNECTED);
  machine.Activate();
  EXPECT_EQ(Get("LPT2:").result, ERROR_NOT_CONNECTED);
}

TEST(AddConnection, RefusesWhatCannotBeConnected) {
  TempMachine machine;
  BuildNetwork(machine);
  auto add = [](std::string local, std::string remote, DWORD type = RESOURCETYPE_PRINT) {
    NetResource resource = PrinterConnection(std::move(local), std::move(remote));
    resource.dwType = type;
    return WNetAddConnection2A(resource, "", std::nullopt, CONNECT_UPDATE_PROFILE);
  };
  EXPECT_EQ(add("LPT1:", "\\\\NOSUCH\\KRT310"), ERROR_BAD_NETPATH);
  EXPECT_EQ(add("LPT1:", "\\\\OFFSRV\\KRT310"), ERROR_BAD_NETPATH);
  EXPECT_EQ(add("LPT1:", "\\\\PRINTSRV\\NOSHARE"), ERROR_BAD_NET_NAME);
  EXPECT_EQ(add("LPT1:", "\\\\PRINTSRV\\DXL"), ERROR_BAD_DEV_TYPE);  // a disk share on a port
  EXPECT_EQ(add("LPT1:", "\\\\PRINTSRV\\KRT310", RESOURCETYPE_DISK), ERROR_BAD_DEV_TYPE);
  EXPECT_EQ(add("LPT1:", "PRINTSRV\\KRT310"), ERROR_BAD_NET_NAME);
  EXPECT_EQ(add("LPT1:", "\\\\PRINTSRV\\..\\KRT310"), ERROR_BAD_NET_NAME);
  EXPECT_EQ(add("COM1:", "\\\\PRINTSRV\\KRT310"), ERROR_BAD_DEVICE);
  EXPECT_EQ(Get("LPT1:").result, ERROR_NOT_CONNECTED);
  EXPECT_EQ(PersistentRemotePath(1), "<no key>");

  EXPECT_EQ(add("LPT1:", "\\\\PRINTSRV\\KRT310"), ERROR_SUCCESS);
  EXPECT_EQ(add("LPT1:", "\\\\PRINTSRV\\KRT310"), ERROR_ALREADY_ASSIGNED);
}

TEST(CancelConnection, ForgetsThePersistentRecordOnlyWhenAsked) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::AddPersistentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  tools::AddPersistentConnection(machine.Builder(), 2, "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(WNetCancelConnection2A("LPT1:", 0, 1), ERROR_SUCCESS);
  EXPECT_EQ(Get("LPT1:").result, ERROR_NOT_CONNECTED);
  EXPECT_EQ(PersistentRemotePath(1), "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(WNetCancelConnection2A("LPT2:", CONNECT_UPDATE_PROFILE, 1), ERROR_SUCCESS);
  EXPECT_EQ(PersistentRemotePath(2), "<no key>");
  EXPECT_EQ(WNetCancelConnection2A("LPT2:", CONNECT_UPDATE_PROFILE, 1), ERROR_NOT_CONNECTED);
  EXPECT_EQ(WNetCancelConnection2A("LPT0:", 0, 1), ERROR_BAD_DEVICE);
}

TEST(CancelConnection, DropsAConnectionInUseOnlyWithForce) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  {
    ConnectionUse job = Machine::Current().Service<NetworkState>().Use("LPT1");
    ASSERT_TRUE(job);
    EXPECT_EQ(WNetCancelConnection2A("LPT1:", 0, 0), ERROR_OPEN_FILES);
    EXPECT_EQ(Get("LPT1:").result, ERROR_SUCCESS);
  }
  EXPECT_EQ(WNetCancelConnection2A("LPT1:", 0, 0), ERROR_SUCCESS);

  tools::SetCurrentConnection(machine.Builder(), 2, "\\\\PRINTSRV\\KRT310");
  machine.Activate();
  ConnectionUse job = Machine::Current().Service<NetworkState>().Use("LPT2");
  EXPECT_EQ(WNetCancelConnection2A("LPT2:", 0, 1), ERROR_SUCCESS);
  EXPECT_EQ(Get("LPT2:").result, ERROR_NOT_CONNECTED);
  EXPECT_EQ(machine.Read("C:\\MACHINE.INI").find("LPT2"), std::string::npos);
}

TEST(Reconnect, ARememberedConnectionIsMadePersistentAgain) {
  // What the wizard's repair does: query, cancel when connected, add as persistent.
  TempMachine machine;
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  Query query = Get("LPT1:");
  ASSERT_EQ(query.result, ERROR_SUCCESS);
  EXPECT_EQ(WNetCancelConnection2A("LPT1:", CONNECT_UPDATE_PROFILE, 1), ERROR_SUCCESS);
  EXPECT_EQ(WNetAddConnection2A(PrinterConnection("LPT1:", query.remoteName), "", std::nullopt, CONNECT_UPDATE_PROFILE),
            ERROR_SUCCESS);
  EXPECT_EQ(PersistentRemotePath(1), "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(machine.Read("C:\\MACHINE.INI").find("LPT1"), std::string::npos);
  RestartNetwork();
  EXPECT_EQ(Get("LPT1:").result, ERROR_SUCCESS);

  // Remembered while its server was down; the server is back: adding it again connects it.
  tools::AddPersistentConnection(machine.Builder(), 2, "\\\\OFFSRV\\KRT310");
  machine.Activate();
  ASSERT_EQ(Get("LPT2:").result, ERROR_CONNECTION_UNAVAIL);
  EXPECT_EQ(
      WNetAddConnection2A(PrinterConnection("LPT2:", "\\\\OFFSRV\\KRT310"), "", std::nullopt, CONNECT_UPDATE_PROFILE),
      ERROR_BAD_NETPATH);
  tools::SetServerReachable(machine.Builder(), "OFFSRV", true);
  EXPECT_EQ(
      WNetAddConnection2A(PrinterConnection("LPT2:", "\\\\OFFSRV\\KRT310"), "", std::nullopt, CONNECT_UPDATE_PROFILE),
      ERROR_SUCCESS);
  EXPECT_EQ(Get("LPT2:").result, ERROR_SUCCESS);
}

TEST(SpoolerPorts, RedirectedPortsShowTheirRemoteName) {
  TempMachine machine;
  machine.Builder().InstallPrintingSystem();
  BuildNetwork(machine);
  tools::SetCurrentConnection(machine.Builder(), 2, "\\\\PRINTSRV\\KRT310");
  tools::AddPersistentConnection(machine.Builder(), 3, "\\\\OFFSRV\\KRT310");
  std::vector<PortInfo2> ports;
  DWORD needed = 0, returned = 0;
  ASSERT_TRUE(EnumPortsA("", 2, &ports, 16384, needed, returned));
  auto find = [&](std::string_view name) -> const PortInfo2* {
    for (const auto& port : ports)
      if (port.pPortName == name) return &port;
    return nullptr;
  };
  ASSERT_NE(find("LPT1:"), nullptr);
  EXPECT_EQ(find("LPT1:")->fPortType & PORT_TYPE_REDIRECTED, 0u);
  ASSERT_NE(find("LPT2:"), nullptr);
  EXPECT_NE(find("LPT2:")->fPortType & PORT_TYPE_REDIRECTED, 0u);
  EXPECT_EQ(find("LPT2:")->pDescription, "\\\\PRINTSRV\\KRT310");
  ASSERT_NE(find("LPT3:"), nullptr);  // remembered while its server is down: still a network port
  EXPECT_EQ(find("LPT3:")->pDescription, "\\\\OFFSRV\\KRT310");

  ASSERT_EQ(WNetCancelConnection2A("LPT2:", 0, 1), ERROR_SUCCESS);
  ASSERT_TRUE(EnumPortsA("", 2, &ports, 16384, needed, returned));
  ASSERT_NE(find("LPT2:"), nullptr);  // WIN.INI still lists it, now as a local port
  EXPECT_EQ(find("LPT2:")->fPortType & PORT_TYPE_REDIRECTED, 0u);
}

}  // namespace
}  // namespace w95
