#include "platform/spooler/spooler.h"

#include <gtest/gtest.h>

#include "machine_builder/hives.h"
#include "platform/base/last_error.h"
#include "platform/profile/profile.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::tools::kPrinterName;

class SpoolerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    machine_.Activate();
  }

  PrinterInfo2 Record(std::string_view name) {
    PrinterHandle printer;
    EXPECT_TRUE(OpenPrinterA(name, printer));
    PrinterInfo2 info;
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, needed);
    EXPECT_TRUE(GetPrinterA(printer, 2, &info, needed, needed));
    return info;
  }

  std::string WinIni() { return machine_.Read("C:\\WINDOWS\\WIN.INI"); }
  // The machine hive's keys as text, and its file's bytes.
  std::string SystemReg() { return machine_.HiveText(); }
  std::string HiveBytes() { return machine_.Read(machine_.HiveFile()); }

  dxl::testing::TempMachine machine_;
};

TEST_F(SpoolerTest, OpensKnownPrintersOnly) {
  PrinterHandle printer;
  EXPECT_TRUE(OpenPrinterA("tavix krt-310", printer));
  EXPECT_EQ(printer.PrinterName(), "Tavix KRT-310");
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));

  EXPECT_FALSE(OpenPrinterA("Tavix KRT-120", printer));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
  EXPECT_FALSE(printer.Valid());
  EXPECT_FALSE(OpenPrinterA("", printer));
}

