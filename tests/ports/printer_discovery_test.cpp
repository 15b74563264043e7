// Where the printer is installed, from the registry lists of a built machine,
// and the repair that makes a port's connection persistent.
#include "ports/printer_discovery.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "machine_builder/hives.h"
#include "machine_builder/network_builder.h"
#include "platform/network/network.h"
#include "port_object/port.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;

constexpr std::size_t kPrinterPortsSize = 128;
constexpr std::string_view kLocalList = "HKEY_CLASSES_ROOT\\DXL\\LocalPrinters\\";
constexpr std::string_view kRemoteList = "HKEY_CLASSES_ROOT\\DXL\\RemotePrinters\\";

// A machine whose printer lists hold exactly the given subkeys.
class Discovery : public ::testing::Test {
 protected:
  void Printers(std::initializer_list<std::string_view> local, std::initializer_list<std::string_view> remote = {}) {
    for (auto name : local) tools::CreateRegistryKey(machine_.Builder(), std::string(kLocalList) + std::string(name));
    for (auto name : remote) tools::CreateRegistryKey(machine_.Builder(), std::string(kRemoteList) + std::string(name));
    machine_.Activate();
  }

  struct Found {
    int answer;
    std::string ports;
  };
  Found Find(int portNumber) {
    std::string out = "LPT1:";
    int answer = FindDriverPorts(0, portNumber, out, kPrinterPortsSize);
    return {answer, out};
  }

  TempMachine machine_;
};

TEST_F(Discovery, FindsThePrinterOnTheSelectedPort) {
  Printers({"DXLQ7,LPT1:"});
  Found found = Find(1);
  EXPECT_EQ(found.answer, 1);
  EXPECT_EQ(found.ports, "LPT1:");
}

TEST_F(Discovery, ListsLocalPrintersFirstEachKeyInEnumerationOrder) {
  Printers({"DXLQ7,LPT2:", "DXLQ7,LPT3:"});
  Found found = Find(1);
  EXPECT_EQ(found.answer, 0);
  EXPECT_EQ(found.ports, "LPT2:,LPT3:");

  machine_.Builder().Remove(machine_.HiveFile());
  Printers({"DXLQ7-A,LPT1:", "OTHER,LPT3:"}, {"DXLQ7-B,LPT2:"});
  found = Find(2);
  EXPECT_EQ(found.answer, 1);
  EXPECT_EQ(found.ports, "LPT1:,LPT2:");
}

TEST_F(Discovery, NoPrinterOfTheFamily) {
  Printers({});
  Found found = Find(1);
  EXPECT_EQ(found.answer, -1);
  EXPECT_EQ(found.ports, "LPT1:");  // left as it was

  // Names are compared exactly: another case is another family.
  Printers({"dxlq7,LPT1:", "OTHER,LPT1:"});
  EXPECT_EQ(Find(1).answer, -1);
}

TEST_F(Discovery, ANameWithoutAPortContributesNothing) {
  Printers({"DXLQ7,", "DXLQ7"});
  Found found = Find(1);
  EXPECT_EQ(found.answer, -1);
  EXPECT_EQ(found.ports, "");

  Printers({"DXLQ7,LPT4:"});
  found = Find(4);
  EXPECT_EQ(found.answer, 1);
  EXPECT_EQ(found.ports, "LPT4:");
}

TEST_F(Discovery, PortsAreComparedExactly) {
  Printers({"DXLQ7,lpt1:", "DXLQ7,LPT1"});
  Found found = Find(1);
  EXPECT_EQ(found.answer, 0);
  EXPECT_EQ(found.ports, "lpt1:,LPT1");
}

TEST_F(Discovery, AnOverlongNameIsSkippedAndTheListGoesOn) {
  // 32 characters: one more than the name buffer holds.
  Printers({"DXLQ7,LPT1:", "DXLQ7-A-VERY-LONG-PRINTERS,LPT2:", "DXLQ7,LPT3:"});
  Found found = Find(3);
  EXPECT_EQ(found.answer, 1);
  EXPECT_EQ(found.ports, "LPT1:,LPT3:");
}

