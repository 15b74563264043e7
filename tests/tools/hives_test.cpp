#include "machine_builder/hives.h"

#include <gtest/gtest.h>

#include "machine_builder/registry_faults.h"
#include "platform/registry/reg_store.h"
#include "platform/registry/registry.h"
#include "support/temp_machine.h"

namespace dxl::tools {
namespace {

constexpr const char* kSystemReg = "C:\\WINDOWS\\SYSTEM.REG";

std::string ReadText(w95::RootKey root, const std::string& key, std::string_view value) {
  w95::RegKey open;
  if (w95::RegOpenKeyExA(root, key, 0, w95::KEY_READ, open) != w95::ERROR_SUCCESS) return "<no key>";
  std::string data;
  w95::DWORD size = 1024;
  if (w95::RegQueryValueExA(open, value, nullptr, &data, size) != w95::ERROR_SUCCESS) return "<no value>";
  return w95::RegText(data);
}

TEST(StandardHives, LoadThroughTheRegistryAndAreWrittenAsRegeditWould) {
  testing::TempMachine machine(testing::HiveStore::Text);
  machine.Builder().InstallPrintingSystem();
  machine.Activate();
  EXPECT_EQ(w95::RegistryLoadError(w95::RootKey::LocalMachine), "");
  EXPECT_EQ(w95::RegistryLoadError(w95::RootKey::CurrentUser), "");
  EXPECT_EQ(ReadText(w95::RootKey::ClassesRoot, "DXL\\LocalPrinters\\DXLQ7,LPT1:\\APD", ""),
            "C:\\WINDOWS\\DXL\\DXLQ7APD.APD");
  EXPECT_EQ(ReadText(w95::RootKey::LocalMachine, "System\\CurrentControlSet\\control\\Print\\Printers\\Tavix KRT-310",
                     "Port"),
            "LPT1:");
  EXPECT_EQ(ReadText(w95::RootKey::CurrentUser, "Control Panel\\International", "sShortDate"), "yyyy-M-d");

  // Reading the file and writing it again gives the same bytes.
  std::string file = machine.Read(kSystemReg);
  EXPECT_EQ(file.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n", 0), 0u);
  w95::RegHive hive("HKEY_LOCAL_MACHINE");
  ASSERT_FALSE(w95::ParseRegedit4(file, w95::LayoutOf(w95::RootKey::LocalMachine).fileRoots, hive));
  // Every key written afresh, none copied from the file.
  auto markAll = [](auto& self, w95::RegNode& node) -> void {
    node.MarkChanged();
    for (const auto& child : node.Children()) self(self, *child);
  };
  for (const auto& child : hive.Root().Children()) markAll(markAll, *child);
  EXPECT_EQ(w95::RenderRegedit4(hive), file);
}

TEST(StandardHives, EditsChangeOnlyTheirKey) {
  testing::TempMachine machine(testing::HiveStore::Text);
  machine.Builder().InstallPrintingSystem();
  std::string before = machine.Read(kSystemReg);
  BreakRegistryEntry(machine.Builder(), RegistryEntry::Mfg, EntryFault::Wrong);
  std::string after = machine.Read(kSystemReg);
  std::string expected = before;
  size_t at = expected.find("DXLQ7,LPT1:\\Mfg]\r\n@=\"Tavix\"");
  ASSERT_NE(at, std::string::npos);
  expected.replace(expected.find("\"Tavix\"", at), 7, "\"wrong\"");
  EXPECT_EQ(after, expected);

  BreakRegistryEntry(machine.Builder(), RegistryEntry::Monitor, EntryFault::Missing);
  EXPECT_EQ(machine.Read(kSystemReg).find("DXL Monitor"), std::string::npos);
  EXPECT_NE(machine.Read(kSystemReg).find("\"Datatype\"=\"EMF\""), std::string::npos);
}

TEST(StandardHives, BuilderRefusesABrokenHiveAndKeepsIt) {
  testing::TempMachine machine(testing::HiveStore::Text);
  machine.Builder().File(kSystemReg, "not a hive");
  EXPECT_THROW(SetDosSpoolMask(machine.Builder(), 1), std::runtime_error);
  EXPECT_THROW(SetRegistryText(machine.Builder(), "HKEY_USERS\\.Default", "x", "y"), std::invalid_argument);
  EXPECT_EQ(machine.Read(kSystemReg), "not a hive");
}

TEST(StandardHives, CustomSetupInfKeepsOtherEntries) {
  testing::TempMachine machine;
  machine.Builder().File(machine.Builder().InSystem("DXLQ7CST.INF"), "[Config]\r\nOTHER=1\r\nHELPDIR=old\r\n");
  WriteCustomSetupInf(machine.Builder(), "C:\\WINDOWS\\DXL");
  EXPECT_EQ(machine.Read(machine.Builder().InSystem("DXLQ7CST.INF")),
            "[Config]\r\nOTHER=1\r\nHELPDIR=C:\\WINDOWS\\DXL\r\nDOPCL=0\r\n");
}

}  // namespace
}  // namespace dxl::tools