TEST_F(SpoolerTest, GetPrinterTellsTheSizeFirstThenFillsTheRecord) {
  PrinterHandle printer;
  ASSERT_TRUE(OpenPrinterA(kPrinterName, printer));
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterA(printer, 2, nullptr, 0, needed));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  // 84 + "Tavix KRT-310" (name and driver), "LPT1:", "WINPRINT", "EMF", each with its NUL.
  EXPECT_EQ(needed, 84u + 14 + 6 + 14 + 9 + 4);

  PrinterInfo2 info;
  DWORD small = needed - 1;
  EXPECT_FALSE(GetPrinterA(printer, 2, &info, small, small));
  EXPECT_TRUE(GetPrinterA(printer, 2, &info, needed, needed));
  EXPECT_EQ(info.pPrinterName, "Tavix KRT-310");
  EXPECT_EQ(info.pPortName, "LPT1:");
  EXPECT_EQ(info.pDriverName, "Tavix KRT-310");
  EXPECT_EQ(info.Attributes, PRINTER_ATTRIBUTE_ENABLE_BIDI | PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_DEFAULT);

  EXPECT_FALSE(GetPrinterA(printer, 1, &info, needed, needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

TEST_F(SpoolerTest, MovingThePrinterUpdatesItsKeyAndItsWinIniLines) {
  PrinterInfo2 info = Record(kPrinterName);
  info.pPortName = "FILE:";
  PrinterHandle printer;
  ASSERT_TRUE(OpenPrinterA(kPrinterName, printer));
  ASSERT_TRUE(SetPrinterA(printer, 2, &info, 0));

  EXPECT_EQ(Record(kPrinterName).pPortName, "FILE:");
  EXPECT_NE(SystemReg().find("\"Port\"=\"FILE:\""), std::string::npos);
  std::string winIni = WinIni();
  EXPECT_NE(winIni.find("Tavix KRT-310=DXLQ7,FILE:\r\n"), std::string::npos);
  EXPECT_NE(winIni.find("Tavix KRT-310=DXLQ7,FILE:,15,45\r\n"), std::string::npos);
  EXPECT_NE(winIni.find("device=Tavix KRT-310,DXLQ7,FILE:\r\n"), std::string::npos);
  EXPECT_EQ(winIni.find("LPT1:,"), std::string::npos);
  EXPECT_NE(winIni.find("[Ports]\r\nLPT1:=\r\n"), std::string::npos);
}

TEST_F(SpoolerTest, SetPrinterWritesOnlyWhatChanged) {
  std::string hiveBefore = SystemReg();
  std::string bytesBefore = HiveBytes();
  std::string winIniBefore = WinIni();
  PrinterInfo2 info = Record(kPrinterName);
  PrinterHandle printer;
  ASSERT_TRUE(OpenPrinterA(kPrinterName, printer));
  ASSERT_TRUE(SetPrinterA(printer, 2, &info, 0));
  EXPECT_EQ(HiveBytes(), bytesBefore);

  info.Attributes = 0x40;
  ASSERT_TRUE(SetPrinterA(printer, 2, &info, 0));
  std::string expected = hiveBefore;
  expected.replace(expected.find("\"Attributes\"=dword:00000844"), 27, "\"Attributes\"=dword:00000040");
  EXPECT_EQ(SystemReg(), expected);
  EXPECT_EQ(WinIni(), winIniBefore);
}

TEST_F(SpoolerTest, SetPrinterRefusesUnknownPortsAndRenames) {
  std::string hiveBefore = HiveBytes();
  PrinterInfo2 info = Record(kPrinterName);
  PrinterHandle printer;
  ASSERT_TRUE(OpenPrinterA(kPrinterName, printer));

  info.pPortName = "LPT9:";
  EXPECT_FALSE(SetPrinterA(printer, 2, &info, 0));
  EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PORT);

  info = Record(kPrinterName);
  info.pPrinterName = "Another";
  EXPECT_FALSE(SetPrinterA(printer, 2, &info, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetPrinterA(printer, 2, nullptr, 0));
  EXPECT_EQ(HiveBytes(), hiveBefore);
}

TEST_F(SpoolerTest, MovingAPrinterWithoutWinIniLinesWritesThem) {
  dxl::tools::InstallSpoolerPrinter(machine_.Builder(), "Other Printer", "LPT1:", PRINTER_ATTRIBUTE_LOCAL);
  machine_.Activate();
  PrinterInfo2 info = Record("Other Printer");
  info.pPortName = "LPT2:";
  PrinterHandle printer;
  ASSERT_TRUE(OpenPrinterA("Other Printer", printer));
  ASSERT_TRUE(SetPrinterA(printer, 2, &info, 0));
  std::string value;
  GetProfileStringA("Devices", "Other Printer", "", value, 260);
  EXPECT_EQ(value, "Other Printer,LPT2:");
  GetProfileStringA("PrinterPorts", "Other Printer", "", value, 260);
  EXPECT_EQ(value, "Other Printer,LPT2:,15,45");
  // The default printer stays where it was.
  GetProfileStringA("windows", "device", "", value, 260);
  EXPECT_EQ(value, "Tavix KRT-310,DXLQ7,LPT1:");
}

TEST_F(SpoolerTest, EnumPortsListsWinIniPortsWithTheSizeQuery) {
  DWORD needed = 0;
  DWORD returned = 7;
  EXPECT_FALSE(EnumPortsA("", 2, nullptr, 0, needed, returned));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(returned, 0u);
  // Four ports of 20 bytes, each name plus "Local Port" twice.
  EXPECT_EQ(needed, 4u * 20 + (6 + 6 + 6 + 6) + 4 * 2 * 11);

  std::vector<PortInfo2> ports;
  ASSERT_TRUE(EnumPortsA("", 2, &ports, 16384, needed, returned));
  ASSERT_EQ(returned, 4u);
  EXPECT_EQ(ports[0].pPortName, "LPT1:");
  EXPECT_EQ(ports[0].fPortType, PORT_TYPE_WRITE | PORT_TYPE_READ);
  EXPECT_EQ(ports[2].pPortName, "COM1:");
  EXPECT_EQ(ports[3].pPortName, "FILE:");
  EXPECT_EQ(ports[3].fPortType, PORT_TYPE_WRITE);
  EXPECT_EQ(ports[3].pDescription, "Local Port");

  EXPECT_FALSE(EnumPortsA("\\\\SERVER", 2, &ports, 16384, needed, returned));
  EXPECT_FALSE(EnumPortsA("", 1, &ports, 16384, needed, returned));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

}  // namespace
}  // namespace w95