TEST_F(Discovery, ManyPrintersAreAllJudgedAndTheListKeepsWhatFits) {
  // Eleven printers, more than nine names; the last one is on the selected port.
  for (int i = 0; i < 10; ++i)
    tools::CreateRegistryKey(machine_.Builder(), std::string(kLocalList) + "DXLQ7-" + std::to_string(i) +
                                                     ",FAR-AWAY-PRINTER-" + std::to_string(i) + ":");
  Printers({"DXLQ7,LPT1:"});

  Found found = Find(1);
  EXPECT_EQ(found.answer, 1);
  // Each port takes 19 characters: six of them and their commas fill 119 bytes; a seventh would not fit.
  EXPECT_EQ(found.ports.size(), 6u * 19 + 5);
  EXPECT_EQ(found.ports.substr(0, 20), "FAR-AWAY-PRINTER-0:,");
  EXPECT_EQ(found.ports.substr(found.ports.size() - 20), ",FAR-AWAY-PRINTER-5:");

  std::string tiny;
  EXPECT_EQ(FindDriverPorts(0, 1, tiny, 19), 1);
  EXPECT_EQ(tiny, "");  // not even the first port fits with its NUL
}

// PRINTSRV answers and shares the printer KRT310; OFFSRV does not answer.
class Reconnect : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& b = machine_.Builder();
    tools::AddServer(b, "PRINTSRV");
    tools::AddPrintShare(b, "PRINTSRV", "KRT310");
    tools::AddServer(b, "OFFSRV");
    tools::AddPrintShare(b, "OFFSRV", "KRT310");
    tools::SetServerReachable(b, "OFFSRV", false);
  }
  static std::string Connection(std::string_view port, w95::DWORD* result = nullptr) {
    std::string remote;
    w95::DWORD length = 260;
    w95::DWORD code = w95::WNetGetConnectionA(port, remote, length);
    if (result) *result = code;
    return remote;
  }

  TempMachine machine_;
};

TEST_F(Reconnect, AConnectedPortIsMadePersistentWithTheSameRemoteName) {
  tools::SetCurrentConnection(machine_.Builder(), 2, "\\\\PRINTSRV\\KRT310");
  machine_.Activate();
  ASSERT_EQ(Port("LPT2:").IsPersitentRedirected(), 0);

  EXPECT_EQ(ReconnectPort("LPT2:"), 1);
  w95::DWORD result = 0;
  EXPECT_EQ(Connection("LPT2:", &result), "\\\\PRINTSRV\\KRT310");
  EXPECT_EQ(result, w95::ERROR_SUCCESS);
  EXPECT_EQ(Port("LPT2:").IsPersitentRedirected(), 1);
  EXPECT_EQ(machine_.Read("C:\\MACHINE.INI").find("LPT2="), std::string::npos);  // no longer a passing one

  w95::RestartNetwork();
  EXPECT_EQ(Connection("LPT2:"), "\\\\PRINTSRV\\KRT310");
}

TEST_F(Reconnect, ARememberedConnectionIsAddedAgain) {
  tools::AddPersistentConnection(machine_.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  tools::SetServerReachable(machine_.Builder(), "PRINTSRV", false);
  machine_.Activate();
  w95::DWORD result = 0;
  Connection("LPT1:", &result);
  ASSERT_EQ(result, w95::ERROR_CONNECTION_UNAVAIL);

  tools::SetServerReachable(machine_.Builder(), "PRINTSRV", true);
  EXPECT_EQ(ReconnectPort("LPT1:"), 1);
  Connection("LPT1:", &result);
  EXPECT_EQ(result, w95::ERROR_SUCCESS);
  EXPECT_EQ(Port("LPT1:").IsPersitentRedirected(), 1);
}

TEST_F(Reconnect, AConnectionThatCannotBeMadeAgainIsKept) {
  // Connected while its server is down: dropping it would lose it for good.
  tools::SetCurrentConnection(machine_.Builder(), 3, "\\\\OFFSRV\\KRT310");
  machine_.Activate();
  EXPECT_EQ(ReconnectPort("LPT3:"), 0);
  w95::DWORD result = 0;
  EXPECT_EQ(Connection("LPT3:", &result), "\\\\OFFSRV\\KRT310");
  EXPECT_EQ(result, w95::ERROR_SUCCESS);
  EXPECT_EQ(Port("LPT3:").IsPersitentRedirected(), 0);
}

TEST_F(Reconnect, APortWithoutConnectionIsLeftAlone) {
  machine_.Activate();
  EXPECT_EQ(ReconnectPort("LPT1:"), 0);
  w95::DWORD result = 0;
  Connection("LPT1:", &result);
  EXPECT_EQ(result, w95::ERROR_NOT_CONNECTED);
  EXPECT_EQ(machine_.HiveText(true).find("Persistent"), std::string::npos);
}

}  // namespace
}  // namespace dxl
