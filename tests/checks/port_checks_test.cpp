#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/ini_checks.h"
#include "machine_builder/parallel_ports.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;
using tools::SetParallelPort;
using w95::PortHardware;

TEST(TestPortOpen, PresentOrInUseCountsAsWorkingAndOnlyPortsOneToThreeAreTried) {
  TempMachine machine;
  EXPECT_EQ(TestPortOpen(1), 1);  // the default machine has LPT1: only
  EXPECT_EQ(TestPortOpen(2), 0);
  SetParallelPort(machine.Builder(), 1, PortHardware::InUse);
  SetParallelPort(machine.Builder(), 2, PortHardware::Present);
  SetParallelPort(machine.Builder(), 3, PortHardware::Absent);
  SetParallelPort(machine.Builder(), 4, PortHardware::Present);
  EXPECT_EQ(TestPortOpen(1), 1);
  EXPECT_EQ(TestPortOpen(2), 1);
  EXPECT_EQ(TestPortOpen(3), 0);
  EXPECT_EQ(TestPortOpen(4), 0);
  EXPECT_EQ(TestPortOpen(0), 0);
  EXPECT_EQ(TestPortOpen(4000000000u), 0);
}

class OtherPrinters : public ::testing::Test {
 protected:
  void Devices(const std::string& lines) {
    machine_.Builder().WinIni("[windows]\r\nload=\r\n\r\n[Devices]\r\n" + lines);
  }
  int Find(std::string_view port) { return FindOtherPrintersOnPort(port, names_); }

  TempMachine machine_;
  std::vector<std::string> names_;
};

TEST_F(OtherPrinters, OwnPrinterIsNeverListed) {
  Devices(
      "Tavix KRT-310=DXLQ7,LPT1:\r\n"
      "Tavix KRT-310 (copy 2)=DXLQ7,LPT1:\r\n"
      "My tavix krt-310=DXLQ7,LPT1:\r\n");
  EXPECT_EQ(Find("LPT1:"), 1);
  EXPECT_TRUE(names_.empty());
}

TEST_F(OtherPrinters, ListsEntriesNamingThePortInAnyCase) {
  Devices(
      "Tavix KRT-310=DXLQ7,LPT1:\r\n"
      "HP LaserJet=HPPCL,lpt1:\r\n"
      "Plotter=PLOT,LPT2:\r\n"
      "Fax=FAXDRV,COM1:,LPT1:\r\n");
  EXPECT_EQ(Find("LPT1:"), 0);
  EXPECT_EQ(names_, (std::vector<std::string>{"HP LaserJet", "Fax"}));
  EXPECT_EQ(Find("LPT2:"), 0);
  EXPECT_EQ(names_, (std::vector<std::string>{"Plotter"}));
  EXPECT_EQ(Find("LPT3:"), 1);
  EXPECT_TRUE(names_.empty()) << "earlier findings must not linger";
}

TEST_F(OtherPrinters, AllOfManyPrintersAreListed) {
  std::string lines;
  std::vector<std::string> expected;
  for (int i = 0; i < 60; ++i) {
    std::string name = "Office printer number " + std::to_string(i) + " on the second floor";
    lines += name + "=PCL5,LPT1:\r\n";
    expected.push_back(name);
  }
  Devices(lines);
  EXPECT_EQ(Find("LPT1:"), 0);
  EXPECT_EQ(names_, expected);
}

// Each printer is judged by the value a 128-byte buffer receives for its name.
TEST_F(OtherPrinters, ValuesAreJudgedAsTheProfileCallAnswersThem) {
  Devices(
      "Twice=PCL5,LPT2:\r\n"
      "twice=PCL5,LPT1:\r\n"
      "Quoted=\"PCL5,LPT1:\"\r\n"
      "Long=" +
      std::string(122, 'x') +
      ",LPT1:\r\n"
      "Fits=" +
      std::string(121, 'x') + ",LPT1:\r\n");
  EXPECT_EQ(Find("LPT1:"), 0);
  EXPECT_EQ(names_, (std::vector<std::string>{"Quoted", "Fits"}));
  EXPECT_EQ(Find("LPT2:"), 0);
  EXPECT_EQ(names_, (std::vector<std::string>{"Twice", "twice"}));
}

TEST_F(OtherPrinters, MissingSectionOrFileMeansNone) {
  machine_.Builder().WinIni("[windows]\r\nload=\r\n");
  EXPECT_EQ(Find("LPT1:"), 1);
  machine_.Builder().Remove(machine_.Builder().InWindows("WIN.INI"));
  EXPECT_EQ(Find("LPT1:"), 1);
}

}  // namespace
}  // namespace dxl
