// The parts of a machine of realistic size: the added registry keys read
// through the registry calls with the installation's own keys intact, the
// crowded system directory, the server's shares.
#include "machine_builder/large_machine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "machine_builder/hives.h"
#include "platform/files/files.h"
#include "platform/network/network.h"
#include "platform/registry/registry.h"
#include "support/temp_machine.h"

namespace dxl::tools {
namespace {

std::string QueryText(w95::RootKey root, const std::string& key, std::string_view value) {
  w95::RegKey open;
  if (w95::RegOpenKeyExA(root, key, 0, w95::KEY_READ, open) != 0) return "<no key>";
  std::string data;
  w95::DWORD size = 1024;
  if (w95::RegQueryValueExA(open, value, nullptr, &data, size) != 0) return "<no value>";
  return w95::RegText(data);
}

w95::DWORD CountSubkeys(w95::RootKey root, const std::string& key) {
  w95::RegKey open;
  if (w95::RegOpenKeyExA(root, key, 0, w95::KEY_READ, open) != 0) return 0;
  w95::DWORD count = 0;
  std::string name;
  for (w95::DWORD size = 256; w95::RegEnumKeyExA(open, count, name, size) == 0; size = 256) ++count;
  return count;
}

TEST(LargeMachine, RegisteredComponentsJoinTheInstallationsHive) {
  testing::TempMachine machine(testing::HiveStore::Text);
  machine.Builder().InstallPrintingSystem();
  const std::string before = machine.Read("C:\\WINDOWS\\SYSTEM.REG");
  EXPECT_EQ(AddRegisteredComponents(machine.Builder(), 400), 2000u);
  const std::string after = machine.Read("C:\\WINDOWS\\SYSTEM.REG");
  EXPECT_TRUE(after.starts_with(before));
  EXPECT_GT(after.size(), before.size() + 400 * 700);
  machine.Activate();
  ASSERT_EQ(w95::RegistryLoadError(w95::RootKey::LocalMachine), "");
  EXPECT_EQ(CountSubkeys(w95::RootKey::ClassesRoot, "CLSID"), 400u);
  EXPECT_EQ(CountSubkeys(w95::RootKey::LocalMachine, "Enum\\Root"), 400u);
  EXPECT_EQ(QueryText(w95::RootKey::ClassesRoot, "CLSID\\{0002018F-0000-0000-C000-000000000046}\\InProcServer32", ""),
            "C:\\WINDOWS\\SYSTEM\\SYS00399.DLL");
  EXPECT_EQ(
      QueryText(w95::RootKey::LocalMachine, "System\\CurrentControlSet\\Services\\Class\\System\\0123", "DevLoader"),
      "*CONFIGMG");
  w95::RegKey device;
  ASSERT_EQ(w95::RegOpenKeyExA(w95::RootKey::LocalMachine, "Enum\\Root\\*PNP0007\\0000", 0, w95::KEY_READ, device), 0);
  std::string bootConfig;
  w95::DWORD size = 256, type = 0;
  ASSERT_EQ(w95::RegQueryValueExA(device, "BootConfig", &type, &bootConfig, size), 0);
  EXPECT_EQ(type, w95::REG_BINARY);
  EXPECT_EQ(bootConfig.size(), 96u);
  // The printing system's own keys are untouched.
  EXPECT_EQ(
      QueryText(w95::RootKey::LocalMachine, std::string(kSpoolerPrintersKey).substr(19) + "\\Tavix KRT-310", "Port"),
      "LPT1:");
}

TEST(LargeMachine, SystemDirectoryFilesAreFoundBesideThePrintingSystems) {
  testing::TempMachine machine;
  machine.Builder().InstallPrintingSystem();
  const std::string driver = machine.Read(machine.Builder().InSystem("DXLQ7.DRV"));
  AddSystemDirectoryFiles(machine.Builder(), 300);
  machine.Activate();
  w95::FindData data;
  w95::FindHandle find = w95::FindFirstFileA("C:\\WINDOWS\\SYSTEM\\SYS*.DLL", data);
  int count = find ? 1 : 0;
  while (w95::FindNextFileA(find, data)) ++count;
  EXPECT_EQ(count, 300);
  EXPECT_TRUE(w95::FindFirstFileA("c:\\windows\\system\\sys00299.dll", data));
  EXPECT_FALSE(w95::FindFirstFileA("C:\\WINDOWS\\SYSTEM\\SYS00300.DLL", data));
  EXPECT_EQ(machine.Read(machine.Builder().InSystem("DXLQ7.DRV")), driver);
}

TEST(LargeMachine, CrowdedServerListsItsDiskAndPrintShares) {
  testing::TempMachine machine;
  AddCrowdedServer(machine.Builder(), "PRINTSRV", 30, 12);
  machine.Activate();
  w95::NetResource server;
  server.remoteName = "\\\\PRINTSRV";
  for (auto [type, expected] : {std::pair{w95::RESOURCETYPE_DISK, 30u}, std::pair{w95::RESOURCETYPE_PRINT, 12u}}) {
    w95::NetEnumHandle handle;
    ASSERT_EQ(w95::WNetOpenEnumA(w95::RESOURCE_GLOBALNET, type, 0, &server, handle), w95::ERROR_SUCCESS);
    w95::DWORD count = 0xFFFFFFFF, bufferSize = 65536;
    std::vector<w95::NetResource> entries;
    ASSERT_EQ(w95::WNetEnumResourceA(handle, count, entries, bufferSize), w95::ERROR_SUCCESS);
    EXPECT_EQ(count, expected);
    EXPECT_EQ(entries.front().remoteName,
              type == w95::RESOURCETYPE_DISK ? "\\\\PRINTSRV\\DISK000" : "\\\\PRINTSRV\\PRINT000");
  }
}

}  // namespace
}  // namespace dxl::tools
