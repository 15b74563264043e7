#include "platform/registry/reg_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/machine/machine.h"
#include "platform/registry/reg_store.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

// The Class of each key `depth` below `key`, as a program finds them through the registry calls ("-": none).
void Walk(const RegKey& key, int depth, std::vector<std::string>& found) {
  if (depth == 0) {
    std::string data;
    DWORD size = 256, type = REG_NONE;
    const bool read = RegQueryValueExA(key, "Class", &type, &data, size) == ERROR_SUCCESS;
    found.push_back(read ? RegText(data) : "-");
    return;
  }
  std::string name;
  for (DWORD index = 0, size = 256;; ++index, size = 256) {
    const LONG result = RegEnumKeyExA(key, index, name, size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return;
    RegKey child;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, child) == ERROR_SUCCESS) Walk(child, depth - 1, found);
  }
}

// The scan reaches the keys the calls reach, with the same values, and keeps none of the keys it passed.
TEST(RegScanKeys, ReachesWhatTheRegistryCallsReachAndKeepsNothing) {
  dxl::testing::TempMachine machine;
  auto set = [&](const std::string& key, const char* text) {
    dxl::tools::SetRegistryText(machine.Builder(), "HKEY_LOCAL_MACHINE\\Enum\\" + key, "Class", text);
  };
  set("BIOS\\*PNP0400\\00", "Ports");
  set("BIOS\\*PNP0400\\01", "Ports ");
  for (int n = 0; n < 40; ++n) set("Root\\Dev" + std::to_string(n) + "\\0000", n % 2 ? "System" : "Ports");
  set("Root\\" + std::string(300, 'L') + "\\0000", "Ports");  // a name no 256-byte buffer holds
  set("Root\\Short", "Depth two");
  set("Root\\Deeper\\0000\\Below", "Depth four");
  machine.Activate();

  RegKey enumKey;
  ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "Enum", 0, KEY_READ, enumKey), ERROR_SUCCESS);
  std::vector<std::string> walked, scanned;
  ASSERT_EQ(RegScanKeys(RootKey::LocalMachine, "ENUM", 3,
                        [&](const RegScannedKey& key) {
                          DWORD type = REG_NONE;
                          std::string_view data;
                          std::string text =
                              key.Value("class", type, data) ? std::string(data.substr(0, data.find('\0'))) : "-";
                          scanned.push_back(std::move(text));
                        }),
            ERROR_SUCCESS);
  const RegNode* root =
      Machine::Current().Service<RegistryStore>().Hive(RootKey::LocalMachine)->Hive().Find({"Enum", "Root"});
  ASSERT_NE(root, nullptr);
  if (machine.Builder().BinaryRegistry()) {
    EXPECT_FALSE(root->ChildrenBuilt()) << "the scan kept the devices";
  }

  Walk(enumKey, 3, walked);
  EXPECT_EQ(scanned, walked);
  EXPECT_EQ(walked.size(), 2u + 40u + 1u);  // the two BIOS ports, the forty devices and Deeper\0000
  EXPECT_EQ(RegScanKeys(RootKey::LocalMachine, "Enum\\None", 1, [](const RegScannedKey&) {}), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace w95
